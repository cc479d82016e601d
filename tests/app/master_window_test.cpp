// The main window's frame: ribbon layout, menus, Exit.
#include "app_fixture.h"

#include "app/ribbon_layout.h"
#include "platform/ui/msgbox.h"
#include "support/scripted_msgbox.h"

#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

using testsupport::ScriptedMsgBoxes;

TEST(RibbonLayout, ThreeGroupsWithHalfButtonGaps) {
    const int L = 120;
    const QVector<QRect> buttons = velk::ribbonLayout(L, 60);
    ASSERT_EQ(buttons.size(), 10);
    const int lefts[10] = {L,        L + 1000, L + 2000, L + 3500, L + 4500,
                           L + 5500, L + 6500, L + 7500, L + 8500, L + 10000};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(buttons[i].left(), lefts[i]) << "button " << i;
        EXPECT_EQ(buttons[i].top(), 60);
        EXPECT_EQ(buttons[i].size(), QSize(1000, 1000));
    }
    EXPECT_EQ(velk::ribbonPanelHeight(buttons[0].height()), 1123);
}

TEST(RibbonLayout, GapFollowsTheButtonWidth) {
    const QVector<QRect> buttons = velk::ribbonLayout(0, 0, 10, 600);
    EXPECT_EQ(buttons[3].left(), 600 * 2 + 900);
    EXPECT_EQ(buttons[9].left(), buttons[8].left() + 900);
}

class MasterWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        master = new MASTER;
    }
    MASTER* master = nullptr;
};

TEST_F(MasterWindowTest, RibbonButtonsOnThePanel) {
    const char* tips[10] = {
        "New Lookup",   "Edit/Delete Lookup", "Backup/Restore Data", "Change Workspace/State",
        "Print Lookup", "Export Lookup",      "Print Manual",        "Update",
        "Help",         "Exit Velk"};
    for (int i = 0; i < 10; ++i) {
        QToolButton* b = master->SSRibbon1[i];
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->parentWidget(), master->SSPanel1);
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(tips[i]));
        EXPECT_FALSE(b->icon().isNull()) << "each button shows a picture";
        EXPECT_EQ(b->y(), master->SSRibbon1[0]->y());
        EXPECT_EQ(b->size(), QSize(67, 67)); // 1000 twips
        EXPECT_FALSE(b->isChecked());
    }
    // Edge to edge within a group, half a button between groups.
    EXPECT_EQ(master->SSRibbon1[1]->x() - master->SSRibbon1[0]->x(), 67);
    EXPECT_EQ(master->SSRibbon1[3]->x() - master->SSRibbon1[2]->x(), 100);
    EXPECT_EQ(master->SSRibbon1[9]->x() - master->SSRibbon1[8]->x(), 100);
    EXPECT_EQ(master->SSPanel1->height(), 75); // 1123 twips
}

TEST_F(MasterWindowTest, MenusInOrder) {
    const QList<QAction*> tops = master->menuBar()->actions();
    QStringList topCaptions;
    for (QAction* a : tops)
        topCaptions << a->text();
    EXPECT_EQ(topCaptions, QStringList({"&File", "&Search", "&Update", "&Help"}));
    const auto captions = [](QMenu* menu) {
        QStringList list;
        for (QAction* a : menu->actions()) {
            list << a->text();
            EXPECT_TRUE(a->isVisible());
            EXPECT_FALSE(a->isChecked());
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
        return list;
    };
    EXPECT_EQ(captions(master->dummyFile),
              QStringList({"&Open New State/Workspace", "&Backup/Restore User Notes and Fields",
                           "&Printer Setup", "E&xit"}));
    EXPECT_EQ(captions(master->dummySearch),
              QStringList({"&New Search", "&Edit Search", "&Print Search", "&Export Search"}));
    EXPECT_EQ(captions(master->dummyUpdate), QStringList({"Update Database"}));
    EXPECT_EQ(captions(master->dummyHelp), QStringList({"&Program Help", "Print &Manual", "&About",
                                                        "&Data Version", "Copy SQL to Clipboard"}));
    EXPECT_EQ(master->mnuExit->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(master->windowTitle(), QStringLiteral("VELK"));
}

TEST_F(MasterWindowTest, CopySqlMarkToggles) {
    ASSERT_TRUE(master->mnuSQLcopy->isCheckable());
    master->mnuSQLcopy->trigger();
    EXPECT_TRUE(master->mnuSQLcopy->isChecked());
    master->mnuSQLcopy->trigger();
    EXPECT_FALSE(master->mnuSQLcopy->isChecked());
}

TEST_F(MasterWindowTest, ExitAsksAndEndsOnYes) {
    ScriptedMsgBoxes boxes;
    const QString question = QStringLiteral("Are you sure you want to quit VELK?");
    boxes.expect(question, ui::vbNo, QStringLiteral("Exit VELK"))
        .expect(question, ui::vbYes, QStringLiteral("Exit VELK"));
    master->mnuExit->trigger();
    EXPECT_FALSE(master->programEnded());
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo + ui::vbQuestion + ui::vbDefaultButton1);
    master->mnuExit->trigger();
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 0);
}

TEST_F(MasterWindowTest, ExitButtonIsPressedOnlyWhileItsClickRuns) {
    bool pressedDuringQuestion = false;
    QString asked;
    ui::setMsgBoxHandler([&](const QString& text, int, const QString&) {
        asked = text;
        pressedDuringQuestion = master->SSRibbon1[9]->isChecked();
        return int(ui::vbNo);
    });
    master->SSRibbon1[9]->click();
    ui::setMsgBoxHandler({});
    EXPECT_EQ(asked, QStringLiteral("Are you sure you want to quit VELK?"));
    EXPECT_TRUE(pressedDuringQuestion);
    EXPECT_FALSE(master->SSRibbon1[9]->isChecked());
    EXPECT_FALSE(master->programEnded());
}

TEST_F(MasterWindowTest, ClickWhileNotPressedDoesNothing) {
    ScriptedMsgBoxes boxes; // no box may appear
    ASSERT_FALSE(master->SSRibbon1[9]->isChecked());
    master->SSRibbon1_Click(9);
    EXPECT_FALSE(master->programEnded());
}

TEST_F(MasterWindowTest, ClosingTheWindowAsksLikeExit) {
    master->show();
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Are you sure you want to quit VELK?"), ui::vbNo,
                 QStringLiteral("Exit VELK"));
    EXPECT_FALSE(master->close());
    EXPECT_TRUE(master->isVisible());
}
