// Backup and restore benchmark: a state database of 150,000 employers loaded by the real loader,
// each given a note and user fields (every tenth an address override), backed up, then wiped as a
// new database would be and restored. Prints the seconds of the backup and of the restore.
//
// Usage: bench_user_data [EMPLOYERS] [FOLDER]   (defaults: 150000, a temporary folder)
#include "maintenance/user_data.h"
#include "generator/release_generator.h"
#include "loading/load_context.h"
#include "loading/loaders.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kState = QStringLiteral("PA");
const QString kConnect = QStringLiteral(";PWD=bench");

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
        db = dao::Database::open(mainPath, false, false, kConnect);
        db->BeginTrans();
        db->execute("UPDATE NOTES SET NOTES = ' '");
        db->execute(
            "UPDATE PRIME SET User1 = ' ', User2 = ' ', User3 = ' ', UserPhone = NULL, UserFax = NULL, "
            "UserContact = NULL, UserTitle = NULL");
        db->CommitTrans();
        db->close();

        t.restart();
        const auto restored = maintenance::copyBackupIntoState(mainPath, backupPath, kState, kConnect,
                                                               maintenance::NotesPass::Replace);
        const double restoreSeconds = t.elapsed() / 1000.0;

        t.restart();
        maintenance::copyBackupIntoState(mainPath, backupPath, kState, kConnect,
                                         maintenance::NotesPass::Append);
        const double mergeSeconds = t.elapsed() / 1000.0;

        std::printf("%lld employers in %s\n", records, qPrintable(folder));
        std::printf("backup:  %lld notes, %lld field rows in %.2f s\n", saved.notes, saved.fields,
                    backupSeconds);
        std::printf("restore: %lld notes, %lld field rows in %.2f s\n", restored.notes, restored.fields,
                    restoreSeconds);
        std::printf("merge:   %.2f s\n", mergeSeconds);
    } catch (const dao::DaoError& e) {
        die(e.message());
    } catch (const loading::LoadFailure& e) {
        die(e.message());
    }
    return 0;
}
