// The main window's commands on a running program: the boxes, help, printer set-up, the forms'
// places, the lookup commands and the return to the list after a command.
#include "commands_fixture.h"

#include "app/report_forms.h"

#include "platform/ui/clipboard.h"
#include "platform/ui/cursor.h"
#include "platform/ui/printer.h"
#include "printing/manual_form.h"
#include "printing/print_options.h"

#include "search/field_rules.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

const QString kQuit = QStringLiteral("Are you sure you want to quit VELK?");
const QString kExitTitle = QStringLiteral("Exit VELK");

} // namespace

class MenuCommands : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        seed("PA", {"ZETA WORKS", "ACME STEEL", "MIDDLE CO"});
        writeSearch("INITIAL", "SEARCH1.VKD", "First Two", "001", "002");
        master = start();
        ASSERT_NE(master, nullptr);
        ASSERT_NE(list(), nullptr);
    }

    // A search saved behind the list's back: it becomes a tab only when the tabs are rebuilt.
    void addSearchUnseen() {
        writeSearch("INITIAL", "SEARCH2.VKD", "Later", "003", "003");
        ASSERT_NE(list()->SSTab1->tabText(2), QStringLiteral("Later"));
    }
    // The list form is up in the main window and its tabs were rebuilt.
    void expectListShownWithTabsRebuilt() {
        ASSERT_NE(list(), nullptr);
        EXPECT_TRUE(master->isVisible());
        EXPECT_TRUE(list()->isVisible());
        EXPECT_EQ(list()->SSTab1->tabText(2), QStringLiteral("Later"));
        EXPECT_EQ(list()->searchFile(2), QStringLiteral("SEARCH2.VKD"));
    }

    MASTER* master = nullptr;
};

TEST_F(MenuCommands, AboutAndDataVersionBoxes) {
    ScriptedMsgBoxes boxes;
    boxes.expect("Velk Version 2.30.0\r\n\r\nVELK Software\r\nSales: (555) 555-0142\r\n"
                 "Support: (555) 555-0199\r\nwww.velk.example.com",
                 ui::vbOK, "About VELK Ver 2.30.0");
    boxes.expect("Data Version (6/30/2004)", ui::vbOK).expect("Data Version ()", ui::vbOK);
    master->mnuAbout->trigger();
    master->mnuVersion->trigger();
    master->lblVersion->clear(); // no version: nothing between the parentheses
    master->mnuVersion->trigger();
    for (const auto& box : boxes.shown())
        EXPECT_EQ(box.style, ui::vbOKOnly);
}

TEST_F(MenuCommands, CopySqlMarkMakesTheSearchGoToTheClipboardUntilClickedAgain) {
    ui::setClipboardText(QStringLiteral("before"));
    master->mnuSQLcopy->trigger();
    ASSERT_TRUE(master->mnuSQLcopy->isChecked());
    {
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(QStringLiteral("FROM PRIME"), ui::vbOK);
        selectTab(1);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_EQ(ui::clipboardText(), boxes.shown().front().text);
        EXPECT_TRUE(ui::clipboardText().contains(QStringLiteral("COUNTY")));
    }
    EXPECT_EQ(list()->VIEWCOUNT->text(), QStringLiteral("2"));

    master->mnuSQLcopy->trigger(); // twice: off again
    EXPECT_FALSE(master->mnuSQLcopy->isChecked());
    ui::setClipboardText(QStringLiteral("before"));
    ScriptedMsgBoxes none;
    selectTab(0);
    selectTab(1);
    EXPECT_EQ(ui::clipboardText(), QStringLiteral("before"));
}

TEST_F(MenuCommands, HelpShowsTheInstalledHelpFileAtItsContentsUnderTheHourglass) {
    {
        ScriptedMsgBoxes none; // a missing or unreadable help file would be reported
        master->SSRibbon1[8]->click();
        EXPECT_FALSE(master->SSRibbon1[8]->isChecked());
    }
    const QByteArray help = readFile(programFile("VELK.HLP"));
    EXPECT_TRUE(help.contains("Contents"));
    EXPECT_TRUE(help.contains("workspace"));

    addSearchUnseen();
    QString file;
    int command = 0;
    bool hourglass = false;
    ui::setHelpHook([&](const QString& f, int c) {
        file = f;
        command = c;
        hourglass = ui::hourglassShown();
    });
    master->mnuHelp->trigger();
    EXPECT_EQ(file, programFile("VELK.HLP"));
    EXPECT_EQ(command, ui::kHelpContents);
    EXPECT_TRUE(hourglass);
    EXPECT_FALSE(ui::hourglassShown());
    expectListShownWithTabsRebuilt();
}

