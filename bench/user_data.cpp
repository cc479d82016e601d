// Backup and restore benchmark: a state database of 150,000 employers loaded by the real loader,
// each given a note and user fields (every tenth an address override), backed up, then wiped as a
// new database would be and restored (as from the backup form, as a merge, and as the restore an
// update leaves pending). Prints the seconds of each beside the sqlite3 shell's for the same writes.
//
// Usage: bench_user_data [EMPLOYERS] [FOLDER]   (defaults: 150000, a temporary folder)
#include "maintenance/user_data.h"
#include "generator/release_generator.h"
#include "loading/load_context.h"
#include "loading/loaders.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "support/sqlite_shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const QString kState = QStringLiteral("PA");
const QString kConnect = QStringLiteral(";PWD=bench");

// Processor seconds of this process: under a loaded machine a steadier account of the work than
// the elapsed time beside it.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

[[noreturn]] void die(const QString& what) {
    std::fprintf(stderr, "bench_user_data: %s\n", qPrintable(what));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employers = argc > 1 ? std::atoi(argv[1]) : 150000;
    QTemporaryDir tmp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    QDir().mkpath(folder);
    const QString mainPath = folder + "/VELKPA.MDB", backupPath = folder + "/BACKUPPA.MDB";
    QFile::remove(mainPath);
    QFile::remove(backupPath);

    try {
        generator::GeneratorOptions o;
        o.state = kState;
        o.employers = employers;
        o.seed = 2024;
        QString error;
        if (!generator::generateRelease(o, folder, nullptr, &error)) die(error);
        auto db = dao::Database::create(mainPath, QStringLiteral("bench"));
        loading::createStateTables(*db, kState);
        loading::LoadContext ctx;
        ctx.db = db.get();
        ctx.folder = folder;
        ctx.state = kState;
        loading::NEWDATASTD(ctx);
        const long long records = db->scalar("SELECT COUNT(*) FROM PRIME").toLongLong();

        auto giveUserData = [&] {
            db->BeginTrans();
            db->execute(
                "UPDATE NOTES SET NOTES = 'Called ' || FILE || ' about the renewal.' || char(13, 10) || "
                "'Wants a quote before the mod changes.'");
            db->execute(
                "UPDATE PRIME SET User1 = CASE WHEN rowid % 10 = 0 THEN '!&' ELSE 'Prospect' END, "
                "User2 = '12 Oak Street', User3 = 'Harrisburg PA 17101-1234', UserPhone = '717-555-0101', "
                "UserFax = '717-555-0102', UserContact = 'Ann Lee', UserTitle = 'Owner', Omit = ' '");
            db->CommitTrans();
        };
        giveUserData();
        db->close();

        QElapsedTimer t;
        t.start();
        const auto saved = maintenance::backupUserData(mainPath, backupPath, kConnect);
        const double backupSeconds = t.elapsed() / 1000.0;

        // What a replaced database holds: blank notes and user fields.
        const auto wipe = [&] {
            db = dao::Database::open(mainPath, false, false, kConnect);
            db->BeginTrans();
            db->execute("UPDATE NOTES SET NOTES = ' '");
            db->execute(
                "UPDATE PRIME SET User1 = ' ', User2 = ' ', User3 = ' ', UserPhone = NULL, UserFax = NULL, "
                "UserContact = NULL, UserTitle = NULL");
            db->CommitTrans();
            db->close();
        };
        wipe();
        const QString floorPath = folder + "/FLOOR.MDB";
        QFile::remove(floorPath);
        QFile::copy(mainPath, floorPath);

        double cpu = cpuSeconds();
        t.restart();
        const auto restored = maintenance::copyBackupIntoState(mainPath, backupPath, kState, kConnect,
                                                               maintenance::NotesPass::Replace);
        const double restoreSeconds = t.elapsed() / 1000.0, restoreCpu = cpuSeconds() - cpu;

        cpu = cpuSeconds();
        t.restart();
        maintenance::copyBackupIntoState(mainPath, backupPath, kState, kConnect,
                                         maintenance::NotesPass::Append);
        const double mergeSeconds = t.elapsed() / 1000.0, mergeCpu = cpuSeconds() - cpu;

        wipe();
        cpu = cpuSeconds();
        t.restart();
        maintenance::copyBackupIntoState(mainPath, backupPath, kState, kConnect,
                                         maintenance::NotesPass::Pending);
        const double pendingSeconds = t.elapsed() / 1000.0, pendingCpu = cpuSeconds() - cpu;

        // The baseline: the sqlite3 shell making the same writes (but the address override's) as
        // two UPDATE ... FROM statements in one transaction, its indexes kept as they are.
        double floorSeconds = -1;
        if (bench::shellAvailable()) {
            QProcess shell;
            t.restart();
            shell.start(QStringLiteral("sqlite3"), {floorPath});
            shell.write(
                QStringLiteral("ATTACH '%1' AS bk; BEGIN;"
                               "UPDATE NOTES SET NOTES = n.NOTES FROM bk.NOTES n "
                               "WHERE NOTES.FILE = n.FILE AND NOTES.SEQUENCE = n.SEQUENCE;"
                               "UPDATE PRIME SET User1 = u.User1, User2 = u.User2, User3 = u.User3, "
                               "UserPhone = u.UserPhone, UserFax = u.UserFax, UserContact = u.UserContact, "
                               "UserTitle = u.UserTitle, Omit = u.Omit FROM bk.USER u "
                               "WHERE PRIME.FILE = u.FILE AND PRIME.SEQUENCE = u.SEQUENCE; COMMIT;\n")
                    .arg(backupPath)
                    .toUtf8());
            shell.closeWriteChannel();
            if (shell.waitForFinished(600000) && shell.exitCode() == 0) floorSeconds = t.elapsed() / 1000.0;
        }
        QFile::remove(floorPath);

        std::printf("%lld employers in %s\n", records, qPrintable(folder));
        std::printf("backup:  %lld notes, %lld field rows in %.2f s\n", saved.notes, saved.fields,
                    backupSeconds);
        std::printf("restore: %lld notes, %lld field rows in %.2f s (cpu %.2f s)\n", restored.notes,
                    restored.fields, restoreSeconds, restoreCpu);
        std::printf("merge:   %.2f s (cpu %.2f s)\n", mergeSeconds, mergeCpu);
        std::printf("pending restore (after an update): %.2f s (cpu %.2f s)\n", pendingSeconds, pendingCpu);
        if (floorSeconds >= 0)
            std::printf("baseline, sqlite3 shell, the same writes as UPDATE ... FROM: %.2f s\n",
                        floorSeconds);
        else
            std::printf("baseline: sqlite3 shell not installed (apt-get install sqlite3)\n");
    } catch (const dao::DaoError& e) {
        die(e.message());
    } catch (const loading::LoadFailure& e) {
        die(e.message());
    }
    return 0;
}
