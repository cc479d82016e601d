// The archive installer: what it saves before a state database is replaced, the markers it
// leaves, how it ends, and the archives and situations in which it changes nothing.
#include "user_data_fixture.h"

#include "archive/zip_builder.h"
#include "folder_setup/program_folder.h"
#include "maintenance/archive_installer.h"
#include "platform/archive/zip_archive.h"
#include "platform/files/folders.h"
#include "platform/locks/database_use.h"
#include "platform/ui/msgbox.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QRegularExpression>

using namespace maintenancetest;
using maintenance::InstallEnd;
using testsupport::readFile;
using testsupport::writeFile;
using testsupport::ZipItem;

namespace {

const QString kSelectState = QStringLiteral("Upgrade complete.  Select State!");
const QString kRestart = QStringLiteral("Upgrade complete.  Restart VELK to activate changes!");
const QByteArray kMarker = " \r\n";

// The form's side of an install, written down in order.
class Host : public maintenance::InstallHost {
public:
    QStringList log;
    std::function<void()> duringEvents;
    QStringList written; // each entry's end while the archive is written: the archive's bytes done
    void status(const QString& text) override {
        log << text;
        writing = writing || text == QLatin1String("Loading New Database");
    }
    void progress(const archive::Progress& p) override {
        if (writing && p.entryDone == p.entrySize)
            written << QStringLiteral("%1 %2 of %3").arg(p.name).arg(p.totalDone).arg(p.totalSize);
    }
    bool writing = false;
    void doEvents() override {
        log << QStringLiteral("<events>");
        if (duringEvents) duringEvents();
    }
    void closeListForm() override { log << QStringLiteral("<list closed>"); }
};

class Installer : public UserDataTest {
protected:
    void SetUp() override {
        UserDataTest::SetUp();
        delivery = readFile(mainPath); // a new release: loaded, with no user data yet
        setNote(1, "Call back in May");
        setUser(2, {"Key account"});
        state.reset(); // the list form's hold goes before an install
        auto index = dao::Database::create(path("VELKI.MDB"), dao::passwordFromConnect(dataset::indexDbConnect()));
        velk::createIndexDatabase(*index);
        index->executeBound(QStringLiteral("UPDATE Setup SET pwd = ? WHERE STATE = 'PA'"), {kConnect});
        ASSERT_TRUE(QDir().mkpath(path("source")));
    }

    QString archive(const QString& name, const QList<ZipItem>& items) {
        const QString p = path("source/" + name);
        testsupport::writeZip(p, items);
        return p;
    }
    maintenance::InstallReport install(const QStringList& archives) {
        return maintenance::installArchives(archives, folder(), host);
    }
    // The note of record i as the backup holds it; "" when there is no backup.
    QString savedNote(int i = 1) {
        if (!QFile::exists(backupPath)) return QString();
        auto db = dao::Database::open(backupPath, false, true);
        return db->scalar(QStringLiteral("SELECT NOTES FROM NOTES WHERE FILE = ?"), {fileNo(i)}).toString();
    }
    void expectNothingChanged(const QByteArray& databaseBefore) {
        EXPECT_EQ(readFile(mainPath), databaseBefore);
        EXPECT_FALSE(QFile::exists(path("RESTPA.DAT")));
        EXPECT_FALSE(QFile::exists(backupPath));
    }

    QByteArray delivery;
    Host host;
};

ZipItem file(const QByteArray& name, const QByteArray& data) {
    return {name, data};
}

} // namespace

