// The backup run: which notes and records it saves, that a second run replaces the first whole,
// its count message, and failures that leave the earlier backup and the state database as they were.
#include "support/scripted_msgbox.h"
#include "user_data_fixture.h"

#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace maintenancetest;
using maintenance::backupUserData;
using testsupport::readFile;

namespace {

class Backup : public UserDataTest {
protected:
    // The backup's rows of table, "FILE|field|field..." with Null as "~", in the table's order.
    QStringList saved(const QString& table, const QStringList& fields) {
        QStringList rows;
        auto db = dao::Database::open(backupPath, false, true);
        auto rs = db->OpenRecordset(QStringLiteral("SELECT * FROM ") + table);
        for (; !rs->atEOF(); rs->MoveNext()) {
            QStringList row;
            for (const QString& f : fields)
                row << (rs->isNull(f) ? QStringLiteral("~") : rs->text(f));
            rows << row.join(QLatin1Char('|'));
        }
        return rows;
    }
    QStringList savedUsers() { return saved("USER", maintenance::backupUserFields()); }
    QStringList savedNotes() { return saved("NOTES", {"FILE", "SEQUENCE", "NOTES"}); }
};

TEST_F(Backup, SelectsNotesWithACharacterAndRecordsWithUserData) {
    // After a load every note is one blank and User1..User3 and Omit are one blank: they count.
    setNote(1, "Call back in May");
    setNote(2, "");
    setNote(3, QVariant());
    setUser(4, {});                                        // nothing at all: not saved
    setUser(5, {"", "", "", "", "", "", "", "Y"});         // only Omit: saved with its empty fields
    setUser(6, {QVariant(), QVariant(), QVariant(), " "}); // one blank telephone counts
    const auto counts = backupUserData(mainPath, backupPath, kConnect);
    EXPECT_EQ(counts.notes, 4);
    EXPECT_EQ(counts.fields, 5);
    EXPECT_EQ(savedNotes(),
              QStringList({"1000001|01|Call back in May", "1000004|01| ", "1000005|01| ", "1000006|01| "}));
    EXPECT_EQ(savedUsers(), QStringList({"1000001|01| | | |~|~|~|~| ", "1000002|01| | | |~|~|~|~| ",
                                         "1000003|01| | | |~|~|~|~| ", "1000005|01||||||||Y",
                                         "1000006|01|~|~|~| |~|~|~|~"}));
}

TEST_F(Backup, FiveFilledFieldsCountOnceAndAnOmitOtherThanYDoesNot) {
    for (int i = 1; i <= 6; ++i)
        setUser(i, {});
    setUser(2, {"a", "b", "c", "412", "413"});
    setUser(3, {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), " "});
    EXPECT_EQ(backupUserData(mainPath, backupPath, kConnect).fields, 1);
    EXPECT_EQ(savedUsers(), QStringList({"1000002|01|a|b|c|412|413|~|~|~"}));
}

TEST_F(Backup, ASecondRunReplacesTheFirstWhole) {
    setNote(1, "first");
    setUser(2, {"two"});
    backupUserData(mainPath, backupPath, kConnect);
    for (int i = 1; i <= 6; ++i) {
        setUser(i, {});
        setNote(i, QVariant());
    }
    setUser(3, {"three"});
    const auto counts = backupUserData(mainPath, backupPath, kConnect);
    EXPECT_EQ(counts.notes, 0);
    EXPECT_EQ(counts.fields, 1);
    EXPECT_EQ(savedNotes(), QStringList());
    EXPECT_EQ(savedUsers(), QStringList({"1000003|01|three|~|~|~|~|~|~|~"}));
    // Nothing is left beside it.
    EXPECT_EQ(files(), QStringList({"BACKUPPA.MDB", "VELKPA.MDB"}));
}

