// Running a saved search from its file: messages, clipboard and the sort clauses.
#include "search/search_run.h"
#include "search/search_sort.h"

#include "search_test_support.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace search;
using searchtest::line;
using searchtest::ScriptedBoxes;
using searchtest::writeBytes;

TEST(SearchSort, OrderClauses) {
    EXPECT_EQ(sortedSearchSQL("SELECT * FROM PRIME", 0), "SELECT * FROM PRIME ORDER BY FILE");
    EXPECT_EQ(sortedSearchSQL("SELECT * FROM PRIME WHERE ZIP BETWEEN '1' AND '2'", 2),
              "SELECT * FROM PRIME WHERE ZIP BETWEEN '1' AND '2' ORDER BY NAME1");
    EXPECT_EQ(sortedSearchSQL("SELECT * FROM PRIME", 3),
              "SELECT * FROM PRIME ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    // "Seq" and anything else leave the record source alone.
    EXPECT_EQ(sortedSearchSQL("SELECT * FROM PRIME", 1), "");
    EXPECT_EQ(sortedSearchSQL("SELECT * FROM PRIME", 4), "");
    EXPECT_EQ(searchColumnField(0), "FILE");
    EXPECT_EQ(searchColumnField(1), "SEQUENCE");
    EXPECT_EQ(searchColumnField(2), "NAME1");
    EXPECT_EQ(searchColumnField(3), "EXPIRE");
    EXPECT_EQ(expiresCaption("NY"), "Anniversary");
    EXPECT_EQ(expiresCaption("PA"), "Expires");
}

TEST(SearchRun, CopySqlToClipboardOnlyWithTheMark) {
    QGuiApplication::clipboard()->setText("before");
    ScriptedBoxes boxes;
    copySqlIfMarked(false, "SELECT * FROM PRIME");
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    copySqlIfMarked(true, "SELECT * FROM PRIME WHERE [MOD] = 9.885");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "SELECT * FROM PRIME WHERE [MOD] = 9.885");
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, "SELECT * FROM PRIME WHERE [MOD] = 9.885");
    EXPECT_EQ(boxes.shown[0].style, ui::vbOKOnly);
}

TEST(SearchRun, PreparedFromTheFile) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), line("North", "County", "001", "005", "COUNTY") +
                                                line("North", "Zip Code", "19000", "19099", "ZIP", true));
    ScriptedBoxes boxes;
    const PreparedSearch run = prepareSearch(dir.path(), "SEARCH1.VKD", "PA", true);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.lookups.size(), 2);
    const QString sql =
        "SELECT * FROM PRIME WHERE ZIP NOT BETWEEN '19000' AND '19099' AND (COUNTY BETWEEN '001' "
        "AND '005')";
    EXPECT_EQ(run.sql, sql);
    ASSERT_EQ(boxes.shown.size(), 1); // the mark is set: the SQL is shown
    EXPECT_EQ(boxes.shown[0].prompt, sql);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), sql);
}

TEST(SearchRun, AllRecordsSelected) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("UNTITLED.VKD"), line("UNTITLED", "New Records", "", "", "NEWREC"));
    ScriptedBoxes boxes;
    const PreparedSearch run = prepareSearch(dir.path(), "UNTITLED.VKD", "PA", false);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.sql, "SELECT * FROM PRIME");
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt, "ALL RECORDS SELECTED");
    EXPECT_EQ(boxes.shown[0].style, ui::vbOKOnly);
}

TEST(SearchRun, RefusedSearches) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), line("NJ", "NJ A/R Only", "0795", "1299", "NJARONLY"));
    writeBytes(dir.filePath("SEARCH2.VKD"), line("Bad", "Experience Mod.", "1) OR (1=1", "2", "MOD"));
    writeBytes(dir.filePath("SEARCH3.VKD"), "\"Bad\",\"County\"\r\n");
    ScriptedBoxes boxes;
    EXPECT_FALSE(prepareSearch(dir.path(), "SEARCH1.VKD", "PA", true).ok);
    EXPECT_FALSE(prepareSearch(dir.path(), "SEARCH2.VKD", "PA", true).ok);
    EXPECT_FALSE(prepareSearch(dir.path(), "SEARCH3.VKD", "PA", true).ok);
    EXPECT_FALSE(prepareSearch(dir.path(), "SEARCH4.VKD", "PA", true).ok);
    ASSERT_EQ(boxes.shown.size(), 4);
    EXPECT_EQ(boxes.shown[0].prompt,
              "This lookup contains a field that can only be used with the state of NJ!");
    EXPECT_EQ(boxes.shown[0].title, "Parameter Verification");
    EXPECT_EQ(boxes.shown[0].style, ui::vbOKOnly | ui::vbExclamation);
    EXPECT_TRUE(boxes.shown[1].prompt.contains("Experience Mod."));
    EXPECT_EQ(boxes.shown[1].title, "Parameter Verification");
    EXPECT_TRUE(boxes.shown[2].prompt.contains("SEARCH3.VKD"));
    EXPECT_TRUE(boxes.shown[3].prompt.contains("SEARCH4.VKD"));
    // A tab without a search runs nothing and says nothing.
    EXPECT_FALSE(prepareSearch(dir.path(), "", "PA", true).ok);
    EXPECT_EQ(boxes.shown.size(), 4);
}
