// The release-file check of the start-up: the warning, the splash as progress window, the load,
// the program's end, and the next start on the new data.
#include "app/app_fixture.h"
#include "app/release_check.h"
#include "dataset/data_set.h"
#include "loading/load_context.h"
#include "loading_fixture.h"
#include "platform/ui/events.h"
#include "platform/ui/msgbox.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QLabel>
#include <QPushButton>

using loadingtest::employers;
using loadingtest::Golden;
using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

StartOutcome startProgram() {
    return TITLE::load().Form_Load();
}

} // namespace

class ReleaseCheck : public AppTest {
protected:
    void TearDown() override {
        ui::setDoEventsHook({});
        AppTest::TearDown();
    }
    void write(const QString& name, const QList<QByteArray>& records) {
        QByteArray bytes;
        for (const QByteArray& r : records)
            bytes += r;
        writeFile(programFile(name), bytes);
    }
    bool exists(const QString& name) const { return QFile::exists(programFile(name)); }
    std::unique_ptr<dao::Database> stateDb() {
        return dao::Database::open(programFile("VELKPA.MDB"), false, true, dataset::defaultConnect("PA"));
    }
    void chooseParkland(ModalScript& modals) {
        modals.expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, "INITIAL", "PA"); });
    }
};

TEST_F(ReleaseCheck, LoadEndsTheProgramAndTheNextStartShowsTheNewData) {
    write("sic.dat", {Golden(52).put(1, " 1521").put(9, "HOUSES").rec});
    write("DATAPA.DAT", employers(2));
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(velk::releaseWarningText(), ui::vbOK);
        ModalScript modals;
        chooseParkland(modals);
        bool sawProgress = false;
        ui::setDoEventsHook([&] {
            TITLE* splash = TITLE::instance();
            ASSERT_NE(splash, nullptr);
            EXPECT_TRUE(splash->Command2->isVisible());
            EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_FALSE(MASTER::instance()->isEnabled());
            EXPECT_TRUE(ui::hourglassShown());
            sawProgress = splash->lblStatus->text() == "TOTAL COMPANIES ADDED IS 0";
        });
        ASSERT_EQ(startProgram(), StartOutcome::Ended);
        EXPECT_TRUE(sawProgress);
        EXPECT_EQ(boxes.shown().front().style, ui::vbOKCancel); // no icon
        MASTER* master = MASTER::instance();
        ASSERT_NE(master, nullptr);
        EXPECT_TRUE(master->programEnded());
        EXPECT_EQ(master->exitCode(), 0);
        EXPECT_EQ(master->StateDb, nullptr);
        EXPECT_EQ(TITLE::instance(), nullptr);
        EXPECT_FALSE(ui::hourglassShown());
    }
    EXPECT_FALSE(exists("sic.dat"));
    EXPECT_FALSE(exists("DATAPA.DAT"));
    {
        auto db = stateDb();
        EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM PRIME").toInt(), 2);
        EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM SICCODES").toInt(), 1);
        EXPECT_EQ(dao::toDate(db->scalar("SELECT Version FROM VERSION WHERE Dummy = '1'")),
                  QDate::currentDate());
    }

    velk::unloadAllForms();
    ui::setDoEventsHook({});
    ScriptedMsgBoxes none; // no release left: no question
    ModalScript modals;
    chooseParkland(modals);
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    EXPECT_NE(MASTER::instance()->listForm(), nullptr);
}

TEST_F(ReleaseCheck, DeclinedWarningKeepsEveryFile) {
    write("DATAPA.DAT", employers(1));
    write("DATA2NY.DAT", {Golden(327).put(1, "NY").rec});
    ScriptedMsgBoxes boxes;
    boxes.expect(velk::releaseWarningText(), ui::vbCancel);
    ModalScript modals;
    chooseParkland(modals);
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_TRUE(exists("DATA2NY.DAT"));
    EXPECT_EQ(stateDb()->scalar("SELECT COUNT(*) FROM PRIME").toInt(), 0);
}