TEST_F(Installer, DatabasesOnlySavesTheNotesFirstReplacesTheDatabaseAndLeavesTheMarker) {
    // A new data set: nothing to save, but a journal from an earlier file of its name.
    writeFile(path("VELKNJ.MDB-journal"), "left by a writer that died");
    const QByteArray settings = readFile(path("VELKI.MDB"));
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(" Fields Saved to " + backupPath, ui::vbOK, "Backup Complete").expect(kSelectState, ui::vbOK);
    const auto report = install({archive("VELK1.ZIP", {file("VELKPA.MDB", delivery), file("VELKI.MDB", settings),
                                                       file("VELKNJ.MDB", "NJ")})});

    EXPECT_EQ(report.end, InstallEnd::DatabasesOnly);
    EXPECT_EQ(host.log, QStringList({"Checking VELK1.ZIP", "<list closed>", "Saving PA User Notes & Fields",
                                     "Loading New DataBase Parameters", "Loading New Database", "<events>",
                                     "VELKPA.MDB 1 of 3", "VELKI.MDB 2 of 3", "VELKNJ.MDB 3 of 3", " "}));
    const qint64 pa = delivery.size(), all = pa + settings.size() + 2;
    EXPECT_EQ(host.written, QStringList({QStringLiteral("VELKPA.MDB %1 of %2").arg(pa).arg(all),
                                         QStringLiteral("VELKI.MDB %1 of %2").arg(all - 2).arg(all),
                                         QStringLiteral("VELKNJ.MDB %1 of %2").arg(all).arg(all)}));
    EXPECT_EQ(savedNote(), "Call back in May");
    EXPECT_EQ(readFile(mainPath), delivery);
    EXPECT_EQ(readFile(path("RESTPA.DAT")), kMarker);
    EXPECT_EQ(readFile(path("VELKNJ.MDB")), "NJ");
    EXPECT_FALSE(QFile::exists(path("VELKNJ.MDB-journal"))) << "it would be rolled back into the new database";
    EXPECT_FALSE(QFile::exists(path("RESTNJ.DAT")));
}

TEST_F(Installer, TheStateDatabaseIsKnownWhateverTheCaseOfItsEntryName) {
    for (const QByteArray entry : {"velkpa.mdb", "VELKPA.Mdb", "./VELKPA.MDB"}) {
        SCOPED_TRACE(entry.constData());
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete")
            .expect(kSelectState, ui::vbOK);
        EXPECT_EQ(install({archive("VELK1.ZIP", {file(entry, delivery)})}).end, InstallEnd::DatabasesOnly);
        EXPECT_EQ(readFile(mainPath), delivery);
        EXPECT_TRUE(QFile::exists(path("RESTPA.DAT")));
        EXPECT_EQ(files().filter(QRegularExpression("^VELKPA\\.MDB$", QRegularExpression::CaseInsensitiveOption)),
                  QStringList({"VELKPA.MDB"}));
        QFile::remove(path("RESTPA.DAT"));
        QFile::remove(backupPath);
    }
}

TEST_F(Installer, AProgramFileInAnyArchiveEndsTheProgram) {
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete").expect(kRestart, ui::vbOK);
    const auto report = install({archive("VELK1.ZIP", {file("VELK", "new program")}),
                                 archive("VELK2.ZIP", {file("VELKPA.MDB", delivery)})});
    EXPECT_EQ(report.end, InstallEnd::Restart);
    EXPECT_EQ(report.installed, QStringList({"VELK1.ZIP", "VELK2.ZIP"}));
    EXPECT_EQ(readFile(path("VELK")), "new program");
    EXPECT_EQ(readFile(path("RESTPA.DAT")), kMarker);
}

