// Which main-window commands the list form leaves usable: the four states of the list form and a
// form other than the list.
#include "results/command_availability.h"

#include <gtest/gtest.h>

using namespace results;

namespace {

// Indexes of the ribbon buttons that are off.
std::vector<int> buttonsOff(const CommandAvailability& a) {
    std::vector<int> off;
    for (int i = 0; i < 10; ++i)
        if (!a.ribbon[i]) off.push_back(i);
    return off;
}

struct Menus {
    bool newSearch, editSearch, printSearch, exportSearch, update;
};
Menus menus(const CommandAvailability& a) {
    return {a.mnuNewSearch, a.mnuEditSearch, a.mnuPrintSearch, a.mnuExport, a.mnuUpdate};
}

} // namespace

TEST(CommandAvailability, AllRecordsTabWithSavedSearches) {
    const CommandAvailability a = commandAvailability({true, 0, "Counties", ""});
    EXPECT_EQ(buttonsOff(a), (std::vector<int>{4, 5}));
    const Menus m = menus(a);
    EXPECT_TRUE(m.newSearch);
    EXPECT_TRUE(m.editSearch);
    EXPECT_FALSE(m.printSearch);
    EXPECT_FALSE(m.exportSearch);
    EXPECT_TRUE(m.update);
}

TEST(CommandAvailability, EmptyWorkspaceOnTheAllRecordsTab) {
    const CommandAvailability a = commandAvailability({true, 0, "", ""});
    // New Lookup, Edit/Delete Lookup, Backup/Restore, Change Workspace, Print Manual, Update,
    // Help and Exit stay usable; of the Search menu only New Search.
    EXPECT_EQ(buttonsOff(a), (std::vector<int>{4, 5}));
    EXPECT_TRUE(a.ribbon[kEditDeleteLookup]) << "the button stays on while the menu item goes off";
    const Menus m = menus(a);
    EXPECT_TRUE(m.newSearch);
    EXPECT_FALSE(m.editSearch);
    EXPECT_FALSE(m.printSearch);
    EXPECT_FALSE(m.exportSearch);
    EXPECT_TRUE(m.update);
}

TEST(CommandAvailability, CaptionCountsAsEmptyUnlessItSortsAfterBang) {
    // A caption of blanks or one starting below "!" is no saved search.
    for (const QString& caption : {QString(" "), QString("   "), QString(" Counties"), QString("\t")}) {
        const CommandAvailability a = commandAvailability({true, 0, caption, ""});
        EXPECT_FALSE(a.mnuEditSearch) << caption.toStdString();
    }
    for (const QString& caption : {QString("!"), QString("\"A\""), QString("a")}) {
        const CommandAvailability a = commandAvailability({true, 0, caption, ""});
        EXPECT_TRUE(a.mnuEditSearch) << caption.toStdString();
    }
}

TEST(CommandAvailability, SearchTabHoldingASearch) {
    for (int tab = 1; tab <= 9; ++tab) {
        const CommandAvailability a = commandAvailability({true, tab, "Counties", "SEARCH2.VKD"});
        EXPECT_EQ(buttonsOff(a), (std::vector<int>{1})) << "tab " << tab;
        const Menus m = menus(a);
        EXPECT_TRUE(m.newSearch);
        EXPECT_FALSE(m.editSearch);
        EXPECT_TRUE(m.printSearch);
        EXPECT_TRUE(m.exportSearch);
        EXPECT_TRUE(m.update);
    }
}

TEST(CommandAvailability, SearchTabHoldingNoSearchStopsTheWholeRibbon) {
    const CommandAvailability a = commandAvailability({true, 4, "Counties", ""});
    EXPECT_EQ(buttonsOff(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9})) << "Exit included";
    const Menus m = menus(a);
    EXPECT_TRUE(m.newSearch) << "New Search stays on in every state";
    EXPECT_FALSE(m.editSearch);
    EXPECT_FALSE(m.printSearch);
    EXPECT_FALSE(m.exportSearch);
    EXPECT_FALSE(m.update);
}

TEST(CommandAvailability, FullWorkspaceOnTheLastTab) {
    const CommandAvailability a = commandAvailability({true, 9, "Counties", "UNTITLED.VKD"});
    EXPECT_EQ(buttonsOff(a), (std::vector<int>{1}));
    EXPECT_TRUE(a.mnuPrintSearch);
    EXPECT_TRUE(a.mnuExport);
}

TEST(CommandAvailability, AnotherFormEnablesEverything) {
    CommandAvailability all;
    all.ribbon.fill(true);
    EXPECT_EQ(commandAvailability({false, 0, "", ""}), all);
    EXPECT_EQ(commandAvailability({false, 3, "", ""}), all);
}
