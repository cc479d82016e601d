// The main window's frame: ribbon layout and menus.
#include "app_fixture.h"

#include "app/ribbon_layout.h"
#include "app/window_place.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

TEST(RibbonLayout, ThreeGroupsWithHalfButtonGaps) {
    const int L = 120;
    const QVector<QRect> buttons = velk::ribbonLayout(L, 60);
    ASSERT_EQ(buttons.size(), 10);
    const int lefts[10] = {L,        L + 1000, L + 2000, L + 3500, L + 4500,
                           L + 5500, L + 6500, L + 7500, L + 8500, L + 10000};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(buttons[i], QRect(lefts[i], 60, 1000, 1000)) << "button " << i;
    EXPECT_EQ(velk::ribbonPanelHeight(buttons[0].height()), 1123);
    EXPECT_EQ(velk::ribbonLayout(0, 0, 10, 600)[3].left(), 600 * 2 + 900) << "the gap follows the width";
}

TEST(MainWindowPlace, WhereTheUserLeftItWhenItFitsElseAFittingSizeInTheMiddle) {
    const QRect large(0, 0, 2560, 1400);
    const QRect small(0, 0, 1024, 740);
    struct Case {
        const char* what;
        QRect available;
        QRect saved;
        QRect expected;
    } cases[] = {
        {"first start, large screen", large, QRect(), QRect(192, 105, 2176, 1190)},
        {"first start, small screen", small, QRect(), QRect(0, 20, 1024, 700)},
        {"left where it fits", large, QRect(100, 50, 1200, 800), QRect(100, 50, 1200, 800)},
        {"half off the right edge", large, QRect(2000, 50, 1200, 800), QRect(1360, 50, 1200, 800)},
        {"larger than the screen now", small, QRect(0, 0, 1600, 900), QRect(0, 20, 1024, 700)},
        {"on a screen no longer there", large, QRect(3000, 0, 800, 600), QRect(192, 105, 2176, 1190)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(velk::mainWindowRect(c.available, c.saved), c.expected) << c.what;
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
        EXPECT_FALSE(b->icon().pixmap(32).isNull()) << "each button shows a picture of the icon theme";
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
    const auto captions = [](const QList<QAction*>& actions) {
        QStringList list;
        for (QAction* a : actions) {
            list << a->text();
            EXPECT_TRUE(a->isVisible());
            EXPECT_FALSE(a->isChecked());
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
        return list;
    };
    EXPECT_EQ(captions(master->menuBar()->actions()), QStringList({"&File", "&Search", "&Update", "&Help"}));
    EXPECT_EQ(captions(master->dummyFile->actions()),
              QStringList({"&Open New State/Workspace", "&Backup/Restore User Notes and Fields",
                           "&Printer Setup", "E&xit"}));
    EXPECT_EQ(captions(master->dummySearch->actions()),
              QStringList({"&New Search", "&Edit Search", "&Print Search", "&Export Search"}));
    EXPECT_EQ(captions(master->dummyUpdate->actions()), QStringList({"Update Database"}));
    EXPECT_EQ(
        captions(master->dummyHelp->actions()),
        QStringList({"&Program Help", "Print &Manual", "&About", "&Data Version", "Copy SQL to Clipboard"}));
    EXPECT_EQ(master->mnuExit->text(), "E&xit");
    EXPECT_EQ(master->windowTitle(), "VELK");
}

// Rounding each button's left from twips on its own overlapped buttons 1 and 2 (and 5 and 6) by a
// pixel; the buttons of a group must stand edge to edge on screen.
TEST_F(MasterWindowTest, RibbonButtonsStandEdgeToEdgeInPixels) {
    for (int k = 1; k < 10; ++k) {
        const QRect previous = master->SSRibbon1[k - 1]->geometry();
        const int advance = (k == 3 || k == 9) ? previous.width() * 3 / 2 : previous.width();
        EXPECT_EQ(master->SSRibbon1[k]->x(), previous.x() + advance) << "button " << k;
    }
}
