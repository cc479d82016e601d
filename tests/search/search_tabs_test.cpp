// The list form's search tabs on the real form: listing the workspace's saved searches, running one,
// sorting it, refusing a bad one, and the lookup editor and the edit/delete dialog working on it.
#include "app/globals.h"
#include "app/list_search_host.h"
#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "platform/ui/msgbox.h"
#include "results/list_form.h"
#include "search/field_rules.h"
#include "search/search_list.h"

#include "search_test_support.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

using namespace search;
using searchtest::line;
using searchtest::writeBytes;
using velk::newLookup;
using velk::showEditDeleteDialog;

namespace {

// Activates the edit/delete dialog, picks the title at row and presses button.
int pickAnd(VKEDDEL& d, int row, QPushButton* button) {
    d.Form_Activate();
    d.List1->setCurrentRow(row);
    d.List1->item(row)->setSelected(true);
    return testsupport::press(d, button);
}

const QString kCounties =
    "SELECT * FROM PRIME WHERE (COUNTY BETWEEN '001' AND '005' OR COUNTY BETWEEN '010' AND '010')";

class SearchTabsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataset::setCurrent({"PA", QString()});
        files::setProgramFolder(dir.path());
        searchtest::createSeededDatabase(dir.filePath("VELKPA.MDB"))
            ->executeBound("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('001', 'ADAMS')", {});
        QDir(dir.path()).mkdir("WORK");
        ws = dir.filePath("WORK") + "/";
        writeBytes(ws + "SEARCH1.VKD", line("Counties", "County", "001", "005", "COUNTY") +
                                           line("Counties", "County", "010", "010", "COUNTY"));
        writeBytes(ws + "SEARCH3.VKD", line("Nothing", "Zip Code", "99990", "99999", "ZIP"));
        writeBytes(ws + "SEARCH4.VKD", line("NJ only", "NJ A/R Only", "0795", "1299", "NJARONLY"));
        resetReportedProblems();
        list = std::make_unique<VKLIST>();
        list->CURPATH = ws;
        list->SETTABS();
    }
    void TearDown() override {
        unloadLookupEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        list->Form_Unload();
        list.reset();
        files::setProgramFolder(QString());
    }
    QTemporaryDir dir;
    QString ws;
    std::unique_ptr<VKLIST> list;
    testsupport::ScriptedMsgBoxes boxes;
    testsupport::ModalScript modals;
};

} // namespace

TEST_F(SearchTabsTest, TabsRunAndSortTheSavedSearches) {
    EXPECT_EQ(list->SSTab1->tabText(1), "Counties");
    EXPECT_EQ(list->SSTab1->tabText(2), "Nothing");
    EXPECT_EQ(list->SSTab1->tabText(3), "NJ only");
    EXPECT_EQ(list->SSTab1->tabText(4), "");
    EXPECT_EQ(list->searchFile(2), "SEARCH3.VKD");

    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(list->searchTabs().SearchSQL, kCounties);
    EXPECT_EQ(list->SFILE->RecordSource, kCounties + " ORDER BY NAME1");
    EXPECT_EQ(list->VIEWCOUNT->text(), "6");
    EXPECT_EQ(list->searchTabs().SortField, "NAME1");
    EXPECT_TRUE(list->Command1->isEnabled());

    list->TDBGrid4_HeadClick(3);
    EXPECT_EQ(list->SFILE->RecordSource, kCounties + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    EXPECT_EQ(list->SFILE->Recordset()->text("FILESEQ"), "080001"); // 1 January first, whatever the year
    EXPECT_EQ(list->TDBGrid4->columnSpec(3).caption, "Expires");
    list->SFOR->setText("x");
    list->TDBGrid4_HeadClick(1); // "Seq": only the type-ahead box is emptied
    EXPECT_EQ(list->SFOR->text(), "");
    EXPECT_EQ(list->SFILE->RecordSource, kCounties + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    list->TDBGrid4_HeadClick(0);
    EXPECT_EQ(list->SFILE->RecordSource, kCounties + " ORDER BY FILE");
    list->SFOR->setText("x");
    list->SetUpSQL(); // run again, as after its search is saved: at its first row, nothing typed
    EXPECT_EQ(list->SFOR->text(), "");
}

TEST_F(SearchTabsTest, EmptyResultRefusedSearchAndAChangedFolder) {
    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_FALSE(list->Command1->isEnabled());

    boxes.expect("This lookup contains a field that can only be used with the state of NJ!", ui::vbOK,
                 "Parameter Verification");
    list->SSTab1->setCurrentIndex(3);
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);

    list->SSTab1->setCurrentIndex(2);
    // The search on the selected tab disappears: tab 0.
    QFile::remove(ws + "SEARCH3.VKD");
    QFile::remove(ws + "SEARCH4.VKD");
    list->SETTABS();
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(2), "");
    // An empty file is reported once, from the event loop, and left off; the others stay.
    writeBytes(ws + "SEARCH2.VKD", "");
    boxes.expectContaining("SEARCH2.VKD", ui::vbOK);
    list->SETTABS();
    list->SETTABS();
    QCoreApplication::processEvents();
    EXPECT_EQ(list->SSTab1->tabText(1), "Counties");
    EXPECT_EQ(list->SSTab1->tabText(2), "");
}

