// Which main-window commands the list form leaves usable: the four states of the list form and a
// form other than the list.
#include "results/command_availability.h"

#include <gtest/gtest.h>

using namespace results;

TEST(CommandAvailability, StatesOfTheListForm) {
    const struct {
        const char* name;
        ListCommandState state;
        std::vector<int> buttonsOff;
        // New Search, Edit Search, Print Search, Export, Update
        std::array<bool, 5> menus;
    } rows[] = {
        {"all records, saved searches", {true, 0, "Counties", ""}, {4, 5}, {true, true, false, false, true}},
        // The Edit/Delete Lookup button stays on while the menu item goes off.
        {"all records, no saved search", {true, 0, "", ""}, {4, 5}, {true, false, false, false, true}},
        {"search tab holding a search",
         {true, 1, "Counties", "SEARCH2.VKD"},
         {1},
         {true, false, true, true, true}},
        {"last tab holding a search",
         {true, 9, "Counties", "UNTITLED.VKD"},
         {1},
         {true, false, true, true, true}},
        // Exit included; New Search stays on in every state.
        {"search tab holding no search",
         {true, 4, "Counties", ""},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
         {true, false, false, false, false}},
    };
    for (const auto& r : rows) {
        const CommandAvailability a = commandAvailability(r.state);
        std::vector<int> off;
        for (int i = 0; i < 10; ++i)
            if (!a.ribbon[i]) off.push_back(i);
        EXPECT_EQ(off, r.buttonsOff) << r.name;
        EXPECT_EQ((std::array<bool, 5>{a.mnuNewSearch, a.mnuEditSearch, a.mnuPrintSearch, a.mnuExport,
                                       a.mnuUpdate}),
                  r.menus)
            << r.name;
    }
}

TEST(CommandAvailability, CaptionCountsAsEmptyUnlessItSortsAfterBang) {
    for (const QString& caption : {QString(" "), QString("   "), QString(" Counties"), QString("\t")})
        EXPECT_FALSE(commandAvailability({true, 0, caption, ""}).mnuEditSearch) << caption.toStdString();
    for (const QString& caption : {QString("!"), QString("\"A\""), QString("a")})
        EXPECT_TRUE(commandAvailability({true, 0, caption, ""}).mnuEditSearch) << caption.toStdString();
}

TEST(CommandAvailability, AnotherFormEnablesEverything) {
    CommandAvailability all;
    all.ribbon.fill(true);
    EXPECT_EQ(commandAvailability({false, 0, "", ""}), all);
    EXPECT_EQ(commandAvailability({false, 3, "", ""}), all);
}
