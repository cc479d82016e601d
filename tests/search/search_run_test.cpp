// Running a saved search from its file: messages and the "Copy SQL to Clipboard" mark.
#include "search/search_run.h"

#include "search_test_support.h"
#include "support/scripted_msgbox.h"

#include "platform/ui/msgbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace search;
using searchtest::line;
using searchtest::writeBytes;

TEST(SearchRun, PreparedFromTheFileAndCopiedOnlyWithTheMark) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), line("North", "County", "001", "005", "COUNTY") +
                                                line("North", "Zip Code", "19000", "19099", "ZIP", true));
    writeBytes(dir.filePath("UNTITLED.VKD"), line("UNTITLED", "New Records", "", "", "NEWREC"));
    const QString sql =
        "SELECT * FROM PRIME WHERE ZIP NOT BETWEEN '19000' AND '19099' AND (COUNTY BETWEEN '001' AND '005')";
    QGuiApplication::clipboard()->setText("before");
    testsupport::ScriptedMsgBoxes boxes;
    PreparedSearch run = prepareSearch(dir.path(), "SEARCH1.VKD", "PA", false);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.lookups.size(), 2);
    EXPECT_EQ(run.sql, sql);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");

    boxes.expect(sql, ui::vbOK); // the mark is set: the SQL is shown and copied
    EXPECT_EQ(prepareSearch(dir.path(), "SEARCH1.VKD", "PA", true).sql, sql);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), sql);

    boxes.expect("ALL RECORDS SELECTED", ui::vbOK);
    run = prepareSearch(dir.path(), "UNTITLED.VKD", "PA", false);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.sql, "SELECT * FROM PRIME");
    for (const auto& shown : boxes.shown())
        EXPECT_EQ(shown.style, ui::vbOKOnly);
}

TEST(SearchRun, RefusedSearches) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("SEARCH1.VKD"), line("NJ", "NJ A/R Only", "0795", "1299", "NJARONLY"));
    writeBytes(dir.filePath("SEARCH2.VKD"), line("Bad", "Experience Mod.", "1) OR (1=1", "2", "MOD"));
    writeBytes(dir.filePath("SEARCH3.VKD"), "\"Bad\",\"County\"\r\n");
    testsupport::ScriptedMsgBoxes boxes;
    boxes
        .expect("This lookup contains a field that can only be used with the state of NJ!", ui::vbOK,
                "Parameter Verification")
        .expectContaining("Experience Mod.", ui::vbOK, "Parameter Verification")
        .expectContaining("SEARCH3.VKD", ui::vbOK)
        .expectContaining("SEARCH4.VKD", ui::vbOK);
    for (const char* file : {"SEARCH1.VKD", "SEARCH2.VKD", "SEARCH3.VKD", "SEARCH4.VKD"})
        EXPECT_FALSE(prepareSearch(dir.path(), file, "PA", true).ok) << file;
    EXPECT_EQ(boxes.shown()[0].style, ui::vbOKOnly | ui::vbExclamation);
    // A tab without a search runs nothing and says nothing.
    EXPECT_FALSE(prepareSearch(dir.path(), "", "PA", true).ok);
}
