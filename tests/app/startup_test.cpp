// The start-up sequence end to end: splash, workspace loop, state database, hand-over to the list.
#include "app_fixture.h"

#include "platform/dao/dao.h"
#include "platform/ui/msgbox.h"
#include "results/vklist.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

StartOutcome startProgram() {
    auto* splash = new TITLE;
    return splash->Form_Load();
}

} // namespace

TEST_F(AppTest, StartupHandsOverToTheListForm) {
    ScriptedMsgBoxes boxes;
    ModalScript modals;
    QString versionOnSplash;
    modals.expect<VKWSPACE>([&](VKWSPACE& d) {
        versionOnSplash = TITLE::instance() ? TITLE::instance()->Label4->text() : QString();
        EXPECT_TRUE(TITLE::instance() && TITLE::instance()->isVisible())
            << "the splash is up during the choice";
        EXPECT_FALSE(MASTER::instance()->isVisible()) << "the main window appears only with the list";
        return chooseInDialog(d, QStringLiteral("INITIAL"), QStringLiteral("PA"));
    });

    ASSERT_EQ(startProgram(), StartOutcome::Running);
    MASTER* master = MASTER::instance();
    ASSERT_NE(master, nullptr);

    EXPECT_EQ(versionOnSplash, QStringLiteral("2.30.0"));
    EXPECT_EQ(master->lblProgram->text(), QStringLiteral("2.30.0"));
    EXPECT_EQ(master->StartPath, programDir + QStringLiteral("/"));
    EXPECT_EQ(master->CURPATH, programDir);
    EXPECT_EQ(velk::IndexDbConnect, QStringLiteral(";PWD=Trn58kwpzb"));
    EXPECT_EQ(master->windowTitle(), QStringLiteral("VELK - Workspace is INITIAL and State is PA"));
    EXPECT_EQ(velk::CurrentState, QStringLiteral("PA"));
    EXPECT_EQ(velk::StateDbConnect, loading::defaultConnect(QStringLiteral("PA")));

    VKLIST* list = master->listForm();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->WORKSPACE, QStringLiteral("INITIAL"));
    EXPECT_EQ(list->STATE, QStringLiteral("PA"));
    EXPECT_EQ(list->CURPATH, programDir + QStringLiteral("/INITIAL/"));
    ASSERT_EQ(master->mdiArea->subWindowList().size(), 1);
    EXPECT_EQ(master->mdiArea->subWindowList().front()->widget(), list);
    EXPECT_TRUE(master->isVisible());

    EXPECT_EQ(master->StateDb, nullptr) << "the hand-over closes the start-up's connection";
    EXPECT_EQ(master->loadedWorkspaceDialog(), nullptr) << "the dialog is unloaded at the hand-over";
    EXPECT_EQ(TITLE::instance(), nullptr) << "the splash goes";
    EXPECT_FALSE(ui::hourglassShown());
    EXPECT_FALSE(master->programEnded());
}

TEST_F(AppTest, StartupOnAnotherStateAndWorkspace) {
    QDir(programDir).mkdir(QStringLiteral("Claims 2024"));
    ScriptedMsgBoxes boxes;
    ModalScript modals;
    modals.expect<VKWSPACE>(
        [](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("Claims 2024"), "NY"); });
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    MASTER* master = MASTER::instance();
    EXPECT_EQ(master->windowTitle(), QStringLiteral("VELK - Workspace is Claims 2024 and State is NY"));
    EXPECT_EQ(master->listForm()->CURPATH, programDir + QStringLiteral("/Claims 2024/"));
    EXPECT_EQ(velk::StateDbConnect, loading::defaultConnect(QStringLiteral("NY")));
}

