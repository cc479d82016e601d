// The list form's search tabs: listing the workspace's saved searches, running one, sorting it,
// refusing a bad one, and the edit/delete dialog working on the real form.
#include "app/globals.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "results/vklist.h"
#include "search/list_tabs_host.h"
#include "search/search_list.h"

#include "search_seed.h"
#include "search_test_support.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

using searchtest::line;
using searchtest::ScriptedBoxes;
using searchtest::writeBytes;

namespace {

class SearchTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        velk::CurrentState = "PA";
        velk::StateDbConnect.clear();
        files::setProgramFolder(dir.path());
        searchtest::createSeededDatabase(dir.filePath("VELKPA.MDB"));
        QDir(dir.path()).mkdir("WORK");
        ws = dir.filePath("WORK") + "/";
        writeBytes(ws + "SEARCH1.VKD", line("Counties", "County", "001", "005", "COUNTY") +
                                           line("Counties", "County", "010", "010", "COUNTY"));
        writeBytes(ws + "SEARCH3.VKD", line("Nothing", "Zip Code", "99990", "99999", "ZIP"));
        writeBytes(ws + "SEARCH4.VKD", line("NJ only", "NJ A/R Only", "0795", "1299", "NJARONLY"));
        search::resetReportedProblems();
        list = std::make_unique<VKLIST>();
        list->Form_Load();
        list->CURPATH = ws;
    }
    void TearDown() override {
        list->Form_Unload();
        list.reset();
        files::setProgramFolder(QString());
    }
    QTemporaryDir dir;
    QString ws;
    std::unique_ptr<VKLIST> list;
    ScriptedBoxes boxes;
};

} // namespace

TEST_F(SearchTabsTest, TabsRunAndSortTheSavedSearches) {
    list->SETTABS();
    EXPECT_EQ(list->SSTab1->tabText(1), "Counties");
    EXPECT_EQ(list->SSTab1->tabText(2), "Nothing");
    EXPECT_EQ(list->SSTab1->tabText(3), "NJ only");
    EXPECT_EQ(list->SSTab1->tabText(4), "");
    EXPECT_EQ(velk::SearchFiles[2], "SEARCH3.VKD");

    list->SSTab1->setCurrentIndex(1);
    const QString sql =
        "SELECT * FROM PRIME WHERE (COUNTY BETWEEN '001' AND '005' OR COUNTY BETWEEN '010' AND '010')";
    EXPECT_EQ(list->SearchSQL, sql);
    EXPECT_EQ(list->SFILE->RecordSource, sql + " ORDER BY NAME1");
    EXPECT_EQ(list->VIEWCOUNT->text(), "6");
    EXPECT_EQ(list->SortField, "NAME1");
    EXPECT_TRUE(list->Command1->isEnabled());

    list->TDBGrid4_HeadClick(3);
    EXPECT_EQ(list->SFILE->RecordSource, sql + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    EXPECT_EQ(list->SFILE->Recordset()->text("FILESEQ"), "080001"); // 1 January first, whatever the year
    EXPECT_EQ(list->TDBGrid4->columnSpec(3).caption, "Expires");
    list->SFOR->setText("x");
    list->TDBGrid4_HeadClick(1); // "Seq": only the type-ahead box is emptied
    EXPECT_EQ(list->SFOR->text(), "");
    EXPECT_EQ(list->SFILE->RecordSource, sql + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    list->TDBGrid4_HeadClick(0);
    EXPECT_EQ(list->SFILE->RecordSource, sql + " ORDER BY FILE");
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(SearchTabsTest, EmptyResultAndRefusedSearch) {
    list->SETTABS();
    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_EQ(list->ADDRESS->toPlainText(), "");
    EXPECT_FALSE(list->Command1->isEnabled());
    EXPECT_FALSE(list->PRINTCUR->isEnabled());
    EXPECT_FALSE(list->MarkIt->isEnabled());

    list->SSTab1->setCurrentIndex(3);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].prompt,
              "This lookup contains a field that can only be used with the state of NJ!");
    EXPECT_EQ(boxes.shown[0].title, "Parameter Verification");
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
}

TEST_F(SearchTabsTest, ListingFollowsTheFolder) {
    list->SETTABS();
    list->SSTab1->setCurrentIndex(3);
    ASSERT_EQ(list->SSTab1->currentIndex(), 0); // refused, see above
    list->SSTab1->setCurrentIndex(2);
    // The search on the selected tab disappears: tab 0.
    QFile::remove(ws + "SEARCH3.VKD");
    QFile::remove(ws + "SEARCH4.VKD");
    list->SETTABS();
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(2), "");
    // An empty file is reported once and left off; the others stay.
    writeBytes(ws + "SEARCH2.VKD", "");
    boxes.shown.clear();
    list->SETTABS();
    list->SETTABS();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("SEARCH2.VKD"));
    EXPECT_EQ(list->SSTab1->tabText(1), "Counties");
    EXPECT_EQ(list->SSTab1->tabText(2), "");
}

TEST_F(SearchTabsTest, EditAndDeleteThroughTheDialog) {
    list->SETTABS();
    list->SSTab1->setCurrentIndex(1);
    list->SetCurSQLFile(false);
    EXPECT_EQ(list->CurSQLFile, "SEARCH1.VKD");
    list->SetCurSQLFile(true);
    EXPECT_EQ(list->CurSQLFile, "");

    search::ListTabsHost host(*list);
    VKEDDEL d(host);
    d.Form_Activate();
    ASSERT_EQ(d.List1->count(), 3);
    d.List1->setCurrentRow(0);
    d.List1->item(0)->setSelected(true);
    boxes.answers << ui::vbYes;
    d.Command2_Click();
    EXPECT_FALSE(QFile::exists(ws + "SEARCH1.VKD"));
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(1), "Nothing");
}
