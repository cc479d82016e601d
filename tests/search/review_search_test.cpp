// Search tabs on the real form: a value with an apostrophe, the NY expiry caption and an empty result.
#include "app/globals.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "results/vklist.h"
#include "search/search_list.h"

#include "search_test_support.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

using searchtest::line;
using searchtest::writeBytes;

namespace {

class ReviewSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        velk::CurrentState = "PA";
        velk::StateDbConnect.clear();
        velk::SearchFiles.fill(QString());
        files::setProgramFolder(dir.path());
        searchtest::createSeededDatabase(dir.filePath("VELKPA.MDB"));
        QDir(dir.path()).mkdir("WORK");
        ws = dir.filePath("WORK") + "/";
        writeBytes(ws + "SEARCH1.VKD", line("Irish", "Employer Name", "O'BRIEN", "O'BRIEN Z", "NAME1"));
        writeBytes(ws + "SEARCH2.VKD", line("Nothing", "Zip Code", "99990", "99999", "ZIP"));
        search::resetReportedProblems();
        list = std::make_unique<VKLIST>();
        list->Form_Load();
        list->CURPATH = ws;
        list->SETTABS();
    }
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        list->Form_Unload();
        list.reset();
        files::setProgramFolder(QString());
        velk::SearchFiles.fill(QString());
        velk::CurrentState = "PA";
    }
    QTemporaryDir dir;
    QString ws;
    std::unique_ptr<VKLIST> list;
    testsupport::ScriptedMsgBoxes boxes;
};

} // namespace

TEST_F(ReviewSearchTest, ApostropheRunsAndTheLookupTextMakesWayForTheFirstRecord) {
    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(list->SearchSQL, "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'O''BRIEN' AND 'O''BRIEN Z'");
    EXPECT_EQ(list->VIEWCOUNT->text(), "1");
    EXPECT_FALSE(list->ADDRESS->toPlainText().contains("PERFORMING LOOKUP"));

    // In NY the expiry column is "Anniversary" once the search is sorted.
    velk::CurrentState = "NY";
    list->TDBGrid4_HeadClick(0);
    EXPECT_EQ(list->TDBGrid4->columnSpec(3).caption, "Anniversary");
}

TEST_F(ReviewSearchTest, EmptyResultEmptiesTheAddressAndSortsSilently) {
    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_EQ(list->ADDRESS->toPlainText(), "");
    EXPECT_FALSE(list->PRINTCUR->isEnabled());
    list->TDBGrid4_HeadClick(3); // no box: the scripted boxes fail on any unexpected one
    EXPECT_EQ(list->SFILE->RecordSource, list->SearchSQL + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    EXPECT_EQ(list->SSTab1->currentIndex(), 2);
}
