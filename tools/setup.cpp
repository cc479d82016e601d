// velk-setup: creates a complete, empty program folder (settings database, one database per data
// set, the workspace folder INITIAL, the report files, the manual, the help file, the update
// downloader and its settings).
#include "folder_setup/program_folder.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void printUsage(std::FILE* to) {
    std::fputs("Usage: velk-setup [--force] DIR\n"
               "Creates the program folder DIR (when missing) with VELKI.MDB, one VELK<st>.MDB per data\n"
               "set (DE, NJ, NY, PA, PM, DM), the workspace folder INITIAL, REPORT.MDB, the report files,\n"
               "the manual MANUAL.TXT, the help file VELK.HLP, the update downloader download1 (copied\n"
               "from beside velk-setup) and DOWNLOAD.INI, where it fetches from.\n"
               "  --force  replace existing databases (their data and users' notes are lost)\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool force = false;
    QStringList folders;
    const QStringList args = app.arguments().mid(1);
    for (const QString& a : args) {
        if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            printUsage(stdout);
            return 0;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            std::fprintf(stderr, "velk-setup: unknown option %s\n", qPrintable(a));
            printUsage(stderr);
            return 2;
        } else {
            folders.append(a);
        }
    }
    if (folders.size() != 1) {
        printUsage(stderr);
        return 2;
    }
    QString error;
    const velk::SetupOutcome outcome = velk::createProgramFolder(folders.first(), force, &error);
    if (outcome != velk::SetupOutcome::Created) {
        std::fprintf(stderr, "velk-setup: %s\n", qPrintable(error));
        if (outcome == velk::SetupOutcome::AlreadyExists)
            std::fputs("velk-setup: use --force to replace the existing databases\n", stderr);
        return 1;
    }
    if (!velk::installDownloader(folders.first(), QCoreApplication::applicationDirPath(), &error)) {
        std::fprintf(stderr, "velk-setup: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Program folder %s created\n", qPrintable(folders.first()));
    return 0;
}
