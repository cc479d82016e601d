// The lookup editor on a real list form: a saved search shows up on the tabs at once, and an
// edited one is run again.
#include "app/globals.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/grid/data_grid.h"
#include "results/vklist.h"
#include "search/field_rules.h"
#include "search/list_form_host.h"
#include "search/list_tabs_host.h"
#include "search/search_list.h"
#include "search/vkeddel.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace search;

namespace {

class LookupOnListForm : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        files::setProgramFolder(folder());
        velk::CurrentState = "PA";
        velk::StateDbConnect = loading::defaultConnect("PA");
        velk::SearchFiles.fill(QString());
        {
            auto db = dao::Database::create(path(loading::stateDatabaseName("PA")),
                                            dao::passwordFromConnect(velk::StateDbConnect));
            loading::createStateTables(*db, "PA");
            db->executeBound("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2004-06-30')", {});
            for (const char* county : {"001", "005", "009"})
                db->executeBound(
                    "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, COUNTY, FILESEQ, Omit) "
                    "VALUES ('PA', ?, '01', ?, ?, ?, ?, ' ')",
                    {QString("F") + county, QString("NAME ") + county, QString("NAME ") + county, county,
                     QString("F") + county + "01"});
            db->executeBound("INSERT INTO COUNTY (CODE, COUNTY) VALUES ('001', 'ADAMS')", {});
        }
        QDir(folder()).mkdir("INITIAL");
        list = std::make_unique<VKLIST>();
        list->CURPATH = path("INITIAL") + "/";
        list->Form_Load();
        list->SETTABS();
    }
    void TearDown() override {
        unloadLookupEditor();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        list.reset();
        files::setProgramFolder(QString());
        velk::SearchFiles.fill(QString());
        installLookupEditor(); // as the program starts
    }

    std::unique_ptr<VKLIST> list;
    testsupport::ScriptedMsgBoxes boxes;
    testsupport::ModalScript modals;
};

} // namespace

TEST_F(LookupOnListForm, NewSearchAppearsOnTheTabsAndEditRunsItAgain) {
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        d.SEARCHDESC->setText("First Counties");
        d.List1_Click(kCounty);
        EXPECT_EQ(d.categoryRowCount(), 1); // read from the list form's data set
        d.FROM->setText("001");
        d.THRU->setText("005");
        EXPECT_TRUE(d.ADD_Click());
        d.OK_Click();
        return d.result();
    });
    newLookup(*list);
    EXPECT_EQ(list->SSTab1->currentIndex(), 0);
    EXPECT_EQ(list->SSTab1->tabText(1), "First Counties");
    EXPECT_EQ(velk::SearchFiles[1], "SEARCH1.VKD");

    // Tab 1 runs the saved search.
    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(list->VIEWCOUNT->text(), "2");

    // Edit/Delete Lookup, Edit on the first title: the editor opens that search; after OK the tab
    // shows the new title and the search runs again.
    modals.expect<VKEDDEL>([](VKEDDEL& d) {
        d.Form_Activate();
        EXPECT_EQ(d.List1->count(), 1);
        d.List1->setCurrentRow(0);
        d.Command1_Click();
        return d.result();
    });
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        EXPECT_EQ(d.SEARCHDESC->text(), "First Counties");
        EXPECT_EQ(d.lookups().size(), 1);
        d.SEARCHDESC->setText("All Counties");
        d.TDBGrid3->setCurrentRow(0);
        d.DELETE_Click();
        d.List1_Click(kCounty);
        d.FROM->setText("001");
        d.THRU->setText("009");
        d.OK_Click(); // the pending entry is accepted first
        return d.result();
    });
    showEditDeleteDialog(*list);
    EXPECT_EQ(list->SSTab1->tabText(1), "All Counties");
    EXPECT_EQ(list->SSTab1->currentIndex(), 1);
    EXPECT_EQ(list->VIEWCOUNT->text(), "3");
    EXPECT_EQ(modals.pending(), 0);
}

TEST_F(LookupOnListForm, CancelWritesNothing) {
    modals.expect<VKLOOKUP>([](VKLOOKUP& d) {
        d.List1_Click(kName);
        d.FROM->setText("A");
        EXPECT_TRUE(d.ADD_Click());
        d.CANCEL_Click();
        return d.result();
    });
    newLookup(*list);
    EXPECT_TRUE(QDir(path("INITIAL")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(list->SSTab1->tabText(1), "");
    EXPECT_EQ(loadedLookupEditor(), nullptr);
}
