// Change of workspace or data set end to end: a new list form on the new data set, the caption,
// company-name order; the workspace loop's answers; a data set that cannot be opened.
#include "commands_fixture.h"

#include "dataset/data_set.h"
#include "platform/grid/data_grid.h"
#include "platform/grid/recordset_model.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {
const QString kUpdate = QStringLiteral("Update Database?");
}

class ChangeState : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        seed("PA", {"PENN ONE", "PENN TWO"});
        seed("NJ", {"ZULU FOODS", "ALPHA TOOLS", "MIKE MARINE"}, QStringLiteral("2005-01-31"));
        writeSearch("INITIAL", "SEARCH1.VKD", "Penn", "001", "001");
        writeSearch("Claims", "SEARCH1.VKD", "Claims North", "001", "002");
        writeSearch("Claims", "SEARCH2.VKD", "Claims South", "003", "003");
        master = start();
        ASSERT_NE(master, nullptr);
    }

    static int chooseClaimsNJ(VKWSPACE& d) { return chooseInDialog(d, "Claims", "NJ"); }

    // The list form shows Claims of NJ on tab 0 in company-name order, with Claims' searches as tabs.
    void expectClaimsNJ() {
        VKLIST* l = list();
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(master->windowTitle(), QStringLiteral("VELK - Workspace is Claims and State is NJ"));
        EXPECT_EQ(l->WORKSPACE, QStringLiteral("Claims"));
        EXPECT_EQ(l->STATE, QStringLiteral("NJ"));
        EXPECT_EQ(l->CURPATH, programDir + QStringLiteral("/Claims/"));
        EXPECT_EQ(l->SSTab1->currentIndex(), 0);
        EXPECT_EQ(l->CurrentIndex, QStringLiteral("KEY2"));
        EXPECT_EQ(l->VIEWCOUNT->text(), QStringLiteral("3"));
        EXPECT_EQ(l->TDBGrid1->boundModel()->value(0, 2).toString(), QStringLiteral("ALPHA TOOLS"));
        EXPECT_EQ(l->TDBGrid1->boundModel()->value(2, 2).toString(), QStringLiteral("ZULU FOODS"));
        EXPECT_EQ(l->SSTab1->tabText(1), QStringLiteral("Claims North"));
        EXPECT_EQ(l->SSTab1->tabText(2), QStringLiteral("Claims South"));
        EXPECT_EQ(master->lblVersion->text(), QStringLiteral("1/31/2005"));
        EXPECT_TRUE(l->isVisible());
        EXPECT_EQ(master->loadedWorkspaceDialog(), nullptr) << "the dialog is unloaded";
        EXPECT_FALSE(master->programEnded());
    }

    MASTER* master = nullptr;
};

TEST_F(ChangeState, MenuOpensANewListOnTheNewWorkspaceAndState) {
    QPointer<VKLIST> old = list();
    selectTab(1);
    ScriptedMsgBoxes none;
    ModalScript modals;
    modals.expect<VKWSPACE>([&](VKWSPACE& d) {
        EXPECT_EQ(list(), old.data()) << "the old list stays until a choice is made";
        return chooseClaimsNJ(d);
    });
    master->mnuNewState->trigger();
    expectClaimsNJ();
    EXPECT_NE(list(), old.data());
    EXPECT_EQ(old->VELKDB, nullptr) << "the old list's database is closed at once";
    flushDeletes();
    EXPECT_TRUE(old.isNull()) << "the old list form is discarded";
    EXPECT_EQ(dataset::current().code, QStringLiteral("NJ"));

    // The new list runs the new workspace's searches on the new data set.
    selectTab(2);
    EXPECT_EQ(list()->VIEWCOUNT->text(), QStringLiteral("1"));
}

TEST_F(ChangeState, NoToUpdateOrADatabaseOnlyUpdateShowsTheDialogAgain) {
    int updates = 0;
    forms.upgrade = [&] {
        ++updates;
        EXPECT_FALSE(velk::UpgradeDone);
        velk::UpgradeDone = true;
    };
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbNo).expect(kUpdate, ui::vbNo).expect(kUpdate, ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(closeDialog);
    modals.expect<VKWSPACE>(chooseClaimsNJ);
    master->mnuNewState->trigger();
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo);
    EXPECT_EQ(updates, 1);
    expectClaimsNJ();
}

TEST_F(ChangeState, NoChoiceAndNoDatabaseUpdateEndsTheProgram) {
    forms.upgrade = [] {}; // program files installed, or the update cancelled
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog);
    master->SSRibbon1[3]->click();
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 0);
    EXPECT_EQ(list(), nullptr);
    EXPECT_FALSE(master->isVisible());
    EXPECT_FALSE(master->SSRibbon1[3]->isChecked());
}

TEST_F(ChangeState, MissingDatabaseIsReportedAndTheDialogShownAgain) {
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("VELKDE.MDB"))));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKDE.MDB"), ui::vbOK);
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("Claims", "DE")).expect<VKWSPACE>([&](VKWSPACE& d) {
        EXPECT_EQ(list(), nullptr);
        EXPECT_EQ(master->windowTitle(), QStringLiteral("VELK"))
            << "no caption names a list that is not there";
        EXPECT_EQ(d.WORKSPACE->currentText(), QStringLiteral("Claims")) << "the choice is offered again";
        return chooseClaimsNJ(d);
    });
    master->mnuNewState->trigger();
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().front().text.startsWith(
        QStringLiteral("State DE in workspace Claims cannot be opened.")));
    EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbExclamation);
    EXPECT_FALSE(QFile::exists(programFile(QStringLiteral("VELKDE.MDB")))) << "no database is created";
    expectClaimsNJ();
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(ChangeState, WrongPasswordIsReportedAndExitAfterwardsEnds) {
    giveWrongPassword(QStringLiteral("NY"));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKNY.MDB"), ui::vbOK)
        .expect(QStringLiteral("Are you sure you want to quit VELK?"), ui::vbYes,
                QStringLiteral("Exit VELK"));
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("INITIAL", "NY")).expect<VKWSPACE>(exitInDialog);
    master->SSRibbon1[3]->click();
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(list(), nullptr);
    EXPECT_FALSE(master->isVisible());
    EXPECT_FALSE(master->SSRibbon1[3]->isChecked());
}