TEST_F(SearchTabsTest, NewSearchAppearsEditRunsItAgainDeleteRemovesIt) {
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Adams");
        d.List1_Click(kCounty);
        EXPECT_EQ(d.categoryRowCount(), 1); // read from the list form's data set
        d.FROM->setText("001");
        EXPECT_TRUE(d.ADD_Click());
        d.OK_Click();
        return d.result();
    });
    newLookup(*list);
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(2), "Adams");
    EXPECT_EQ(list->searchFile(2), "SEARCH2.VKD"); // the first free slot
    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "1");
    list->SetCurSQLFile(false);
    EXPECT_EQ(list->CurSQLFile, "SEARCH2.VKD");
    list->SetCurSQLFile(true);
    EXPECT_EQ(list->CurSQLFile, "");

    // Edit/Delete Lookup, Edit: the editor opens that search; after OK the tab shows the new title
    // and the search runs again.
    modals.expect<VKEDDEL>([](VKEDDEL& d) { return pickAnd(d, 1, d.Command1); });
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        EXPECT_EQ(d.SEARCHDESC->text(), "Adams");
        EXPECT_EQ(d.lookups().size(), 1);
        d.SEARCHDESC->setText("Adams to Bedford");
        d.TDBGrid3->setCurrentRow(0);
        d.DELETE_Click();
        d.List1_Click(kCounty);
        d.FROM->setText("001");
        d.THRU->setText("005");
        d.OK_Click(); // the pending entry is accepted first
        return d.result();
    });
    showEditDeleteDialog(*list);
    EXPECT_EQ(list->SSTab1->tabText(2), "Adams to Bedford");
    EXPECT_EQ(list->SSTab1->currentIndex(), 2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "5");

    // Delete, Yes: the search and its twin go, the tabs are rebuilt and tab 0 shows.
    writeBytes(ws + "SEARCH2.XCL", "twin");
    boxes.expect("Delete this lookup?", ui::vbYes, "Edit/Delete Lookup");
    modals.expect<VKEDDEL>([&](VKEDDEL& d) { return pickAnd(d, 1, d.Command2); });
    showEditDeleteDialog(*list);
    EXPECT_EQ(boxes.shown().last().style, ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2);
    EXPECT_FALSE(QFile::exists(ws + "SEARCH2.VKD"));
    EXPECT_FALSE(QFile::exists(ws + "SEARCH2.XCL"));
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(2), "Nothing");
    EXPECT_TRUE(list->isVisible());
}

