// Restore and merge: a backup survives a release load and a replaced database; the notes pass
// replaces or appends; backed-up rows without a record; address overrides; the note another copy
// is editing; counts; and failures that leave both databases as they were.
#include "support/scripted_msgbox.h"
#include "user_data_fixture.h"

#include "platform/locks/database_use.h"
#include "platform/locks/row_lock.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "results/notes_store.h"

using namespace maintenancetest;
using maintenance::NotesPass;

namespace {

class Restore : public UserDataTest {};

TEST_F(Restore, BringsBackWhatAReleaseAndANewDatabaseTookAway) {
    setNote(1, "Called in May\r\nWants a quote");
    setUser(1, {"!&", "12 Oak St", "Erie PA 16501-1234", "814-555-0101", "814-555-0102", "Ann Lee", "Owner",
                "Y"});
    setUser(2, {"customer", "", "", QVariant(), QVariant(), "Bob", QVariant(), " "});
    setUser(3, {"!&", "9 Elm St", "Erie PA", QVariant(), QVariant(), QVariant(), QVariant(), " "}); // no zip
    maintenance::backupUserData(mainPath, backupPath, kConnect);

    // A release loaded into the same database blanks the user fields; the override's address is
    // replaced by the released one.
    loadRelease(6);
    EXPECT_EQ(prime(1, "User1").toString(), " ");
    EXPECT_EQ(prime(1, "STREET").toString().trimmed(), "1 MAIN ST");
    // An update archive replaces the whole database: the notes are gone too.
    newStateDatabase();
    loadRelease(6);
    EXPECT_EQ(note(1).toString(), " ");

    const QString searchIndex = "SELECT sql FROM sqlite_master WHERE name = 'PRIME__KEYSEARCH'";
    const QVariant searchIndexBefore = state->scalar(searchIndex);
    const auto counts = restore();
    // The searches' index, set aside while a restore of many records writes, is there again whole.
    EXPECT_EQ(state->scalar(searchIndex), searchIndexBefore);
    EXPECT_EQ(state->scalar("SELECT group_concat(integrity_check) FROM pragma_integrity_check"), "ok");
    EXPECT_EQ(note(1).toString(), "Called in May\r\nWants a quote");
    EXPECT_EQ(note(2).toString(), " ");
    const QStringList fields = maintenance::restoredUserFields();
    const QVariantList expected1 = {
        "!&", "12 Oak St", "Erie PA 16501-1234", "814-555-0101", "814-555-0102", "Ann Lee", "Owner", "Y"};
    for (int k = 0; k < fields.size(); ++k)
        EXPECT_EQ(prime(1, fields[k]), expected1[k]) << fields[k].toStdString();
    EXPECT_EQ(prime(2, "User1").toString(), "customer");
    EXPECT_EQ(prime(2, "User2").toString(), "");
    EXPECT_EQ(prime(2, "UserContact").toString(), "Bob");
    EXPECT_TRUE(isNull(prime(2, "UserPhone")));
    // The override of record 1 is applied; record 3's cannot be and keeps the released address.
    EXPECT_EQ(prime(1, "STREET").toString(), "12 Oak St");
    EXPECT_EQ(prime(1, "CITY").toString(), "Erie");
    EXPECT_EQ(prime(1, "ST").toString(), "PA");
    EXPECT_EQ(prime(1, "ZIP").toString(), "16501");
    EXPECT_EQ(prime(1, "ZIPEXT").toString(), "1234");
    EXPECT_EQ(prime(3, "User2").toString(), "9 Elm St");
    EXPECT_EQ(prime(3, "STREET").toString().trimmed(), "1 MAIN ST");
    EXPECT_EQ(prime(3, "CITY").toString().trimmed(), "PITTSBURGH");
    EXPECT_EQ(prime(3, "ZIP").toString(), "15222");

    EXPECT_EQ(counts.notes, 6); // every note of the backup: a blank note counts
    EXPECT_EQ(counts.fields, 6);
    ASSERT_EQ(counts.unappliedAddresses.size(), 1);
    EXPECT_EQ(maintenance::restoreMessage(counts, "B.MDB"),
              "6 User Notes and 6 Fields Restored From B.MDB\r\n\r\n"
              "Custom addresses not applied, the released address kept (1):\r\n"
              "1000003-01: Missing Zip Code, Format Must be City ST Zip");
}

TEST_F(Restore, NotesPassReplacesOrAppends) {
    struct Case {
        const char* what;
        QVariant current, saved;
        NotesPass pass;
        QVariant result;
        bool counted;
    };
    const QVariant N;
    const Case cases[] = {
        {"restore replaces", "mine", "saved", NotesPass::Replace, "saved", true},
        {"restore writes a Null note", "mine", N, NotesPass::Replace, N, true},
        {"merge appends on a line of its own", "mine", "saved", NotesPass::Append, "mine\r\nsaved", true},
        {"merge after one blank", " ", "saved", NotesPass::Append, " \r\nsaved", true},
        {"merge into an empty note", "", "saved", NotesPass::Append, "saved", true},
        {"merge into a Null note", N, "saved", NotesPass::Append, "saved", true},
        {"merge of a Null note keeps the note", "mine", N, NotesPass::Append, "mine", false},
        {"merge of a blank", "mine", " ", NotesPass::Append, "mine\r\n ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(backupPath);
        auto backup = handMadeBackup();
        addSavedNote(*backup, fileNo(1), c.saved);
        backup->close();
        setNote(1, c.current);
        const auto counts = restore(c.pass);
        EXPECT_EQ(counts.notes, c.counted ? 1 : 0);
        EXPECT_EQ(isNull(note(1)), isNull(c.result));
        EXPECT_EQ(note(1).toString(), c.result.toString());
    }
}

TEST_F(Restore, MergingTwiceAppendsTwiceAndFieldsAreReplacedAlike) {
    setNote(1, "saved");
    setUser(1, {"!&", "5 Pine Rd", "Erie PA 16501", "814"});
    maintenance::backupUserData(mainPath, backupPath, kConnect);
    setNote(1, "mine");
    setUser(1, {"other"});
    restore(NotesPass::Append);
    restore(NotesPass::Append);
    EXPECT_EQ(note(1).toString(), "mine\r\nsaved\r\nsaved");
    EXPECT_EQ(prime(1, "User1").toString(), "!&");
    EXPECT_EQ(prime(1, "UserPhone").toString(), "814");
    EXPECT_EQ(prime(1, "STREET").toString(), "5 Pine Rd");
    EXPECT_TRUE(isNull(prime(1, "ZIPEXT")));
}

TEST_F(Restore, RowsWithoutARecordAndNullOrMissingValuesDoNotStopIt) {
    auto backup = handMadeBackup();
    addSavedNote(*backup, "9999999", "lost record");
    addSavedNote(*backup, fileNo(2), "two");
    addSavedUser(*backup, "9999999", {"!&", "1 Elm", "Erie PA 16501"});
    addSavedUser(*backup, fileNo(1), {});                                  // all Null, User1 included
    addSavedUser(*backup, fileNo(2), {"!&", "1 Elm"});                     // Null City ST Zip
    addSavedUser(*backup, fileNo(3), {"!&", QVariant(), "Erie PA 16501"}); // Null street
    backup->close();
    const auto counts = restore();
    EXPECT_EQ(counts.notes, 1);
    EXPECT_EQ(counts.fields, 3);
    EXPECT_EQ(state->scalar("SELECT COUNT(*) FROM NOTES").toInt(), 6); // no row added
    EXPECT_EQ(state->scalar("SELECT COUNT(*) FROM PRIME").toInt(), 6);
    EXPECT_TRUE(isNull(prime(1, "User1")));
    EXPECT_TRUE(isNull(prime(1, "Omit")));
    EXPECT_EQ(prime(2, "STREET").toString().trimmed(), "1 MAIN ST");
    EXPECT_EQ(prime(3, "STREET").toString().trimmed(), "1 MAIN ST");
    EXPECT_EQ(prime(3, "CITY").toString().trimmed(), "PITTSBURGH");
    EXPECT_EQ(maintenance::restoreMessage(counts, "B"),
              "1 User Notes and 3 Fields Restored From B\r\n\r\n"
              "Custom addresses not applied, the released address kept (2):\r\n"
              "1000002-01: Missing City, Format Must be City ST Zip\r\n"
              "1000003-01: Missing Street Address");
}

TEST_F(Restore, EmptyBackupTablesRestoreNothingAndSayZero) {
    handMadeBackup()->close();
    setNote(1, "mine");
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("0 User Notes and 0 Fields Restored From " + backupPath, ui::vbOK, "Restore Complete");
    boxes.expect("0 User Notes and 0 Fields Restored From " + backupPath, ui::vbOK, "Merge Complete");
    maintenance::RestoreUserData(mainPath, backupPath, "PA", kConnect);
    maintenance::MergeUserData(mainPath, backupPath, "PA", kConnect);
    EXPECT_EQ(boxes.shown().at(0).style, ui::vbOKOnly | ui::vbInformation);
    EXPECT_FALSE(ui::hourglassShown());
    EXPECT_EQ(note(1).toString(), "mine");
}

TEST_F(Restore, ANoteAnotherCopyIsEditingIsSkippedAndNamed) {
    for (int i = 1; i <= 6; ++i)
        setNote(i, QStringLiteral("saved %1").arg(i));
    maintenance::backupUserData(mainPath, backupPath, kConnect);
    for (int i = 1; i <= 6; ++i)
        setNote(i, "mine");

    // Another copy of the program has the notes of records 2 and 5 open in its detail form.
    auto other = dao::Database::open(mainPath, false, false, kConnect);
    results::NotesStore editor(*other, locks::lockFileFor(mainPath));
    ASSERT_EQ(editor.open(fileNo(2), "01").result, results::NotesStore::OpenResult::Opened);
    results::NotesStore editor2(*other, locks::lockFileFor(mainPath));
    ASSERT_EQ(editor2.open(fileNo(5), "01").result, results::NotesStore::OpenResult::Opened);

    const auto counts = restore();
    EXPECT_EQ(counts.notes, 4);
    for (int i : {1, 3, 4, 6})
        EXPECT_EQ(note(i).toString(), QStringLiteral("saved %1").arg(i));
    EXPECT_EQ(note(2).toString(), "mine");
    EXPECT_EQ(note(5).toString(), "mine");
    EXPECT_EQ(maintenance::restoreMessage(counts, "B"),
              "4 User Notes and 6 Fields Restored From B\r\n\r\n"
              "Notes left unchanged because another user is editing them (2): 1000002-01, 1000005-01");

    // The editor's lock was not taken from it, and the restore let go of the others.
    QString text = "edited";
    EXPECT_EQ(editor.write(text), results::NotesStore::WriteResult::Written);
    EXPECT_EQ(note(2).toString(), "edited");
    results::NotesStore third(*other, locks::lockFileFor(mainPath));
    EXPECT_EQ(third.open(fileNo(1), "01").result, results::NotesStore::OpenResult::Opened);
    EXPECT_EQ(third.open(fileNo(5), "01").result, results::NotesStore::OpenResult::Busy);
}

TEST_F(Restore, ManyNamesAreCutShort) {
    maintenance::RestoreCounts counts;
    for (int i = 1; i <= 12; ++i)
        counts.lockedNotes.append({fileNo(i), "01"});
    EXPECT_TRUE(maintenance::restoreMessage(counts, "B").endsWith("1000010-01, and 2 more"));
}

TEST_F(Restore, FailuresLeaveBothDatabasesAsTheyWere) {
    setNote(1, "saved");
    setUser(1, {"saved"});
    maintenance::backupUserData(mainPath, backupPath, kConnect);
    setNote(1, "mine");
    setUser(1, {"mine"});
    locks::DatabaseUse update;
    expectFailuresChangeNothing(
        {
            {"wrong password", [] {}, ";PWD=wrong", "password"},
            {"backup missing", [&] { QFile::rename(backupPath, path("moved.MDB")); }, kConnect,
             "BACKUPPA.MDB"},
            {"backup without USER", [&] { dao::Database::open(backupPath)->execute("DROP TABLE USER"); },
             kConnect, "no table USER"},
            {"a record refuses its user fields after the notes were written",
             [&] {
                 dao::Database::open(mainPath, false, false, kConnect)
                     ->execute(
                         "CREATE TRIGGER refuse BEFORE UPDATE OF User1 ON PRIME WHEN NEW.FILE = '1000001' "
                         "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
             },
             kConnect, "refused by the test"},
            {"an update in another copy replacing the database",
             [&] { update.take(mainPath, locks::DatabaseUse::Mode::Replacing); }, kConnect,
             "An update in another copy of VELK is replacing it."},
        },
        [&](const QString& connect) { maintenance::RestoreUserData(mainPath, backupPath, "PA", connect); });
    EXPECT_EQ(note(1).toString(), "mine");
    EXPECT_EQ(prime(1, "User1").toString(), "mine");
}

} // namespace
