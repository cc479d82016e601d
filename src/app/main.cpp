// VELK: the program has no command line; its program folder is the folder of the executable, or
// the folder named by VELK_PROGRAM_FOLDER (running from a build tree on a demo folder).
#include "app/program.h"
#include "platform/files/folders.h"
#include "platform/ui/icons.h"

#include <QApplication>
#include <QFile>

namespace {

// An exception must not unwind through Qt's event loop: one that escapes a handler ends the
// program with a message instead of aborting it.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            velk::endAfterEscapedError(std::current_exception());
            return false;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELK"));
    QApplication::setWindowIcon(ui::programIcon());
    if (const QByteArray folder = qgetenv("VELK_PROGRAM_FOLDER"); !folder.isEmpty())
        files::setProgramFolder(QFile::decodeName(folder));
    return velk::runProgram();
}