TEST_F(SearchTabsTest, EditDeleteDialogWithoutSelectionNoCancelAndAFileAlreadyGone) {
    modals.expect<VKEDDEL>([&](VKEDDEL& d) {
        d.Form_Activate();
        EXPECT_EQ(d.windowTitle(), "Edit/Delete Lookup");
        EXPECT_EQ(d.List1->geometry().topLeft(), QPoint(40, 16));
        EXPECT_EQ(d.Command3->geometry().size(), QSize(89, 25));
        EXPECT_EQ(d.Command1->text(), "Edit");
        EXPECT_TRUE(d.Command1->isDefault());
        EXPECT_EQ(d.List1->count(), 3);
        EXPECT_EQ(d.List1->item(2)->text(), "NJ only");
        boxes.expect("No lookup selected!", ui::vbOK).expect("No lookup selected!", ui::vbOK);
        d.Command1_Click();
        d.Command2_Click();
        EXPECT_EQ(boxes.shown()[0].style, ui::vbOKOnly);
        // No: nothing deleted.
        boxes.expect("Delete this lookup?", ui::vbNo, "Edit/Delete Lookup");
        return pickAnd(d, 0, d.Command2);
    });
    showEditDeleteDialog(*list);
    EXPECT_TRUE(QFile::exists(ws + "SEARCH1.VKD"));
    // Esc rebuilds the tabs.
    QFile::remove(ws + "SEARCH3.VKD");
    modals.expect<VKEDDEL>([&](VKEDDEL& d) {
        d.Form_Activate();
        d.reject();
        return d.result();
    });
    showEditDeleteDialog(*list);
    EXPECT_EQ(list->SSTab1->tabText(2), "NJ only");
    // Delete of a file already gone: only the question, and the same steps.
    list->SSTab1->setCurrentIndex(1);
    QFile::remove(ws + "SEARCH4.VKD");
    boxes.expect("Delete this lookup?", ui::vbYes, "Edit/Delete Lookup");
    modals.expect<VKEDDEL>([&](VKEDDEL& d) { return pickAnd(d, 1, d.Command2); });
    showEditDeleteDialog(*list);
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(2), "");
    // Edit closes the dialog and opens the editor on the picked search.
    modals.expect<VKEDDEL>([&](VKEDDEL& d) { return pickAnd(d, 0, d.Command1); });
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        d.CANCEL_Click();
        return d.result();
    });
    showEditDeleteDialog(*list);
    EXPECT_EQ(list->CurSQLFile, "SEARCH1.VKD");
}

TEST_F(SearchTabsTest, EditDeleteListShowsTitlesThatBeginAlikeWhole) {
    for (int n = 1; n <= 6; ++n)
        writeBytes(ws + QStringLiteral("SEARCH%1.VKD").arg(n),
                   line(QStringLiteral("Search number %1 of the northern counties").arg(n).toLatin1().constData(),
                        "County", "001", "005", "COUNTY"));
    list->SETTABS();
    modals.expect<VKEDDEL>([&](VKEDDEL& d) {
        d.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(d.List1->count(), 6);
        for (int i = 0; i < d.List1->count(); ++i)
            EXPECT_LE(d.List1->fontMetrics().horizontalAdvance(d.List1->item(i)->text()),
                      d.List1->viewport()->width());
        EXPECT_GT(d.Command1->x(), d.List1->geometry().right()) << "the buttons stand beside the list";
        EXPECT_LE(d.Command1->geometry().right(), d.width());
        d.reject();
        return d.result();
    });
    showEditDeleteDialog(*list);
}

TEST_F(SearchTabsTest, CancelledEditorWritesNothing) {
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        d.List1_Click(kName);
        d.FROM->setText("A");
        EXPECT_TRUE(d.ADD_Click());
        d.CANCEL_Click();
        return d.result();
    });
    newLookup(*list);
    EXPECT_EQ(QDir(ws).entryList(QDir::Files), QStringList({"SEARCH1.VKD", "SEARCH3.VKD", "SEARCH4.VKD"}));
    EXPECT_EQ(list->SSTab1->tabText(2), "Nothing");
    EXPECT_EQ(loadedLookupEditor(), nullptr);
}

TEST_F(SearchTabsTest, ApostropheRunsAndTheLookupTextMakesWayForTheFirstRecord) {
    writeBytes(ws + "SEARCH5.VKD", line("Irish", "Employer Name", "O'BRIEN", "O'BRIEN Z", "NAME1"));
    list->SETTABS();
    list->SSTab1->setCurrentIndex(4);
    EXPECT_EQ(list->searchTabs().SearchSQL,
              "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'O''BRIEN' AND 'O''BRIEN Z'");
    EXPECT_EQ(list->VIEWCOUNT->text(), "1");
    EXPECT_FALSE(list->ADDRESS->toPlainText().contains("PERFORMING LOOKUP"));

    // In NY the expiry column is "Anniversary" once the search is sorted.
    dataset::setCurrent({"NY", dataset::current().connect});
    list->TDBGrid4_HeadClick(0);
    EXPECT_EQ(list->TDBGrid4->columnSpec(3).caption, "Anniversary");
    dataset::setCurrent({"PA", dataset::current().connect});
}

TEST_F(SearchTabsTest, EmptyResultEmptiesTheAddressAndSortsSilently) {
    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_EQ(list->ADDRESS->toPlainText(), "");
    EXPECT_FALSE(list->PRINTCUR->isEnabled());
    list->TDBGrid4_HeadClick(3); // no box: the scripted boxes fail on any unexpected one
    EXPECT_EQ(list->SFILE->RecordSource,
              list->searchTabs().SearchSQL + " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    EXPECT_EQ(list->SSTab1->currentIndex(), 2);
}