TEST_F(Installer, ADamagedOrUnsafeArchiveIsNamedBeforeAnythingHappens) {
    QByteArray damaged = readFile(archive("GOOD.ZIP", {{"VELKPA.MDB", QByteArray(5000, 'x'), 0, true}}));
    damaged[damaged.indexOf("xxxx") + 2500] = 'y'; // inside the stored data
    const struct {
        const char* what;
        QList<ZipItem> items; // empty: the damaged bytes instead
        QByteArray bytes;
        const char* named;
    } cases[] = {
        {"not an archive", {}, "PK but not a zip", "is not a zip archive"},
        {"damaged data", {}, damaged, "is damaged"},
        {"a name leaving the folder", {file("../VELKPA.MDB", "x")}, {}, "leaves the folder"},
        {"an absolute name", {file("/etc/VELKPA.MDB", "x")}, {}, "is an absolute path"},
        {"a link", {testsupport::linkItem("VELKI.MDB", "/etc/passwd")}, {}, "is a symbolic link"},
        {"the user's backup", {file("backupPA.mdb", "x")}, {}, "\"backupPA.mdb\" of the archive"},
        {"a restore marker", {file("./RESTNJ.DAT", "x")}, {}, "it would replace the user's own file"},
        {"a lock file of the notes", {file("VELKPA.LDB", "x")}, {}, "keep for themselves"},
        // Played into the new database at its next open: "database disk image is malformed".
        {"a journal",
         {file("VELKPA.MDB", "x"), file("velkpa.mdb-JOURNAL", "x")},
         {},
         "is a database journal"},
        {"a write-ahead log", {file("VELKNJ.MDB-wal", "x")}, {}, "is a database journal"},
        {"the remembered workspace", {file("velk.ini", "x")}, {}, "it would replace the user's own file"},
        {"the downloader's signal", {file("DONE.TXT", "OK\n")}, {}, "keep for themselves"},
        {"a file in the making", {file(".VELKPA.MDB.Ab12Cd", "x")}, {}, "that VELK is still writing"},
        {"a saved search", {file("INITIAL/SEARCH1.VKD", "x")}, {}, "the user's workspaces"},
        {"a 300-character name",
         {file("VELKPA.MDB", "x"), file(QByteArray(300, 'N'), "x")},
         {},
         "longer than"},
        {"a name twice",
         {file("VELKPA.MDB", "x"), file("velkpa.mdb", "y")},
         {},
         "before it has the same name"},
        {"a zip bomb",
         {file("VELKPA.MDB", "x"), file("FILL", QByteArray(65 << 20, 0))},
         {},
         "times their size"},
        {"an empty archive", {}, QByteArray("PK\5\6", 4) + QByteArray(18, 0), "is empty: it holds no files"},
    };
    QDir().mkpath(path("INITIAL"));
    writeFile(path("INITIAL/SEARCH1.VKD"), "the user's search");
    const QStringList filesBefore = files();
    const QByteArray before = readFile(mainPath);
    const QString first = archive("VELK1.ZIP", {file("VELKPA.MDB", delivery), file("VELK", "program")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString second = path("source/VELK2.ZIP");
        if (c.items.isEmpty())
            writeFile(second, c.bytes);
        else
            second = archive("VELK2.ZIP", c.items);
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining(c.named, ui::vbOK);
        host.log.clear();
        const auto report = install({first, second});
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_TRUE(boxes.shown()[0].text.endsWith("\r\n\r\nNothing was installed."));
        EXPECT_EQ(report.end, InstallEnd::NothingChanged);
        EXPECT_FALSE(host.log.contains("<list closed>"));
        expectNothingChanged(before);
        EXPECT_EQ(files(), filesBefore);
        EXPECT_EQ(readFile(path("INITIAL/SEARCH1.VKD")), "the user's search");
    }
}

TEST_F(Installer, AnUpdateNeedingMoreThanTheFreeSpaceChangesNothing) {
    files::setFreeSpaceOverride(delivery.size());
    const QByteArray before = readFile(mainPath);
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining("Installing VELK1.ZIP, VELK2.ZIP needs ", ui::vbOK);
    const auto report = install({archive("VELK1.ZIP", {file("VELKPA.MDB", delivery)}),
                                 archive("VELK2.ZIP", {file("VELK", "program")})});
    files::setFreeSpaceOverride(-1);
    EXPECT_EQ(report.end, InstallEnd::NothingChanged);
    expectNothingChanged(before);
    EXPECT_FALSE(QFile::exists(path("VELK")));
}

TEST_F(Installer, AFailedBackupLeavesItsArchiveOutAndTheOthersGoIn) {
    auto index = dao::Database::open(path("VELKI.MDB"), false, false, dataset::indexDbConnect());
    index->executeBound(QStringLiteral("UPDATE Setup SET pwd = ';PWD=wrong' WHERE STATE = 'PA'"), {});
    index.reset();
    const QByteArray before = readFile(mainPath);
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining("The PA user notes and fields could not be saved, so VELK1.ZIP was not installed "
                           "and VELKPA.MDB was not replaced.",
                           ui::vbOK)
        .expect("Upgrade complete except for VELK1.ZIP.  Restart VELK to activate changes!", ui::vbOK);
    const auto report = install({archive("VELK1.ZIP", {file("VELKPA.MDB", delivery)}),
                                 archive("VELK2.ZIP", {file("README.TXT", "read me")})});
    EXPECT_EQ(report.notInstalled, QStringList({"VELK1.ZIP"}));
    EXPECT_EQ(report.end, InstallEnd::Restart);
    expectNothingChanged(before);
    EXPECT_EQ(readFile(path("README.TXT")), "read me");
}

TEST_F(Installer, AWaitingBackupKeepsItsDataBesideWhatWasTypedSince) {
    const struct {
        const char* what;
        bool markerBefore;
        bool restoreFailed; // the waiting backup has no table USER, so its restore failed
        int archives;
    } cases[] = {{"a marker left by an earlier install", true, false, 1},
                 {"a restore that failed, then a note typed", true, true, 1},
                 {"the database in two archives", false, false, 2}};
    const QByteArray original = readFile(mainPath);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(mainPath, original);
        QFile::remove(path("RESTPA.DAT"));
        QFile::remove(backupPath);
        testsupport::ScriptedMsgBoxes boxes;
        if (c.markerBefore) {
            maintenance::backupUserData(mainPath, backupPath, kConnect);
            if (c.restoreFailed) dao::Database::open(backupPath)->execute("DROP TABLE USER");
            writeFile(path("RESTPA.DAT"), kMarker);
            // The earlier install's delivery, not restored yet, and a note typed there since.
            writeFile(mainPath, delivery);
            reopen();
            setNote(3, "Typed after the update");
            state.reset();
        }
        boxes.expectContaining(c.restoreFailed ? "so it was kept as" : " Fields Saved to ", ui::vbOK,
                               "Backup Complete");
        if (c.archives == 2) boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete");
        boxes.expect(kSelectState, ui::vbOK);
        QStringList archives;
        for (int i = 1; i <= c.archives; ++i)
            archives << archive(QStringLiteral("VELK%1.ZIP").arg(i), {file("VELKPA.MDB", delivery)});
        install(archives);
        EXPECT_EQ(savedNote(), c.restoreFailed ? " " : "Call back in May");
        if (c.markerBefore) {
            EXPECT_EQ(savedNote(3), "Typed after the update");
        }
        EXPECT_EQ(readFile(path("RESTPA.DAT")), kMarker);
        EXPECT_EQ(readFile(mainPath), delivery);
    }
}