TEST_F(MenuCommands, PrintAndManualFormsReturnToTheList) {
    addSearchUnseen();
    ScriptedMsgBoxes none;
    ModalScript modals; // printing and the manual are installed: their forms, cancelled
    modals.expect<VKPRINT>([](VKPRINT& form) {
        form.Command2->click();
        return form.result();
    });
    modals.expect<VKMANUAL>([](VKMANUAL& form) {
        form.CANCEL->click();
        return form.result();
    });
    selectTab(1);
    master->mnuPrintSearch->trigger();
    expectListShownWithTabsRebuilt();
    EXPECT_EQ(list()->SSTab1->currentIndex(), 1) << "the selected search stays";
    VKLIST* before = list();
    master->mnuPrintManual->trigger();
    EXPECT_EQ(list(), before);
    expectListShownWithTabsRebuilt();
}

TEST_F(MenuCommands, InstalledFormsAreShownModallyExceptBackupFromTheMenu) {
    QStringList calls;
    forms.printSearch = [&](bool modal) { calls << QStringLiteral("print %1").arg(modal); };
    forms.printManual = [&](bool modal) { calls << QStringLiteral("manual %1").arg(modal); };
    forms.notes = [&](bool modal) { calls << QStringLiteral("notes %1").arg(modal); };
    ScriptedMsgBoxes none;
    master->mnuBackup->trigger();
    selectTab(1);
    master->SSRibbon1[2]->click();
    master->SSRibbon1[4]->click();
    master->SSRibbon1[6]->click();
    master->mnuPrintSearch->trigger();
    master->mnuPrintManual->trigger();
    EXPECT_EQ(calls, QStringList({"notes 0", "notes 1", "print 1", "manual 1", "print 1", "manual 1"}));
    for (QToolButton* b : master->SSRibbon1)
        EXPECT_FALSE(b->isChecked()) << "every button is released";
}

TEST_F(MenuCommands, PrinterSetupOnTheApplicationsPrinterCancelChangesNothing) {
    addSearchUnseen();
    ScriptedMsgBoxes none;
    ModalScript modals;
    QPrinter* seen = nullptr;
    modals.expect<ui::PrinterSetupDialog>([&](ui::PrinterSetupDialog& d) {
        seen = d.printer();
        return int(QDialog::Rejected);
    });
    modals.expect<ui::PrinterSetupDialog>([&](ui::PrinterSetupDialog& d) {
        EXPECT_EQ(d.printer(), seen) << "one printer for the whole run";
        return int(QDialog::Accepted);
    });
    master->mnuPrinter->trigger();
    ASSERT_NE(seen, nullptr);
    expectListShownWithTabsRebuilt();
    master->mnuPrinter->trigger();
    EXPECT_EQ(modals.pending(), 0);
}

TEST_F(MenuCommands, NewLookupOpensAnUntitledSearchEvenOnASearchTabAndItsTabAppears) {
    selectTab(1);
    ScriptedMsgBoxes none;
    ModalScript modals;
    modals.expect<VKLOOKUP>([&](VKLOOKUP& d) {
        EXPECT_TRUE(list()->CurSQLFile.isEmpty());
        EXPECT_TRUE(velk::LookupIsNew);
        EXPECT_TRUE(master->SSRibbon1[0]->isChecked()) << "pressed while its action runs";
        EXPECT_TRUE(d.lookups().isEmpty());
        d.CANCEL_Click();
        return d.result();
    });
    modals.expect<VKLOOKUP>([&](VKLOOKUP& d) {
        EXPECT_TRUE(velk::LookupIsNew);
        d.SEARCHDESC->setText("Third");
        d.List1_Click(search::kCounty);
        d.FROM->setText("003");
        d.THRU->setText("003");
        EXPECT_TRUE(d.ADD_Click());
        d.OK_Click();
        return d.result();
    });
    master->SSRibbon1[0]->click();
    EXPECT_FALSE(master->SSRibbon1[0]->isChecked());
    master->mnuNewSearch->trigger();
    EXPECT_EQ(list()->SSTab1->tabText(2), "Third");
    EXPECT_EQ(list()->searchFile(2), "SEARCH2.VKD");
    selectTab(2);
    EXPECT_EQ(list()->VIEWCOUNT->text(), "1");
}

