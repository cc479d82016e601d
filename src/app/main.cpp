// VELK: the program has no command line; its program folder is the folder of the executable, or
// the folder named by VELK_PROGRAM_FOLDER (running from a build tree on a demo folder).
#include "app/program.h"
#include "platform/files/folders.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELK"));
    if (const QByteArray folder = qgetenv("VELK_PROGRAM_FOLDER"); !folder.isEmpty())
        files::setProgramFolder(QFile::decodeName(folder));
    return velk::runProgram();
}