TEST_F(AppTest, NoChoiceThenNoShowsTheDialogAgainAsOftenAsAsked) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Update Database?"), ui::vbNo)
        .expect(QStringLiteral("Update Database?"), ui::vbNo);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(closeDialog).expect<VKWSPACE>([](VKWSPACE& d) {
        return chooseInDialog(d, QStringLiteral("INITIAL"), "DE");
    });

    ASSERT_EQ(startProgram(), StartOutcome::Running);
    EXPECT_EQ(modals.shownCount(), 3);
    EXPECT_EQ(boxes.shown().front().style & 7, ui::vbYesNo);
    EXPECT_EQ(boxes.shown().front().style & 0x70, 0) << "no icon";
    EXPECT_EQ(MASTER::instance()->windowTitle(),
              QStringLiteral("VELK - Workspace is INITIAL and State is DE"));
}

TEST_F(AppTest, NoChoiceThenUpdateCancelledEndsWithoutAList) {
    bool updateShown = false;
    velk::setUpgradeForm([&] {
        updateShown = true;
        EXPECT_FALSE(velk::UpgradeDone) << "cleared before the update form is shown";
    });
    velk::UpgradeDone = true;
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Update Database?"), ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog);

    ASSERT_EQ(startProgram(), StartOutcome::Ended);
    EXPECT_TRUE(updateShown);
    MASTER* master = MASTER::instance();
    ASSERT_NE(master, nullptr);
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 0);
    EXPECT_EQ(master->listForm(), nullptr);
    EXPECT_FALSE(master->isVisible());
    EXPECT_EQ(TITLE::instance(), nullptr) << "nothing is left on screen";
}

TEST_F(AppTest, UpdateNotInstalledIsReportedAndEndsTheProgram) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Update Database?"), ui::vbYes)
        .expect(QStringLiteral("No update is installed in this version of VELK."), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog);
    ASSERT_EQ(startProgram(), StartOutcome::Ended);
    EXPECT_FALSE(velk::UpgradeDone);
    EXPECT_EQ(MASTER::instance()->listForm(), nullptr);
}

TEST_F(AppTest, DatabaseOnlyUpdateShowsTheDialogAgain) {
    velk::setUpgradeForm([] { velk::UpgradeDone = true; });
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Update Database?"), ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>([](VKWSPACE& d) {
        EXPECT_FALSE(velk::WorkspaceChosen);
        return chooseInDialog(d, QStringLiteral("INITIAL"), "NJ");
    });
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    EXPECT_EQ(MASTER::instance()->windowTitle(),
              QStringLiteral("VELK - Workspace is INITIAL and State is NJ"));
}

TEST_F(AppTest, EarlierAcceptanceDoesNotCountForALaterClosedDialog) {
    // The update form shows the dialog itself and the user accepts there; the start-up's own
    // showing afterwards is closed: that is no choice.
    velk::setUpgradeForm([] {
        VKWSPACE& d = MASTER::instance()->workspaceDialog();
        d.showModal();
        velk::UpgradeDone = true;
    });
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Update Database?"), ui::vbYes)
        .expect(QStringLiteral("Update Database?"), ui::vbNo);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog)
        .expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); })
        .expect<VKWSPACE>(closeDialog)
        .expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PM"); });
    ASSERT_EQ(startProgram(), StartOutcome::Running);
    EXPECT_EQ(MASTER::instance()->windowTitle(),
              QStringLiteral("VELK - Workspace is INITIAL and State is PM"));
}

TEST_F(AppTest, MissingStateDatabaseIsReportedAndEndsWithAnError) {
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("VELKDE.MDB"))));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKDE.MDB"), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "DE"); });

    ASSERT_EQ(startProgram(), StartOutcome::Failed);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().front().text.startsWith(QStringLiteral("VELK cannot start.")));
    EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbCritical);
    EXPECT_FALSE(QFile::exists(programFile(QStringLiteral("VELKDE.MDB")))) << "no database is created";
    MASTER* master = MASTER::instance();
    EXPECT_TRUE(master->programEnded());
    EXPECT_NE(master->exitCode(), 0);
    EXPECT_EQ(master->listForm(), nullptr);
    EXPECT_EQ(TITLE::instance(), nullptr) << "the splash does not stay behind";
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(AppTest, WrongPasswordIsReportedWithTheFile) {
    giveWrongPassword(QStringLiteral("NJ"));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKNJ.MDB"), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "NJ"); });
    EXPECT_EQ(startProgram(), StartOutcome::Failed);
}