TEST_F(Backup, ReplacesAnExistingBackupUnderItsOwnSpellingAndKeepsItsPermissions) {
    backupUserData(mainPath, path("backuppa.mdb"), kConnect);
    QFile::setPermissions(path("backuppa.mdb"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    setNote(1, "later");
    backupUserData(mainPath, backupPath, kConnect);
    EXPECT_EQ(files(), QStringList({"VELKPA.MDB", "backuppa.mdb"}));
    EXPECT_EQ(QFile::permissions(path("backuppa.mdb")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                            QFileDevice::ReadUser | QFileDevice::WriteUser);
    backupPath = path("backuppa.mdb");
    EXPECT_TRUE(savedNotes().contains("1000001|01|later"));
}

TEST_F(Backup, EmptyDataSetGivesEmptyTablesAndZeroCounts) {
    for (int i = 1; i <= 6; ++i) {
        setUser(i, {});
        setNote(i, "");
    }
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("0 User Notes and 0 Fields Saved to " + backupPath, ui::vbOK, "Backup Complete");
    maintenance::BackupUserData(mainPath, backupPath, "ZZ", kConnect);
    EXPECT_EQ(boxes.shown().at(0).style, ui::vbOKOnly | ui::vbInformation);
    EXPECT_FALSE(ui::hourglassShown());
    EXPECT_EQ(savedNotes(), QStringList());
    EXPECT_EQ(savedUsers(), QStringList());
}

TEST_F(Backup, FailuresLeaveTheEarlierBackupAndTheStateDatabaseAsTheyWere) {
    setNote(1, "kept");
    backupUserData(mainPath, backupPath, kConnect);
    expectFailuresChangeNothing(
        {
            {"wrong password", [] {}, ";PWD=wrong", "password"},
            {"state database missing", [&] { QFile::rename(mainPath, path("moved.MDB")); }, kConnect,
             "VELKPA.MDB"},
            {"state database without NOTES",
             [&] { dao::Database::open(mainPath, false, false, kConnect)->execute("DROP TABLE NOTES"); },
             kConnect, "NOTES"},
        },
        [&](const QString& connect) { maintenance::BackupUserData(mainPath, backupPath, "PA", connect); });
    EXPECT_EQ(savedNotes().first(), "1000001|01|kept");
}

TEST_F(Backup, AnEarlierFileThatIsNoBackupIsKeptAsideAndANewBackupMade) {
    setNote(1, "kept");
    const std::function<void()> arrange[] = {
        [&] { testsupport::writeFile(backupPath, "an old backup of another program"); },
        [&] { handMadeBackup()->execute("DROP TABLE USER"); },
    };
    for (const auto& earlierFile : arrange) {
        for (const QString& f : files())
            if (f.startsWith("BACKUP")) QFile::remove(path(f));
        earlierFile();
        const QByteArray before = readFile(backupPath);
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining("could not be read as a backup, so it was kept as " +
                                   path("BACKUPPA-DAMAGED-"),
                               ui::vbOK, "Backup Complete");
        maintenance::BackupUserData(mainPath, backupPath, "PA", kConnect);
        const QStringList aside = files().filter("BACKUPPA-DAMAGED-");
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(readFile(path(aside.first())), before);
        EXPECT_EQ(savedNotes().first(), "1000001|01|kept");
    }
}

TEST_F(Backup, WhatARunKilledMidwayLeftBehindNeitherBlocksNorStays) {
    setNote(1, "kept");
    state.reset();
    // A writer killed inside its transaction leaves a journal that only a writer can roll back,
    // and a backup killed midway its temporary files.
    if (const pid_t child = ::fork(); child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(mainPath).constData(), &db);
        // A small cache spills the changes into the file before the commit.
        sqlite3_exec(
            db,
            "PRAGMA cache_size = 1; BEGIN; UPDATE PRIME SET User1 = 'half'; UPDATE NOTES SET NOTES = 'half'",
            nullptr, nullptr, nullptr);
        ::_exit(0);
    } else {
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(QFile::exists(mainPath + "-journal"));
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString killedTemp = backupPath + QStringLiteral(".new-%1").arg(gone);
    testsupport::writeFile(killedTemp, "half a backup");
    testsupport::writeFile(killedTemp + "-journal", "its journal");

    backupUserData(mainPath, backupPath, kConnect);
    EXPECT_EQ(savedNotes().first(), "1000001|01|kept");
    EXPECT_EQ(files(), QStringList({"BACKUPPA.MDB", "VELKPA.MDB"}));
}

TEST_F(Backup, AFolderThatCannotBeWrittenFailsWithItsReason) {
    try {
        backupUserData(mainPath, path("no such folder/BACKUPPA.MDB"), kConnect);
        FAIL() << "no failure";
    } catch (const dao::DaoError& e) {
        EXPECT_TRUE(e.message().contains("no such folder")) << e.message().toStdString();
    }
}

} // namespace