TEST_F(Installer, ALockFileRemovedWhileItRunsLeavesTheDatabaseInPlaceAndNoNewMarker) {
    // Another copy could have opened the database in a new lock file meanwhile.
    host.duringEvents = [&] { QFile::remove(path("VELKPA.LDB")); };
    const QByteArray before = readFile(mainPath);
    for (const bool waiting : {false, true}) {
        if (waiting) writeFile(path("RESTPA.DAT"), kMarker); // for the database as it is now
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete")
            .expectContaining("VELKPA.LDB was removed or replaced while the update ran", ui::vbOK);
        const auto report = install({archive("VELK1.ZIP", {file("VELKPA.MDB", delivery)})});
        EXPECT_EQ(report.notInstalled, QStringList({"VELK1.ZIP"}));
        EXPECT_EQ(readFile(mainPath), before);
        EXPECT_EQ(QFile::exists(path("RESTPA.DAT")), waiting);
    }
}

TEST_F(Installer, ADatabaseAnotherCopyHasOpenIsNotReplaced) {
    locks::DatabaseUse otherCopy;
    ASSERT_EQ(otherCopy.take(mainPath, locks::DatabaseUse::Mode::Working), locks::DatabaseUse::Result::Taken);
    const QByteArray before = readFile(mainPath);
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("The update was not installed.\r\n\r\nAnother copy of VELK is using the data of PA.  Close VELK "
                 "there and try again.",
                 ui::vbOK, "VELK");
    const auto report = install({archive("VELK1.ZIP", {file("VELKPA.MDB", delivery), file("VELK", "program")})});
    EXPECT_EQ(report.end, InstallEnd::NothingChanged);
    expectNothingChanged(before);
    EXPECT_FALSE(QFile::exists(path("VELK")));
}

