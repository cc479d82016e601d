// The list form headless: index orders and type-ahead on tab 0, search tabs with their counts,
// the detail panel for standard, NY and NJ records, the MODS grid, notes and the exclusion mark.
#include "dataset/data_set.h"
#include "results/list_form.h"
#include "results/list_grids.h"

#include "list_fixture.h"

#include <QBrush>
#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

using listtest::cell;
using listtest::column;
using listtest::contacts;
using listtest::enabledButtons;
using listtest::flags;
using listtest::ListFixture;

QString currentName(grid::DataGrid* g) {
    return cell(g, g->currentRow(), 2);
}
QStringList headers(grid::DataGrid* g) {
    QStringList h;
    for (int c = 0; c < g->model()->columnCount(); ++c)
        h << g->model()->headerData(c, Qt::Horizontal).toString();
    return h;
}

class StandardList : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        makeDataSet("PA");
        addEmployer("100000001", "01", "SMITH BROS", "ADAMS");
        addEmployer("100000002", "01", "ACME TOOL CO", "YORK",
                    {{"ZIPEXT", "2200"},
                     {"STREET", "12 MAIN ST"},
                     {"UserPhone", "!"},
                     {"UserFax", QString(12, ' ')},
                     {"UserContact", QString(50, ' ')},
                     {"UserTitle", " BOSS"},
                     {"User1", "!&"},
                     {"ASSOCIATES", true},
                     {"NAME2", "    X"}});
        addEmployer("100000003", "01", "baker & sons", "BERKS", {{"Omit", QVariant()}});
        addEmployer("100000004", "01", "SMILEY INC", "ADAMS");
        addEmployer("100000005", "02", "ZETA", "CHESTER", {{"NJAR", 9905}});
        addMod("100000002", "01", "1950-01-01", "2001-03-01", "2002-03-01", 0.95);
        addMod("100000002", "01", "2003-02-01", "2003-03-01", "2004-03-01", 1.05);
        addMod("100000002", "01", "2003-02-01", "2003-03-01", "2003-09-01", 9.886);
        addMod("100000001", "01", "2003-02-01", "2003-03-01", "2004-03-01", 0.8);
        addNote("100000001", "01", " ");
        addNote("100000002", "01", "Call back");
        addNote("100000004", "01", "ab");
        // 100000003 and 100000005 have no notes row.
        openList();
    }
};

TEST_F(StandardList, OpensOnTabZeroInNameOrderWithTheCount) {
    EXPECT_EQ(list->VIEWCOUNT->text(), "5");
    EXPECT_EQ(list->SSTab1->tabText(0), "View All");
    EXPECT_EQ(list->CurrentIndex, "KEY2");
    EXPECT_EQ(column(list->TDBGrid1, 2),
              QStringList({"ACME TOOL CO", "baker & sons", "SMILEY INC", "SMITH BROS", "ZETA"}));
    EXPECT_EQ(list->TDBGrid1->currentRow(), 0);
    EXPECT_EQ(headers(list->TDBGrid1).at(2), "Company Name");
    EXPECT_TRUE(list->TDBGrid1->isColumnHidden(4));
    EXPECT_TRUE(list->TDBGrid4->isHidden());
}