TEST_F(AppTest, ForeignFileAsStateDatabaseIsReported) {
    writeFile(programFile(QStringLiteral("VELKPM.MDB")),
              QByteArray("not a database at all\r\n").repeated(50));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKPM.MDB"), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PM"); });
    EXPECT_EQ(startProgram(), StartOutcome::Failed);
}

TEST_F(AppTest, ListFormThatCannotLoadIsReported) {
    // A database of ours with the right password but none of the data set's tables.
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("VELKDE.MDB"))));
    dao::Database::create(programFile(QStringLiteral("VELKDE.MDB")),
                          dao::passwordFromConnect(loading::defaultConnect(QStringLiteral("DE"))));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKDE.MDB"), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "DE"); });
    ASSERT_EQ(startProgram(), StartOutcome::Failed);
    EXPECT_EQ(MASTER::instance()->listForm(), nullptr);
    EXPECT_FALSE(MASTER::instance()->isVisible());
    EXPECT_EQ(TITLE::instance(), nullptr);
}

TEST_F(AppTest, ExitInTheDialogEndsTheStartup) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Are you sure you want to quit VELK?"), ui::vbNo, QStringLiteral("Exit VELK"))
        .expect(QStringLiteral("Are you sure you want to quit VELK?"), ui::vbYes,
                QStringLiteral("Exit VELK"));
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) {
        d.cmdExit->click(); // answered No: the dialog stays
        EXPECT_EQ(MASTER::instance()->loadedWorkspaceDialog(), &d);
        d.cmdExit->click();
        return d.result();
    });
    ASSERT_EQ(startProgram(), StartOutcome::Ended);
    EXPECT_EQ(MASTER::instance()->exitCode(), 0);
    EXPECT_EQ(MASTER::instance()->listForm(), nullptr);
}

TEST_F(AppTest, RunProgramGivesTheExitStatus) {
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(QStringLiteral("Update Database?"), ui::vbYes);
        velk::setUpgradeForm([] {});
        ModalScript modals;
        modals.expect<VKWSPACE>(closeDialog);
        EXPECT_EQ(velk::runProgram(), 0);
        EXPECT_EQ(MASTER::instance(), nullptr) << "every form is gone";
    }
    {
        ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("VELKPA.MDB"))));
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(QStringLiteral("VELKPA.MDB"), ui::vbOK);
        ModalScript modals;
        modals.expect<VKWSPACE>(
            [](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); });
        EXPECT_EQ(velk::runProgram(), 1);
        EXPECT_EQ(MASTER::instance(), nullptr);
    }
}

TEST_F(AppTest, MissingProgramFolderIsReported) {
    files::setProgramFolder(tmp.filePath(QStringLiteral("gone")));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(tmp.filePath(QStringLiteral("gone")), ui::vbOK);
    EXPECT_EQ(velk::runProgram(), 1);
}

TEST_F(AppTest, RibbonAfterStartupRebuildsTabsAndExitEndsTheProgram) {
    {
        ScriptedMsgBoxes boxes;
        ModalScript modals;
        modals.expect<VKWSPACE>(
            [](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); });
        ASSERT_EQ(startProgram(), StartOutcome::Running);
    }
    MASTER* master = MASTER::instance();
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("not installed"), ui::vbOK)
        .expect(QStringLiteral("Are you sure you want to quit VELK?"), ui::vbYes,
                QStringLiteral("Exit VELK"));
    master->SSRibbon1[6]->click(); // Print Manual: its place says it is not installed yet
    EXPECT_FALSE(master->SSRibbon1[6]->isChecked());
    ASSERT_NE(master->listForm(), nullptr);
    master->SSRibbon1[9]->click();
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->listForm(), nullptr);
    EXPECT_FALSE(master->isVisible());
    EXPECT_FALSE(master->SSRibbon1[9]->isChecked());
}