TEST_F(Installer, AnExtractionThatBreaksOffMarksTheDatabasesAlreadyReplacedAndEndsTheProgram) {
    const QString p = archive("VELK1.ZIP", {file("VELKPA.MDB", delivery),
                                            file("BIG.DAT", QByteArray(4 * delivery.size(), 'b'))});
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete")
        .expectContaining("The update was not installed completely.", ui::vbOK);
    maintenance::InstallReport report;
    {
        testsupport::FileSizeLimit limit(2 * delivery.size());
        report = install({p});
    }
    EXPECT_EQ(report.end, InstallEnd::Restart);
    EXPECT_EQ(readFile(mainPath), delivery);
    EXPECT_EQ(readFile(path("RESTPA.DAT")), kMarker) << "the saved notes must come back into it";
    EXPECT_FALSE(QFile::exists(path("BIG.DAT")));
}

TEST_F(Installer, AnExtractionThatFailsLeavesTheMarkerWaitingAndTheOldJournalInPlace) {
    writeFile(path("VELKNJ.MDB-journal"), "the old NJ database's rollback");
    const QString p = archive("VELK1.ZIP", {file("VELKNJ.MDB", QByteArray(4 * delivery.size(), 'b')),
                                            file("VELKPA.MDB", delivery)});
    const QByteArray before = readFile(mainPath);
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete")
        .expectContaining("The update was not installed completely.", ui::vbOK);
    {
        testsupport::FileSizeLimit limit(2 * delivery.size());
        EXPECT_EQ(install({p}).end, InstallEnd::Restart);
    }
    EXPECT_EQ(readFile(mainPath), before);
    EXPECT_EQ(readFile(path("RESTPA.DAT")), kMarker) << "written before any database was touched";
    EXPECT_EQ(readFile(path("VELKNJ.MDB-journal")), "the old NJ database's rollback");
}

TEST(UpdateArchives, VelkZipFilesOfAnyCaseInNameOrderAtMost21) {
    QTemporaryDir dir;
    for (const char* name : {"VELK2.ZIP", "velk1.zip", "VELK.ZIP", "XVELK.ZIP", "VELK3.ZIP.part", ".VELK4.ZIP"})
        writeFile(dir.filePath(name), "x");
    QDir(dir.path()).mkdir("VELK5.ZIP");
    EXPECT_EQ(maintenance::findUpdateArchives(dir.path()), QStringList({"VELK.ZIP", "velk1.zip", "VELK2.ZIP"}));
    for (int i = 10; i < 40; ++i)
        writeFile(dir.filePath(QStringLiteral("VELK%1.ZIP").arg(i)), "x");
    const QStringList many = maintenance::findUpdateArchives(dir.path());
    EXPECT_EQ(many.size(), 21);
    EXPECT_EQ(many.last(), "VELK27.ZIP");
}

TEST(UpdateArchives, EntryRoles) {
    const struct {
        const char* name;
        bool database;
        const char* state;
        bool settings;
    } cases[] = {
        {"VELKNJ.MDB", true, "NJ", false}, {"velkny.mdb", true, "NY", false}, {"VELKDM.Mdb", true, "DM", false},
        {"VELKPM.mDB", false, "PM", false}, {"VELKI.MDB", true, "", true}, {"BACKUPPA.MDB", true, "", false},
        {"sub/VELKPA.MDB", true, "", false}, {"VELKXX.MDB", true, "", false}, {"VELK.EXE", false, "", false},
        {"REPORTS/", false, "", false},
    };
    for (const auto& c : cases) {
        const maintenance::EntryRole role = maintenance::entryRole(c.name);
        EXPECT_EQ(role.database, c.database) << c.name;
        EXPECT_EQ(role.stateCode.toStdString(), c.state) << c.name;
        EXPECT_EQ(role.settings, c.settings) << c.name;
    }
    EXPECT_EQ(maintenance::entryStatus("VELKPA.MDB", 1, 3), "VELKPA.MDB 2 of 3");
    EXPECT_EQ(maintenance::archivesNotFoundMessage("/home/pat"),
              "The VELK*.ZIP file was not found in the directory (/home/pat)  Please select the correct path and "
              "try again.");
}
