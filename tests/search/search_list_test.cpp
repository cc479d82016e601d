// The tab listing of a workspace's saved searches.
#include "search/search_list.h"

#include "search_test_support.h"
#include "support/scripted_msgbox.h"

#include "platform/ui/msgbox.h"

#include <QTemporaryDir>

using namespace search;
using searchtest::line;
using searchtest::writeBytes;
using Files = std::array<QString, 11>;
using Captions = std::array<QString, 10>;

TEST(SearchList, SortedByNameWithGapsAndNoFiles) {
    QTemporaryDir dir;
    TabsPlan empty = planTabs(dir.path(), 4);
    EXPECT_EQ(empty.selectTab, 0);
    EXPECT_EQ(empty.files, Files{});

    writeBytes(dir.filePath("UNTITLED.VKD"), line("UNTITLED", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("SEARCH3.VKD"), line("Third", "Zip Code", "19000", "19099", "ZIP"));
    writeBytes(dir.filePath("SEARCH1.VKD"), line("First", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("notes.txt"), "x");
    const TabsPlan plan = planTabs(dir.path(), 3);
    EXPECT_EQ(plan.files, (Files{"", "SEARCH1.VKD", "SEARCH3.VKD", "UNTITLED.VKD"}));
    EXPECT_EQ(plan.captions, (Captions{"", "First", "Third", "UNTITLED"}));
    EXPECT_EQ(plan.selectTab, 3);
    EXPECT_TRUE(plan.problems.isEmpty());
    // The selected tab's search has gone: tab 0.
    EXPECT_EQ(planTabs(dir.path(), 4).selectTab, 0);

    // Only nine tabs.
    for (int n = 1; n <= 8; ++n)
        writeBytes(dir.filePath(QStringLiteral("SEARCH%1.VKD").arg(n)),
                   line("S", "County", "1", "5", "COUNTY"));
    writeBytes(dir.filePath("ZZZ.VKD"), line("Tenth", "County", "001", "005", "COUNTY"));
    const TabsPlan full = planTabs(dir.path(), 9);
    EXPECT_EQ(full.files[9], "UNTITLED.VKD");
    EXPECT_EQ(full.files[10], "");
    EXPECT_EQ(full.selectTab, 9);
}

TEST(SearchList, EmptyAndUnreadableFilesAreReportedAndDoNotBreakTheList) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), "");
    writeBytes(dir.filePath("SEARCH2.VKD"), "\"Broken,\"County\r\n");
    writeBytes(dir.filePath("search4.vkd"), line("Lower case name", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("SEARCH5.VKD"), line("Fifth", "County", "001", "005", "COUNTY"));
    const TabsPlan plan = planTabs(dir.path(), 2);
    EXPECT_EQ(plan.files, (Files{"", "search4.vkd", "SEARCH5.VKD"}));
    EXPECT_EQ(plan.captions[2], "Fifth");
    EXPECT_EQ(plan.selectTab, 2);
    ASSERT_EQ(plan.problems.size(), 2);
    EXPECT_TRUE(plan.problems[0].message.contains("SEARCH1.VKD"));
    EXPECT_TRUE(plan.problems[1].message.contains("SEARCH2.VKD"));

    // One warning names both; rebuilding the tabs again does not repeat it until a file changes.
    resetReportedProblems();
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining("SEARCH1.VKD", ui::vbOK);
    reportListingProblems(plan.problems);
    EXPECT_TRUE(boxes.shown()[0].text.contains("SEARCH2.VKD"));
    reportListingProblems(planTabs(dir.path(), 0).problems);
    writeBytes(dir.filePath("SEARCH1.VKD"), "\r\n\r\n");
    boxes.expectContaining("SEARCH1.VKD", ui::vbOK);
    reportListingProblems(planTabs(dir.path(), 0).problems);
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_FALSE(boxes.shown()[1].text.contains("SEARCH2.VKD"));
}

TEST(SearchList, EditableTitlesStopAtABlankTitle) {
    Captions captions{"", "North", "South", "    ", "West"};
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South"}));
    captions[3] = "    !"; // not after four blanks and "!"
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South"}));
    captions[3] = "    #";
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South", "    #", "West"}));
    EXPECT_TRUE(editableTitles({}).isEmpty());
}
