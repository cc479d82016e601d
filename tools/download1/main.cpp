// download1 FOLDER: fetches the update archives named at the location set in the program folder's
// DOWNLOAD.INI into FOLDER, and ends by writing DONE.TXT into the current folder, whatever the
// outcome: "OK" or "FAILED" on its first line, then what happened. The update form waits for
// that file, so every way out of this program that it controls writes it.
#include "download1/fetch.h"

#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"

#include <QCoreApplication>
#include <QFile>

#include <climits>
#include <csignal>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopSignal = 0;
// Filled before any signal can arrive, for the handler's last-resort write.
char donePath[PATH_MAX + 16];
char doneTemp[PATH_MAX + 32];
const char kStoppedText[] = "FAILED\nThe download was stopped before it finished.\n";

void onSignal(int signo) {
    if (stopSignal != 0) {
        // A second signal: the run did not stop by itself, so the end signal is written from here
        // with what a signal handler may call.
        const int fd = ::open(doneTemp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t n = ::write(fd, kStoppedText, sizeof kStoppedText - 1);
            ::close(fd);
            ::rename(doneTemp, donePath);
        }
        ::_exit(1);
    }
    stopSignal = signo;
}

void printUsage(std::FILE* to) {
    std::fputs("Usage: download1 FOLDER\n"
               "Fetches the update archives listed in UPDATES.TXT at the location that DOWNLOAD.INI in the\n"
               "program folder sets (Location=http://..., https://... or file://...) into FOLDER, and writes\n"
               "DONE.TXT into the current folder when it ends: OK or FAILED on its first line, then the reason.\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) {
        std::perror("download1: the current folder cannot be found");
        return 1;
    }
    std::snprintf(donePath, sizeof donePath, "%s/DONE.TXT", cwd);
    std::snprintf(doneTemp, sizeof doneTemp, "%s/.DONE.TXT.stopped", cwd);
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (const int signo : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signo, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    download1::Outcome outcome;
    try {
        QCoreApplication app(argc, argv);
        const QStringList args = app.arguments().mid(1);
        if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
            printUsage(stdout);
            return 0;
        }
        if (args.size() != 1) {
            printUsage(stderr);
            outcome.message = QStringLiteral("download1 was started without the folder for the archives.");
        } else {
            QString programFolder = files::programFolder();
            if (const QByteArray folder = qgetenv("VELK_PROGRAM_FOLDER"); !folder.isEmpty())
                programFolder = QFile::decodeName(folder);
            download1::FetchOptions options;
            options.stopRequested = [] { return stopSignal != 0; };
            options.log = [](const QString& line) { std::fprintf(stderr, "download1: %s\n", qPrintable(line)); };
            outcome = download1::run(programFolder, args[0], options);
        }
    } catch (const std::exception& e) {
        outcome = {};
        outcome.message = QStringLiteral("The download stopped on an unexpected error: %1.").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        outcome = {};
        outcome.message = QStringLiteral("The download stopped on an unexpected error.");
    }

    std::fprintf(outcome.ok ? stdout : stderr, "download1: %s\n", qPrintable(outcome.message));
    QString error;
    if (!files::atomicWrite(QFile::decodeName(donePath), download1::doneText(outcome), &error)) {
        std::fprintf(stderr, "download1: %s\n", qPrintable(error));
        return 1;
    }
    return outcome.ok ? 0 : 1;
}