TEST_F(ReleaseCheck, CancelDuringTheEmployerLoadChangesNothingAndGoesOnToTheList) {
    write("DATAPA.DAT", employers(700));
    ScriptedMsgBoxes boxes;
    boxes.expect(velk::releaseWarningText(), ui::vbOK)
        .expect("The data load was cancelled.\r\n\r\n" + loading::nothingChangedText(), ui::vbOK);
    ModalScript modals;
    chooseParkland(modals);
    int runs = 0;
    ui::setDoEventsHook([&] {
        if (++runs == 400 && TITLE::instance()) TITLE::instance()->Command2->click();
    });
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    MASTER* master = MASTER::instance();
    EXPECT_TRUE(master->isEnabled());
    EXPECT_NE(master->listForm(), nullptr);
    EXPECT_EQ(TITLE::instance(), nullptr);
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_EQ(master->LoadTotal, 300);
    auto db = stateDb();
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM PRIME").toInt(), 0); // not even the rows before Cancel
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM VERSION").toInt(), 0);
}

TEST_F(ReleaseCheck, FailureIsReportedAndEndsTheProgram) {
    QList<QByteArray> recs = employers(3);
    recs[1] = recs[1].left(500) + "\n\n"; // record 2 does not end in CR LF
    write("DATAPA.DAT", recs);
    write("CLASSES.DAT", {Golden(57).put(2, "8810").put(6, "CLERICAL").rec});
    ScriptedMsgBoxes boxes;
    boxes.expect(velk::releaseWarningText(), ui::vbOK)
        .expectContaining("The data load stopped at record 2 of DATAPA.DAT.", ui::vbOK);
    ModalScript modals;
    chooseParkland(modals);
    ASSERT_EQ(startProgram(), StartOutcome::Ended);
    EXPECT_EQ(MASTER::instance()->exitCode(), 1);
    EXPECT_EQ(TITLE::instance(), nullptr) << "no splash left hanging";
    EXPECT_TRUE(boxes.shown().back().text.endsWith(loading::nothingChangedText()));
    EXPECT_TRUE(exists("DATAPA.DAT"));
    EXPECT_TRUE(exists("CLASSES.DAT")); // loaded before the failure, and undone with it
    EXPECT_EQ(stateDb()->scalar("SELECT COUNT(*) FROM CLASSLIST").toInt(), 0);
}

TEST_F(ReleaseCheck, FilesThatCannotBeLoadedAreNamedBeforeTheWarning) {
    write("DATAPA.DAT", employers(2));
    write("datapa.dat", employers(3));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining("DATAPA.DAT and datapa.dat: release files whose names differ only in letter case",
                           ui::vbOK);
    ModalScript modals;
    chooseParkland(modals);
    ASSERT_EQ(startProgram(), StartOutcome::Running); // on to the list with the data as it is
    EXPECT_EQ(boxes.shown().size(), 1);
    EXPECT_EQ(boxes.shown().front().style & ui::vbCritical, ui::vbCritical);
    EXPECT_TRUE(exists("DATAPA.DAT") && exists("datapa.dat"));
    EXPECT_EQ(stateDb()->scalar("SELECT COUNT(*) FROM PRIME").toInt(), 0);
}

TEST_F(ReleaseCheck, RefusedRecordsAreReportedOnceAtTheEnd) {
    write("SIC.DAT",
          {Golden(52).put(1, " 1521").put(9, "HOUSES").rec, Golden(52).put(1, " 1521").put(9, "AGAIN").rec});
    write("CTYPA.DAT", {Golden(36).put(2, "003").rec, Golden(36).put(2, "003").rec});
    ScriptedMsgBoxes boxes;
    boxes.expect(velk::releaseWarningText(), ui::vbOK).expectContaining("SIC.DAT: 1 ", ui::vbOK);
    ModalScript modals;
    chooseParkland(modals);
    ASSERT_EQ(startProgram(), StartOutcome::Ended);
    EXPECT_TRUE(boxes.shown().back().text.contains("CTYPA.DAT: 1 "));
    EXPECT_EQ(boxes.shown().size(), 2);
}

TEST(ReleaseWarning, Text) {
    EXPECT_EQ(
        velk::releaseWarningText().toStdString(),
        "When you click on OK, Velk will update your data base for the state that you have selected.  "
        "This update may take more than one hour depending on the speed of your computer and the amount "
        "of data to be updated.  If you choose to cancel, Velk will again attempt to do this update the "
        "next time a user begins the program and selects this state.\r\n\r\n"
        "If you are using a Network, please make sure that no other user activates Velk while the update "
        "is running.  Also, be sure that you have read the installation instructions pertaining to "
        "record locking parameters.");
}
