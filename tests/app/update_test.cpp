// The update form in the running program: a databases-only install goes back to the workspace
// dialog and the next choice of the data set restores its notes; a program update ends the
// program; the list's database is claimed while it is open.
#include "commands_fixture.h"

#include "archive/zip_builder.h"
#include "maintenance/update_form.h"
#include "platform/locks/database_use.h"
#include "platform/ui/folder_list.h"

#include <QPushButton>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

const QString kUpdate = QStringLiteral("Update Database?");

class Update : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        seed("PA", {"ACME STEEL"});
        db()->executeBound(QStringLiteral("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES ('F1', '01', ' ')"), {});
        delivery = readFile(programFile("VELKPA.MDB")); // the release as it comes: a blank note
        db()->executeBound(QStringLiteral("UPDATE NOTES SET NOTES = 'Call back in May'"), {});
        QDir().mkpath(path("source"));
    }
    std::unique_ptr<dao::Database> db() {
        return dao::Database::open(programFile("VELKPA.MDB"), false, false, dataset::defaultConnect("PA"));
    }
    QString note() { return db()->scalar(QStringLiteral("SELECT NOTES FROM NOTES WHERE FILE = 'F1'")).toString(); }
    void publish(const QList<testsupport::ZipItem>& items) { testsupport::writeZip(path("source/VELK1.ZIP"), items); }
    // Drives the update form: the source folder, then OK.
    std::function<int(VKUPGRD&)> installFromSource() {
        return [this](VKUPGRD& d) {
            d.Dir1->setPath(path("source"));
            return testsupport::press(d, d.Command1);
        };
    }

    QByteArray delivery;
};

} // namespace

TEST_F(Update, DatabasesOnlyGoesBackToTheWorkspaceDialogAndTheNextChoiceRestoresTheNotes) {
    publish({{"VELKPA.MDB", delivery}});
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbYes)
        .expect("1 User Notes and 0 Fields Saved to " + programFile("BACKUPPA.MDB"), ui::vbOK, "Backup Complete")
        .expect("Upgrade complete.  Select State!", ui::vbOK)
        .expect("1 User Notes and 0 Fields Restored From " + programFile("BACKUPPA.MDB"), ui::vbOK,
                "Restore Complete");
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKUPGRD>(installFromSource());
    modals.expect<VKWSPACE>([this](VKWSPACE& d) {
        EXPECT_EQ(readFile(programFile("RESTPA.DAT")), " \r\n");
        EXPECT_EQ(note(), " ") << "the new database has come without the note";
        return chooseInDialog(d, "INITIAL", "PA");
    });

    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    EXPECT_EQ(note(), "Call back in May");
    EXPECT_FALSE(QFile::exists(programFile("RESTPA.DAT")));
    EXPECT_NE(list(), nullptr);
}

TEST_F(Update, AProgramUpdateFromTheMenuEndsTheProgram) {
    MASTER* master = start();
    publish({{"VELKPA.MDB", delivery}, {"velk", "new program"}});
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(" Fields Saved to ", ui::vbOK, "Backup Complete")
        .expect("Upgrade complete.  Restart VELK to activate changes!", ui::vbOK);
    ModalScript modals;
    modals.expect<VKUPGRD>(installFromSource());
    master->mnuUpdate->trigger();
    EXPECT_TRUE(master->programEnded());
    EXPECT_FALSE(master->isVisible());
    EXPECT_EQ(readFile(programFile("velk")), "new program");
    EXPECT_EQ(readFile(programFile("RESTPA.DAT")), " \r\n") << "the next start restores the notes";
}

TEST_F(Update, TheListsDatabaseIsClaimedWhileOpenAndNotOpenedWhileAnUpdateReplacesIt) {
    MASTER* master = start();
    locks::DatabaseUse otherCopy;
    EXPECT_EQ(otherCopy.take(programFile("VELKPA.MDB"), locks::DatabaseUse::Mode::Replacing),
              locks::DatabaseUse::Result::Busy);
    QFile::remove(programFile("VELKPA.LDB")); // the claim is taken again in the lock file made anew
    master->keepDatabaseClaim();
    EXPECT_EQ(otherCopy.take(programFile("VELKPA.MDB"), locks::DatabaseUse::Mode::Replacing),
              locks::DatabaseUse::Result::Busy);
    master->unloadListForm();
    ASSERT_EQ(otherCopy.take(programFile("VELKPA.MDB"), locks::DatabaseUse::Mode::Replacing),
              locks::DatabaseUse::Result::Taken);

    ScriptedMsgBoxes boxes;
    boxes.expectContaining("an update in another copy of VELK is replacing it", ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("INITIAL", "PA")).expect<VKWSPACE>([&](VKWSPACE& d) {
        otherCopy.release();
        return chooseInDialog(d, "INITIAL", "PA");
    });
    master->mnuNewState->trigger();
    EXPECT_NE(list(), nullptr);
}

TEST_F(Update, CancelLeavesTheListAsItWas) {
    MASTER* master = start();
    VKLIST* before = list();
    ScriptedMsgBoxes none;
    ModalScript modals;
    modals.expect<VKUPGRD>([](VKUPGRD& d) { return testsupport::press(d, d.Command2); });
    master->SSRibbon1[7]->click();
    EXPECT_FALSE(velk::UpgradeDone);
    EXPECT_EQ(list(), before);
    EXPECT_FALSE(master->programEnded());
}
