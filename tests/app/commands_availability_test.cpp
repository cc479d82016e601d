// Which commands the running main window offers: the list form's tab and the workspace's saved
// searches decide, through SETBUTTONS and the list's layout step that follows it.
#include "commands_fixture.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

std::vector<int> buttonsOff(const MASTER& m) {
    std::vector<int> off;
    for (int i = 0; i < 10; ++i)
        if (!m.SSRibbon1[i]->isEnabled()) off.push_back(i);
    return off;
}

// Search menu items on, in menu order, then Update Database.
std::vector<bool> searchAndUpdateItems(const MASTER& m) {
    return {m.mnuNewSearch->isEnabled(), m.mnuEditSearch->isEnabled(), m.mnuPrintSearch->isEnabled(),
            m.mnuExport->isEnabled(), m.mnuUpdate->isEnabled()};
}

void expectFileAndHelpUntouched(const MASTER& m) {
    for (QAction* a : {m.mnuNewState, m.mnuBackup, m.mnuPrinter, m.mnuExit, m.mnuHelp, m.mnuPrintManual,
                       m.mnuAbout, m.mnuVersion, m.mnuSQLcopy})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(m.dummySearch->isEnabled());
}

} // namespace

class Availability : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        seed("PA", {"ONE", "TWO", "THREE"});
    }
};

TEST_F(Availability, EmptyWorkspaceOnTheAllRecordsTab) {
    MASTER* m = start();
    EXPECT_EQ(buttonsOff(*m), (std::vector<int>{4, 5}));
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, false, false, false, true}));
    expectFileAndHelpUntouched(*m);
}

TEST_F(Availability, SavedSearchesOnTheAllRecordsTabAndOnASearchTab) {
    writeSearch("INITIAL", "SEARCH1.VKD", "North", "001", "002");
    MASTER* m = start();
    EXPECT_EQ(buttonsOff(*m), (std::vector<int>{4, 5}));
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, true, false, false, true}));

    selectTab(1);
    // SETBUTTONS takes Edit/Delete Lookup away on a search tab; the layout step right after it
    // gives the button back, so only the menu item stays off.
    EXPECT_EQ(buttonsOff(*m), std::vector<int>{});
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, false, true, true, true}));
    expectFileAndHelpUntouched(*m);

    selectTab(6); // holds no search: the list goes back, the commands stay
    EXPECT_EQ(list()->SSTab1->currentIndex(), 1);
    EXPECT_EQ(buttonsOff(*m), std::vector<int>{});
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, false, true, true, true}));

    selectTab(0); // recomputed on every tab change
    EXPECT_EQ(buttonsOff(*m), (std::vector<int>{4, 5}));
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, true, false, false, true}));
}

TEST_F(Availability, FullWorkspaceEveryTabHoldsASearch) {
    for (int n = 1; n <= 8; ++n)
        writeSearch("INITIAL", search::searchFileName(n), QStringLiteral("Search %1").arg(n), "001", "003");
    writeSearch("INITIAL", "UNTITLED.VKD", "UNTITLED", "002", "002");
    MASTER* m = start();
    for (int k = 1; k <= 9; ++k) {
        selectTab(k);
        ASSERT_EQ(list()->SSTab1->currentIndex(), k);
        EXPECT_EQ(buttonsOff(*m), std::vector<int>{}) << "tab " << k;
        EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, false, true, true, true}))
            << "tab " << k;
    }
}

TEST_F(Availability, SearchTabHoldingNoSearchStopsTheRibbonButNotTheMenus) {
    writeSearch("INITIAL", "SEARCH1.VKD", "North", "001", "002");
    MASTER* m = start();
    {
        // A tab without a search cannot be chosen by clicking (the list goes back); set it directly.
        const QSignalBlocker block(list()->SSTab1);
        list()->SSTab1->setCurrentIndex(5);
    }
    ASSERT_TRUE(list()->searchFile(5).isEmpty());
    list()->SETBUTTONS();
    EXPECT_EQ(buttonsOff(*m), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(searchAndUpdateItems(*m), (std::vector<bool>{true, false, false, false, false}));
    expectFileAndHelpUntouched(*m); // File, Exit still ends the program
}
