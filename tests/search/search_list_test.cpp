// The tab listing of a workspace's saved searches.
#include "search/search_file.h"
#include "search/search_list.h"

#include "search_test_support.h"
#include "support/scripted_msgbox.h"

#include "platform/ui/msgbox.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

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

// Names that once hung the start-up or ended it out of memory, beside searches that must still list.
TEST(SearchList, OnlyRegularFilesOfASearchsSizeAreListed) {
    QTemporaryDir dir;
    const QByteArray first = line("First", "County", "001", "005", "COUNTY");
    // Blank lines are skipped when read: a valid search of exactly the largest size, and one byte more.
    QByteArray atLimit = first + QByteArray(kMaxSearchFileBytes - first.size(), '\n');
    writeBytes(dir.filePath("SEARCH1.VKD"), atLimit);
    writeBytes(dir.filePath("SEARCH2.VKD"), atLimit + '\n');
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("SEARCH3.VKD")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("SEARCH4.VKD")));
    {
        QFile huge(dir.filePath("SEARCH5.VKD")); // 3 GB, sparse
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(3LL << 30));
    }
    writeBytes(dir.filePath("SEARCH6.VKD"), line("Sixth", "County", "001", "005", "COUNTY"));

    const TabsPlan plan = planTabs(dir.path(), 0);
    EXPECT_EQ(plan.files, (Files{"", "SEARCH1.VKD", "SEARCH6.VKD"}));
    EXPECT_EQ(plan.captions, (Captions{"", "First", "Sixth"}));
    ASSERT_EQ(plan.problems.size(), 2);
    for (const auto& [problem, name] :
         {std::pair{plan.problems[0], "SEARCH2.VKD"}, {plan.problems[1], "SEARCH5.VKD"}})
        EXPECT_TRUE(problem.message.contains(name) && problem.message.contains("larger than 64 KB"))
            << problem.message.toStdString();

    // Opened by name (a tab listed before the file was replaced), they are refused, not read.
    for (const char* name : {"SEARCH3.VKD", "SEARCH4.VKD"}) {
        SqlParameters lookups;
        QString error;
        EXPECT_FALSE(readSearchFile(dir.filePath(name), &lookups, &error));
        EXPECT_TRUE(error.contains(name) && error.contains("not a regular file")) << error.toStdString();
    }
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
