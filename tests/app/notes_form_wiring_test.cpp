// The notes backup form in the program: the ribbon shows it modally and the File menu without
// waiting; a restore from it brings the list back on its tab, showing the restored fields; and the
// restore an update left pending runs when its data set is chosen.
#include "commands_fixture.h"

#include "maintenance/notes_backup_form.h"
#include "maintenance/restore_marker.h"
#include "maintenance/user_data.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

class NotesFormWiring : public CommandsTest {
protected:
    // n employers, notes "saved <i>" backed up into BACKUPPA.MDB, then changed to "mine".
    void seedAndBackUp(int n) {
        seed("PA", {"EMPLOYER 1"});
        auto db = openState();
        db->executeBound(
            "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
            "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, COUNTY, FILESEQ, Omit) "
            "SELECT 'PA', 'F' || i, '01', 'EMPLOYER ' || i, 'EMPLOYER ' || i, printf('%03d', i), "
            "'F' || i || '01', ' ' FROM n",
            {n});
        db->execute(
            "INSERT INTO NOTES (FILE, SEQUENCE, NOTES) SELECT FILE, SEQUENCE, 'saved ' || FILE FROM PRIME");
        db->execute("UPDATE PRIME SET User1 = 'saved', UserContact = 'SAVED CONTACT'");
        db->close();
        maintenance::backupUserData(programFile("VELKPA.MDB"), programFile("BACKUPPA.MDB"), connect());
        db = openState();
        db->execute("UPDATE NOTES SET NOTES = 'mine'");
        db->execute("UPDATE PRIME SET User1 = 'mine', UserContact = 'MINE CONTACT'");
    }
    static QString connect() { return dataset::defaultConnect("PA"); }
    std::unique_ptr<dao::Database> openState() {
        return dao::Database::open(programFile("VELKPA.MDB"), false, false, connect());
    }
    QVariant stored(const QString& sql) { return openState()->scalar(sql); }
};

TEST_F(NotesFormWiring, RibbonShowsItModallyAndTheMenuWithoutWaiting) {
    seed("PA", {"ACME"});
    MASTER* master = start();
    ScriptedMsgBoxes none;
    {
        ModalScript modals;
        modals.expect<VKNOTES>([](VKNOTES& f) { return testsupport::press(f, f.CANCEL); });
        master->SSRibbon1[2]->click();
    }
    flushDeletes();
    master->mnuBackup->trigger();
    auto* form = master->findChild<VKNOTES*>();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    master->mnuBackup->trigger(); // the one form is raised, not a second one made
    EXPECT_EQ(master->findChildren<VKNOTES*>().size(), 1);
    form->CANCEL->click();
    flushDeletes();
    EXPECT_EQ(master->findChild<VKNOTES*>(), nullptr) << "unloaded when closed";
}

TEST_F(NotesFormWiring, RestoreBringsTheListBackOnItsTabShowingWhatWasRestored) {
    seedAndBackUp(20);
    writeSearch("INITIAL", "SEARCH1.VKD", "All", "001", "999");
    MASTER* master = start();
    selectTab(1);
    ASSERT_EQ(list()->panel->CONTACT->text(), "MINE CONTACT");
    const QString backup = QDir::currentPath() + "/BACKUPPA.MDB";
    ScriptedMsgBoxes boxes;
    boxes.expect("Restore User Data and Notes from " + backup + "?", ui::vbYes, "Restore User Notes & Data")
        .expect("20 User Notes and 20 Fields Restored From " + backup, ui::vbOK, "Restore Complete")
        .expect("User Notes and Fields Restored!", ui::vbOK, "Restore Complete");
    ModalScript modals;
    modals.expect<VKNOTES>([](VKNOTES& f) {
        f.Option2->click();
        return testsupport::press(f, f.OK);
    });
    master->SSRibbon1[2]->click();
    EXPECT_EQ(stored("SELECT NOTES FROM NOTES WHERE FILE = 'F20'").toString(), "saved F20");
    EXPECT_EQ(stored("SELECT COUNT(*) FROM PRIME WHERE User1 = 'saved'").toInt(), 20);
    ASSERT_NE(list(), nullptr);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(list()->SSTab1->currentIndex(), 1) << "the search shown before";
    EXPECT_EQ(list()->panel->CONTACT->text(), "SAVED CONTACT");
    EXPECT_EQ(master->windowTitle(), "VELK - Workspace is INITIAL and State is PA");
}

TEST_F(NotesFormWiring, PendingRestoreRunsWhenItsDataSetIsChosenAndKeepsWhatWasWrittenSince) {
    seedAndBackUp(3);
    // The new database after a restore that failed (its backup was away): a note and a contact
    // typed there since, then the backup came back. F1's note is the saved one: nothing kept.
    auto db = openState();
    db->execute(
        "UPDATE NOTES SET NOTES = CASE FILE WHEN 'F2' THEN NOTES WHEN 'F1' THEN 'saved F1' ELSE ' ' END");
    db->execute("UPDATE PRIME SET User1 = NULL, UserContact = CASE FILE WHEN 'F3' THEN UserContact END");
    db.reset();
    ASSERT_TRUE(maintenance::writeRestoreMarker(programDir, "PA"));
    ScriptedMsgBoxes boxes;
    boxes.expect("2 User Notes and 3 Fields Restored From " + programFile("BACKUPPA.MDB") +
                     "\r\n\r\nWritten since the update and kept: 1 notes, and fields of 1 records.",
                 ui::vbOK, "Restore Complete");
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("INITIAL", "PA"));
    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    EXPECT_EQ(stored("SELECT group_concat(NOTES, '|') FROM NOTES").toString(), "saved F1|mine|saved F3");
    EXPECT_EQ(stored("SELECT group_concat(User1 || ' ' || UserContact, '|') FROM PRIME").toString(),
              "saved SAVED CONTACT|saved SAVED CONTACT|saved MINE CONTACT");
    EXPECT_FALSE(maintenance::restorePending(programDir, "PA"));
    ASSERT_NE(list(), nullptr);
}

} // namespace
