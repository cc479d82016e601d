// The tab listing of a workspace's saved searches.
#include "search/search_list.h"

#include "search_test_support.h"

using namespace search;
using searchtest::line;
using searchtest::ScriptedBoxes;
using searchtest::writeBytes;

TEST(SearchList, SortedByNameWithGapsAndNoFiles) {
    QTemporaryDir dir;
    TabsPlan empty = planTabs(dir.path(), 4);
    EXPECT_EQ(empty.selectTab, 0);
    for (const QString& f : empty.files)
        EXPECT_TRUE(f.isEmpty());

    writeBytes(dir.filePath("UNTITLED.VKD"), line("UNTITLED", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("SEARCH3.VKD"), line("Third", "Zip Code", "19000", "19099", "ZIP"));
    writeBytes(dir.filePath("SEARCH1.VKD"), line("First", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("notes.txt"), "x");
    const TabsPlan plan = planTabs(dir.path(), 3);
    EXPECT_EQ(plan.files[0], "");
    EXPECT_EQ(plan.files[1], "SEARCH1.VKD");
    EXPECT_EQ(plan.files[2], "SEARCH3.VKD");
    EXPECT_EQ(plan.files[3], "UNTITLED.VKD");
    EXPECT_EQ(plan.files[4], "");
    EXPECT_EQ(plan.files[10], "");
    EXPECT_EQ(plan.captions[1], "First");
    EXPECT_EQ(plan.captions[2], "Third");
    EXPECT_EQ(plan.captions[3], "UNTITLED");
    EXPECT_EQ(plan.captions[4], "");
    EXPECT_EQ(plan.selectTab, 3);
    EXPECT_TRUE(plan.problems.isEmpty());
    // The selected tab's search has gone: tab 0.
    EXPECT_EQ(planTabs(dir.path(), 4).selectTab, 0);
}

TEST(SearchList, EmptyAndUnreadableFilesAreReportedAndDoNotBreakTheList) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), "");
    writeBytes(dir.filePath("SEARCH2.VKD"), "\"Broken,\"County\r\n");
    writeBytes(dir.filePath("search4.vkd"), line("Lower case name", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("SEARCH5.VKD"), line("Fifth", "County", "001", "005", "COUNTY"));
    const TabsPlan plan = planTabs(dir.path(), 2);
    EXPECT_EQ(plan.files[1], "search4.vkd");
    EXPECT_EQ(plan.files[2], "SEARCH5.VKD");
    EXPECT_EQ(plan.captions[2], "Fifth");
    EXPECT_EQ(plan.selectTab, 2);
    ASSERT_EQ(plan.problems.size(), 2);
    EXPECT_TRUE(plan.problems[0].message.contains("SEARCH1.VKD"));
    EXPECT_TRUE(plan.problems[1].message.contains("SEARCH2.VKD"));

    // One warning names both; rebuilding the tabs again does not repeat it until a file changes.
    resetReportedProblems();
    ScriptedBoxes boxes;
    reportListingProblems(plan.problems);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("SEARCH1.VKD"));
    EXPECT_TRUE(boxes.shown[0].prompt.contains("SEARCH2.VKD"));
    reportListingProblems(planTabs(dir.path(), 0).problems);
    EXPECT_EQ(boxes.shown.size(), 1);
    writeBytes(dir.filePath("SEARCH1.VKD"), "\r\n\r\n");
    reportListingProblems(planTabs(dir.path(), 0).problems);
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].prompt.contains("SEARCH1.VKD"));
    EXPECT_FALSE(boxes.shown[1].prompt.contains("SEARCH2.VKD"));
}

TEST(SearchList, OnlyNineTabs) {
    QTemporaryDir dir;
    for (int n = 1; n <= 8; ++n)
        writeBytes(dir.filePath(QStringLiteral("SEARCH%1.VKD").arg(n)),
                   line(QByteArray::number(n).constData(), "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("UNTITLED.VKD"), line("U", "County", "001", "005", "COUNTY"));
    writeBytes(dir.filePath("ZZZ.VKD"), line("Tenth", "County", "001", "005", "COUNTY"));
    const TabsPlan plan = planTabs(dir.path(), 9);
    EXPECT_EQ(plan.files[9], "UNTITLED.VKD");
    EXPECT_EQ(plan.files[10], "");
    EXPECT_EQ(plan.selectTab, 9);
}

TEST(SearchList, EditableTitlesStopAtABlankTitle) {
    std::array<QString, 10> captions{"", "North", "South", "    ", "West"};
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South"}));
    captions[3] = "    !"; // not after four blanks and "!"
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South"}));
    captions[3] = "    #";
    EXPECT_EQ(editableTitles(captions), QStringList({"North", "South", "    #", "West"}));
    EXPECT_TRUE(editableTitles({}).isEmpty());
}