TEST_F(StandardList, IndexOrdersAndHeaderColours) {
    const QColor sorted = results::sortedHeaderColor(list->TDBGrid1->palette());
    ASSERT_NE(sorted, list->palette().color(QPalette::Button));
    list->SORT_SELECT(3);
    EXPECT_EQ(list->CurrentIndex, "KEY3");
    EXPECT_EQ(column(list->TDBGrid1, 2),
              QStringList({"SMILEY INC", "SMITH BROS", "baker & sons", "ZETA", "ACME TOOL CO"}));
    EXPECT_EQ(list->TDBGrid1->columnSpec(3).headerColor, sorted);
    EXPECT_EQ(list->TDBGrid1->columnSpec(2).headerColor, list->palette().color(QPalette::Button));
    EXPECT_EQ(list->TDBGrid1->horizontalHeader()->sortIndicatorSection(), 3);

    list->SORT_SELECT(0);
    EXPECT_EQ(list->CurrentIndex, "PRIMARY");
    EXPECT_EQ(column(list->TDBGrid1, 0).first(), "100000001");
    EXPECT_EQ(list->TDBGrid1->currentRow(), 0);

    // "Seq" keeps the order, the colours and the indicator, and empties the search box.
    list->SFOR->setText("SMI");
    emit list->TDBGrid1->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(list->SFOR->text(), "");
    EXPECT_EQ(list->CurrentIndex, "PRIMARY");
    EXPECT_EQ(list->TDBGrid1->columnSpec(0).headerColor, sorted);
    EXPECT_EQ(list->TDBGrid1->horizontalHeader()->sortIndicatorSection(), 0);
}

TEST_F(StandardList, TypeAheadSeeksOnTheCurrentIndex) {
    list->SFOR->setText("smi"); // case-insensitive prefix
    EXPECT_EQ(currentName(list->TDBGrid1), "SMILEY INC");
    EXPECT_EQ(list->ADDRESS->toPlainText().section('\n', 0, 0), "SMILEY INC");
    list->SFOR->setText("SMIT");
    EXPECT_EQ(currentName(list->TDBGrid1), "SMITH BROS");
    list->SFOR->setText("zz"); // no match: the list stays where it was
    EXPECT_EQ(currentName(list->TDBGrid1), "SMITH BROS");
    list->SFOR->setText("");
    EXPECT_EQ(currentName(list->TDBGrid1), "ACME TOOL CO");
    list->SORT_SELECT(3);
    list->SFOR->setText("ber");
    EXPECT_EQ(currentName(list->TDBGrid1), "baker & sons");
}

TEST_F(StandardList, PanelOfAStandardRecordOnTabZero) {
    // ACME is current: user fields and the override marker.
    EXPECT_EQ(list->ADDRESS->toPlainText(), "ACME TOOL CO\n12 MAIN ST\nYORK, PA  17401-2200");
    EXPECT_EQ(list->ADDRESS->palette().color(QPalette::Base), QColor(255, 255, 128));
    EXPECT_EQ(contacts(*list), QStringList({"!", "717-555-0199", "PAT LEE", " BOSS"}));
    EXPECT_EQ(flags(*list), QStringList({"Associated Companies", "See Notes"})); // note "Call back"
    EXPECT_EQ(enabledButtons(*list),
              QStringList({"More Info...", "Export Record", "Print Record", "Exclude"}));

    // The MODS grid: latest effective first, then latest expiry; placeholders and merit texts.
    grid::DataGrid* m = list->TDBGrid2;
    EXPECT_EQ(column(m, 2), QStringList({"03/01/04", "09/01/03", "03/01/02"}));
    EXPECT_EQ(column(m, 3), QStringList({"1.050", "Debit", "0.950"}));
    EXPECT_EQ(cell(m, 2, 0), " ");
    EXPECT_EQ(cell(m, 2, 1), "03/01/01");
    EXPECT_EQ(headers(m).mid(1), QStringList({"Effective", "Expires", "MOD"}));
    EXPECT_FALSE(m->isColumnHidden(1));
    EXPECT_EQ(list->MFILE->RecordSource,
              "SELECT * FROM MODS WHERE FILE = \"100000002\" AND SEQUENCE = \"01\" "
              "ORDER BY EFFECTIVE DESC, EXPIRE DESC");

    // Moving on restores the window colour, drops the flags and reads the next record's mods.
    list->TDBGrid1->setCurrentRow(2); // SMILEY: note "ab" hides "See Notes"
    EXPECT_EQ(list->ADDRESS->palette().color(QPalette::Base), list->palette().color(QPalette::Base));
    EXPECT_EQ(flags(*list), QStringList());
    EXPECT_EQ(list->TDBGrid2->model()->rowCount(), 0);
    list->TDBGrid1->setCurrentRow(4); // ZETA: NJAR shows "Assigned Risk" in every state on tab 0;
    EXPECT_EQ(flags(*list), QStringList({"Assigned Risk"})); // no notes row counts 0, and no message
}

