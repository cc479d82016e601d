// velk-load: loads the release files of one data set lying in a program folder into its database,
// without a window: the loaders, order, version stamp and file deletion of the program's start-up.
#include "dataset/data_set.h"
#include "loading/load_sequence.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

void printUsage(std::FILE* to) {
    std::fputs("Usage: velk-load DIR ST\n"
               "Loads the release files of data set ST (DE, NJ, NY, PA, PM, DM) found in the program\n"
               "folder DIR into DIR/VELK<st>.MDB and deletes them, as the program's start does.\n"
               "The load is all or nothing: Ctrl-C, or a failure, leaves the database and the\n"
               "release files as they were.\n",
               to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        printUsage(stdout);
        return 0;
    }
    if (args.size() != 2) {
        printUsage(stderr);
        return 2;
    }
    const QString folder = args[0];
    const QString state = args[1].toUpper();
    if (!dataset::codes().contains(state)) {
        std::fprintf(stderr, "velk-load: %s is not a data set (DE, NJ, NY, PA, PM, DM)\n", qPrintable(state));
        return 2;
    }

    const loading::ReleaseFileLengths lengths = loading::measureReleaseFiles(folder, state);
    if (!loading::offersLoad(lengths)) {
        std::fprintf(stderr, "velk-load: no release files of %s in %s\n", qPrintable(state),
                     qPrintable(folder));
        return 0;
    }

    std::unique_ptr<dao::Database> db;
    try {
        db = dao::Database::open(files::findFileNoCase(folder, dataset::stateDatabaseName(state)), false,
                                 false, dataset::connectFromSetup(folder, state));
    } catch (const dao::DaoError& e) {
        std::fprintf(stderr, "velk-load: %s\n", qPrintable(e.message()));
        return 1;
    }

    std::signal(SIGINT, onInterrupt);
    bool cancelled = false;
    loading::LoadContext ctx;
    ctx.db = db.get();
    ctx.folder = folder;
    ctx.state = state;
    ctx.today = QDate::currentDate();
    ctx.cancelled = &cancelled;
    ctx.progress = [&](const QString& text) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(state), qPrintable(text));
    };
    ctx.processEvents = [&] {
        if (interrupted) cancelled = true;
    };

    loading::LoadOutcome outcome;
    try {
        outcome = loading::runLoadSequence(ctx, lengths);
    } catch (const loading::LoadFailure& f) {
        std::fprintf(stderr, "velk-load: %s\n",
                     qPrintable(QString(f.message()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
        return 1;
    }
    db->close();

    if (outcome == loading::LoadOutcome::Cancelled) {
        std::printf("%s: cancelled; %s\n", qPrintable(state), qPrintable(loading::nothingChangedText()));
        return 3;
    }
    QStringList rows;
    for (auto it = ctx.rowsAdded.cbegin(); it != ctx.rowsAdded.cend(); ++it)
        rows << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    const QString refused =
        ctx.refusedCount() == 0
            ? QStringLiteral("0 records refused")
            : QStringLiteral("%1 records refused (%2)").arg(ctx.refusedCount()).arg(ctx.refusalSummary());
    std::printf("%s: loaded; rows added: %s; %s\n", qPrintable(state), qPrintable(rows.join(", ")),
                qPrintable(refused));
    for (const QString& left : ctx.undeleted)
        std::fprintf(stderr, "velk-load: loaded, but could not delete %s; delete it, or it is loaded again\n",
                     qPrintable(left));
    return ctx.undeleted.isEmpty() ? 0 : 4;
}