TEST_F(MenuCommands, EditDeleteLookupOpensTheDialogFromTheButtonAndTheMenu) {
    addSearchUnseen();
    ScriptedMsgBoxes none;
    ModalScript modals;
    modals.expect<VKEDDEL>([](VKEDDEL& d) {
        d.Form_Activate();
        EXPECT_EQ(d.List1->count(), 1);
        d.Command3_Click();
        return d.result();
    });
    modals.expect<VKEDDEL>([](VKEDDEL& d) {
        d.Form_Activate();
        EXPECT_EQ(d.List1->count(), 2) << "the ribbon rebuilt the tabs after the first showing";
        d.Command3_Click();
        return d.result();
    });
    master->SSRibbon1[1]->click();
    EXPECT_FALSE(master->SSRibbon1[1]->isChecked());
    master->mnuEditSearch->trigger();
    expectListShownWithTabsRebuilt();
    EXPECT_EQ(modals.pending(), 0);
}

TEST_F(MenuCommands, ButtonClickArrivingUnpressedDoesNothing) {
    ScriptedMsgBoxes none;
    ModalScript modals; // no dialog may open
    for (int i = 0; i < 10; ++i) {
        ASSERT_FALSE(master->SSRibbon1[i]->isChecked());
        master->SSRibbon1_Click(i);
    }
    EXPECT_EQ(modals.shownCount(), 0);
    EXPECT_FALSE(master->programEnded());
}

TEST_F(MenuCommands, UpdateThatClosedTheListChoosesTheDataSetAgainWhetherItFailedOrNot) {
    seed("NJ", {"JERSEY ONE"});
    // An update closes the list before it replaces a database; the first one fails afterwards.
    forms.upgrade = [&] { master->unloadListForm(); };
    ScriptedMsgBoxes none;
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("INITIAL", "PA"));
    master->mnuUpdate->trigger();
    ASSERT_NE(list(), nullptr) << "the window is not left without a list";
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(list()->VIEWCOUNT->text(), "3");

    forms.upgrade = [&] {
        EXPECT_FALSE(velk::UpgradeDone);
        master->unloadListForm();
        velk::UpgradeDone = true;
    };
    modals.expect<VKWSPACE>(choose("INITIAL", "NJ"));
    master->SSRibbon1[7]->click();
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(master->windowTitle(), "VELK - Workspace is INITIAL and State is NJ");
    EXPECT_EQ(list()->VIEWCOUNT->text(), "1");
    EXPECT_TRUE(list()->isVisible());
    EXPECT_FALSE(master->SSRibbon1[7]->isChecked());
}

TEST_F(MenuCommands, UpdateThatEndsTheProgramLeavesNothingShown) {
    forms.upgrade = [&] { master->endProgram(0); };
    ScriptedMsgBoxes none;
    master->mnuUpdate->trigger();
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(list(), nullptr);
    EXPECT_FALSE(master->isVisible()) << "the return to the list does not bring the window back";
}

TEST_F(MenuCommands, ExitAndTheCloseBoxAskTheSameQuestionAndYesEndsEverything) {
    QPointer<VKLIST> old = list();
    ScriptedMsgBoxes boxes;
    boxes.expect(kQuit, ui::vbNo, kExitTitle).expect(kQuit, ui::vbNo, kExitTitle);
    boxes.expect(kQuit, ui::vbYes, kExitTitle);
    master->mnuExit->trigger();
    EXPECT_FALSE(master->close());
    EXPECT_FALSE(master->programEnded());
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo + ui::vbQuestion + ui::vbDefaultButton1);
    EXPECT_TRUE(master->close());
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 0);
    EXPECT_EQ(list(), nullptr);
    flushDeletes();
    EXPECT_TRUE(old.isNull());
    EXPECT_FALSE(master->isVisible());
}

TEST_F(MenuCommands, AReportRequestForTheSummaryOpensThePrintFormBesideTheList) {
    selectTab(1);
    ScriptedMsgBoxes none;
    printing::dmrsReport request(velk::reportForms());
    request.Go("VKPRTSUM");
    QPointer<VKPRINT> form = qobject_cast<VKPRINT*>(request.CriteriahWnd());
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal()) << "the list stays usable";
    EXPECT_TRUE(form->FULL->isChecked());
    form->Command2->click();
    flushDeletes();
    EXPECT_TRUE(form.isNull()) << "closed, it is gone";
}