TEST_F(StandardList, GridsNeverEdit) {
    for (grid::DataGrid* g : {list->TDBGrid1, list->TDBGrid4, list->TDBGrid2}) {
        EXPECT_EQ(g->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_FALSE(g->model()->flags(g->model()->index(0, 0)) & Qt::ItemIsEditable);
        EXPECT_FALSE(g->model()->setData(g->model()->index(0, 0), "X"));
    }
    EXPECT_EQ(primeField("100000002", "01", "NAME1").toString(), "ACME TOOL CO");
}

TEST_F(StandardList, NotesThroughTheListForm) {
    QPlainTextEdit box;
    ASSERT_TRUE(list->GETNOTES("100000002", "01", &box));
    EXPECT_EQ(box.toPlainText(), "Call back");
    // A second copy of the program on the same folder.
    VKLIST other;
    QPlainTextEdit otherBox;
    boxes.expect("Another user is working with data which affects your notes.  Try again later to view your "
                 "information.",
                 ui::vbOK);
    EXPECT_FALSE(other.GETNOTES("100000002", "01", &otherBox));
    EXPECT_EQ(otherBox.toPlainText(), "***LOCKED***");
    EXPECT_EQ(other.GetNoteLength("100000002", "01"), std::nullopt);
    list->releaseNote();

    // Lines are stored with CR LF and shown with the box's own line ends.
    ASSERT_TRUE(other.GETNOTES("100000002", "01", &otherBox));
    otherBox.setPlainText("Line one\nLine two");
    other.SETNOTES(&otherBox);
    EXPECT_EQ(note("100000002", "01").toString(), "Line one\r\nLine two");
    EXPECT_EQ(list->GetNoteLength("100000002", "01"), 18);
    ASSERT_TRUE(list->GETNOTES("100000002", "01", &box));
    EXPECT_EQ(box.toPlainText(), "Line one\nLine two");
    list->releaseNote();
}

class StandardListTabs : public StandardList {
protected:
    void SetUp() override {
        StandardList::SetUp();
        addSearch("SEARCH1.VKD", "Adams", "County", "COUNTY", "ADA", "ADA");
        addSearchOfAll("SEARCH2.VKD", "Everyone");
        addSearch("SEARCH3.VKD", "Nobody", "File #", "FILENUM", "none", "none");
    }
};

TEST_F(StandardListTabs, SwitchingTabsShowsEachListWithItsCount) {
    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(list->VIEWCOUNT->text(), "2");
    EXPECT_TRUE(list->TDBGrid1->isHidden());
    EXPECT_FALSE(list->TDBGrid4->isHidden());
    EXPECT_FALSE(list->MarkIt->isHidden());
    EXPECT_TRUE(list->EXPORTCUR->isHidden());
    EXPECT_EQ(list->SFILE->RecordSource,
              "SELECT * FROM PRIME WHERE (COUNTY BETWEEN 'ADA' AND 'ADA') ORDER BY NAME1");
    EXPECT_EQ(cell(list->TDBGrid4, 0, 2), "SMILEY INC");
    EXPECT_EQ(list->ADDRESS->toPlainText().section('\n', 0, 0), "SMILEY INC");
    // Tab 0 left ACME's address override colour; SMILEY has no override.
    EXPECT_EQ(list->ADDRESS->palette().color(QPalette::Base), list->palette().color(QPalette::Base));

    list->SSTab1->setCurrentIndex(2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "5");
    // A tab without a search keeps the previous one.
    list->SSTab1->setCurrentIndex(5);
    EXPECT_EQ(list->SSTab1->currentIndex(), 2);
    EXPECT_EQ(list->VIEWCOUNT->text(), "5");

    list->SSTab1->setCurrentIndex(0);
    EXPECT_EQ(list->VIEWCOUNT->text(), "5");
    EXPECT_FALSE(list->TDBGrid1->isHidden());
    EXPECT_TRUE(list->MarkIt->isHidden());
    EXPECT_FALSE(list->EXPORTCUR->isHidden());
}

TEST_F(StandardListTabs, EmptyResultDisablesTheRecordButtons) {
    list->SSTab1->setCurrentIndex(3);
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_EQ(list->ADDRESS->toPlainText(), "");
    EXPECT_EQ(enabledButtons(*list), QStringList());
    EXPECT_TRUE(list->TDBGrid2->isHidden());
    EXPECT_EQ(list->currentRecord(), nullptr);
    // Back to a list with rows: the buttons come back.
    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(enabledButtons(*list),
              QStringList({"More Info...", "Export Record", "Print Record", "Exclude"}));
}

TEST_F(StandardListTabs, SearchPanelUsesItsOwnThresholds) {
    list->SSTab1->setCurrentIndex(2);
    list->TDBGrid4->setCurrentRow(0); // ACME
    EXPECT_EQ(list->ADDRESS->toPlainText(), "ACME TOOL CO\n    X\n12 MAIN ST\nYORK, PA  17401-2200");
    EXPECT_EQ(list->ADDRESS->palette().color(QPalette::Base), QColor(255, 255, 128));
    // "!" does not sort after "!"; " BOSS" starts with a blank.
    EXPECT_EQ(contacts(*list), QStringList({"717-555-0100", "717-555-0199", "PAT LEE", "OWNER"}));
    EXPECT_EQ(list->MarkIt->text(), "Exclude");
    EXPECT_EQ(list->MFILE->RecordSource.right(5), "DESC ");
    list->TDBGrid4->setCurrentRow(4); // ZETA: Assigned Risk is for NJ only on a search tab
    EXPECT_EQ(flags(*list), QStringList());
}

TEST_F(StandardListTabs, TypeAheadInResultsSearchesTowardsTheText) {
    list->SSTab1->setCurrentIndex(2);
    list->TDBGrid4->setCurrentRow(2); // SMILEY
    const char* const steps[][2] = {{"B", "baker & sons"},
                                    {"S", "SMILEY INC"},
                                    {"Z", "ZETA"},
                                    {"A\"", "ZETA"}, // a double quote spoils the criterion: the row stays
                                    {"", "ACME TOOL CO"}};
    for (const auto& [typed, name] : steps) {
        list->SFOR->setText(typed);
        EXPECT_EQ(currentName(list->TDBGrid4), name) << typed;
    }
}

TEST_F(StandardListTabs, ExclusionMarkTogglesAndDrawsTheRowRed) {
    list->SSTab1->setCurrentIndex(2);
    list->TDBGrid4->setCurrentRow(1); // baker, Omit Null
    EXPECT_EQ(list->MarkIt->text(), "Exclude");
    list->MarkIt->click();
    EXPECT_EQ(primeField("100000003", "01", "Omit").toString(), "Y");
    EXPECT_EQ(list->MarkIt->text(), "Include");
    QAbstractItemModel* m = list->TDBGrid4->model();
    EXPECT_EQ(m->data(m->index(1, 2), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_FALSE(m->data(m->index(0, 2), Qt::ForegroundRole).isValid());
    list->MarkIt->click();
    EXPECT_EQ(primeField("100000003", "01", "Omit").toString(), " ");
    EXPECT_FALSE(primeField("100000003", "01", "Omit").isNull());
    EXPECT_EQ(list->MarkIt->text(), "Exclude");
    EXPECT_FALSE(m->data(m->index(1, 2), Qt::ForegroundRole).isValid());

    // Marked again and shown on tab 0: drawn like any other row there.
    list->MarkIt->click();
    list->SSTab1->setCurrentIndex(0);
    QAbstractItemModel* all = list->TDBGrid1->model();
    EXPECT_FALSE(all->data(all->index(1, 2), Qt::ForegroundRole).isValid());
}

// The fixture's own connection stands for another copy of the program.
TEST_F(StandardListTabs, ARowVisitedAgainShowsWhatAnotherCopyStoredMeanwhile) {
    const std::pair<int, grid::DataGrid*> tabs[] = {{0, list->TDBGrid1}, {2, list->TDBGrid4}};
    for (const auto& [tab, grid] : tabs) {
        SCOPED_TRACE(tab);
        list->SSTab1->setCurrentIndex(tab);
        grid->setCurrentRow(0); // ACME, in name order on both
        grid->setCurrentRow(2);
        const QString phone = QStringLiteral("555-01%1").arg(tab, 2, 10, QLatin1Char('0'));
        db->executeBound("UPDATE PRIME SET UserPhone = ?, NAME1 = ? WHERE FILE = '100000002'",
                         {phone, "ACME TOOL " + phone});
        grid->setCurrentRow(0);
        EXPECT_EQ(contacts(*list)[0], phone);
        EXPECT_EQ(list->ADDRESS->toPlainText().section('\n', 0, 0), "ACME TOOL " + phone);
        EXPECT_EQ(cell(grid, 0, 2), "ACME TOOL " + phone) << "the current row of the grid too";
    }
}

TEST_F(StandardListTabs, ExcludeAfterAnotherCopyReloadedGoesByTheRecordsKey) {
    // Another copy loads a release: PRIME emptied and filled again in another order, so each
    // row's place now holds another employer.
    auto reload = [&](const QString& without) {
        db->executeBound("CREATE TEMP TABLE was AS SELECT * FROM PRIME", {});
        db->executeBound("DELETE FROM PRIME", {});
        db->executeBound("INSERT INTO PRIME SELECT * FROM was WHERE FILE <> ? ORDER BY NAME1", {without});
        db->executeBound("DROP TABLE was", {});
    };
    auto marked = [&] {
        return db->scalar("SELECT group_concat(FILE) FROM PRIME WHERE Omit = 'Y'").toString();
    };
    list->SSTab1->setCurrentIndex(2);
    list->TDBGrid4->setCurrentRow(1); // baker & sons, 100000003
    reload(QString());
    list->MarkIt->click();
    EXPECT_EQ(marked(), "100000003");
    EXPECT_EQ(list->MarkIt->text(), "Include");

    // Reloaded without it: said, and nothing written.
    reload("100000003");
    boxes.expectContaining("no longer in the data set", ui::vbOK);
    list->MarkIt->click();
    EXPECT_EQ(marked(), "");
}

TEST_F(ListFixture, PanelOfANewYorkRecordAndTheMeritCaption) {
    makeDataSet("NY");
    addEmployer("123 456 7", "01", "EMPIRE DINER", "KINGS",
                {{"INTERSTATE", true}, {"REVISED", false}, {"NAME2", "   SECOND"}});
    addMod("123 456 7", "01", "2003-02-01", "2003-03-01", "2004-03-01", 1.12);
    openList();
    EXPECT_EQ(list->ADDRESS->toPlainText(), "EMPIRE DINER\n   SECOND\n1 MAIN ST\nYORK, NY  17401");
    EXPECT_EQ(flags(*list), QStringList({"Interstate"}));
    EXPECT_TRUE(list->FULLADDR->isEnabled());
    grid::DataGrid* m = list->TDBGrid2;
    EXPECT_TRUE(m->isColumnHidden(1));
    EXPECT_EQ(headers(m).at(2), "Anniversary");
    EXPECT_EQ(m->columnSpec(1).format, "STANDARD");
    EXPECT_EQ(cell(m, 0, 3), "1.120");

    for (const char* st : {"PM", "DM", "DE"}) {
        makeDataSet(st);
        openList();
        EXPECT_EQ(headers(list->TDBGrid2).at(3), QString(st) == "DE" ? "MOD" : "Merit Class") << st;
    }
}

TEST_F(ListFixture, AssignedRiskOnBothKindsOfTabInNewJersey) {
    makeDataSet("NJ");
    addEmployer("200000001", "01", "GARDEN STATE CO", "ESSEX", {{"NJAR", 9905}});
    addEmployer("200000002", "01", "HUDSON LLC", "ESSEX", {{"NJAR", 0}});
    openList();
    addSearchOfAll("SEARCH1.VKD", "Essex");
    EXPECT_EQ(flags(*list), QStringList({"Assigned Risk"}));
    list->TDBGrid1->setCurrentRow(1);
    EXPECT_EQ(flags(*list), QStringList());
    list->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(flags(*list), QStringList({"Assigned Risk"}));
    list->TDBGrid4->setCurrentRow(1);
    EXPECT_EQ(flags(*list), QStringList());
}

TEST_F(ListFixture, AnEmptyTableShowsNoRecordAndDisablesTheButtons) {
    makeDataSet("PA");
    openList();
    list->ShowAllRecordsRow();
    EXPECT_EQ(list->VIEWCOUNT->text(), "0");
    EXPECT_EQ(enabledButtons(*list), QStringList());
    EXPECT_TRUE(list->TDBGrid2->isHidden());
    list->SFOR->setText("A");
    EXPECT_EQ(list->TDBGrid1->currentRow(), -1);
}

TEST_F(ListFixture, MissingDatabaseIsReported) {
    files::setProgramFolder(folder());
    dataset::setCurrent({"DE", dataset::current().connect});
    EXPECT_THROW(VKLIST(), dao::DaoError);
}

TEST_F(ListFixture, QuotesInKeysReachTheirOwnModsOnly) {
    makeDataSet("PA");
    addEmployer("9'9\"9", "01", "QUOTED CO", "ADAMS");
    addEmployer("9", "01", "PLAIN CO", "ADAMS");
    addMod("9'9\"9", "01", "2003-02-01", "2003-03-01", "2004-03-01", 1.25);
    addMod("9", "01", "2003-02-01", "2003-03-01", "2004-03-01", 0.75);
    openList(); // PLAIN CO, QUOTED CO
    list->TDBGrid1->setCurrentRow(1);
    EXPECT_EQ(column(list->TDBGrid2, 3), QStringList({"1.250"}));
}

TEST_F(ListFixture, CountyOrderAndAnEmptiedBoxStartOnTheRecordsWithoutACounty) {
    makeDataSet("PA");
    addEmployer("1", "01", "ACME", "ADAMS");
    addEmployer("2", "01", "BAKER", "", {{"COUNTYNAME", QVariant()}, {"CountySort", QVariant()}});
    addEmployer("3", "01", "CARR", "BERKS");
    openList();
    auto currentName = [&] { return list->ADDRESS->toPlainText().section('\n', 0, 0); };
    list->SORT_SELECT(3);
    EXPECT_EQ(list->TDBGrid1->currentRow(), 0);
    EXPECT_EQ(currentName(), "BAKER");
    list->SFOR->setText("B");
    EXPECT_EQ(currentName(), "CARR");
    list->SFOR->clear();
    EXPECT_EQ(list->TDBGrid1->currentRow(), 0);
    EXPECT_EQ(currentName(), "BAKER");
}

TEST_F(ListFixture, TypingBeforeAnOrderIsChosenDoesNothing) {
    makeDataSet("PA");
    addEmployer("1", "01", "ONE", "ADAMS");
    VKLIST list;
    list.SFOR->setText("O");
    list.SORT_SELECT(1);
    EXPECT_EQ(list.CurrentIndex, "");
    list.SORT_SELECT(0);
    EXPECT_EQ(list.TDBGrid1->currentRow(), 0);
}

} // namespace
