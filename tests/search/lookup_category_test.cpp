// Choosing fields in the lookup editor: defaults, data-set limits, category grids and their picks.
#include "lookup_fixture.h"

#include "platform/grid/data_grid.h"
#include "platform/ui/msgbox.h"
#include "search/field_rules.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace lookuptest;
using namespace search;

namespace {

const QString kTitle = "Enter Selection Parameters";

QStringList column(VKLOOKUP& d, int col) {
    QStringList out;
    for (int r = 0; r < d.categoryRowCount(); ++r)
        out << d.categoryValue(r, col);
    return out;
}

// Makes row current and picks it.
void pick(VKLOOKUP& d, int row) {
    d.TDBGrid5->setCurrentRow(row);
    d.TDBGrid5_DblClick();
}

} // namespace

TEST_F(LookupEditorTest, ChoosingAFieldFillsItsDefaults) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kExpire);
        EXPECT_EQ(d.FROM->text(), "0101");
        EXPECT_EQ(d.THRU->text(), "1231");
        EXPECT_EQ(d.FROM->selectedText(), "0101");
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.List1_Click(kMod);
        EXPECT_EQ(d.FROM->selectedText(), "0.000");
        d.List1_Click(kIssueYear);
        EXPECT_EQ(d.FROM->text(), QString::number(QDate::currentDate().year()));
        d.List1_Click(kName);
        EXPECT_EQ(d.FROM->text(), "");
        EXPECT_EQ(d.THRU->text(), "");
        // Moving through the list by keyboard chooses fields too.
        d.List1->setCurrentRow(kCounty);
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_EQ(d.selectedField(), int(kCounty));
        d.List1->setCurrentRow(kExpire);
        EXPECT_EQ(d.FROM->text(), "0101");
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, CountyGridSortedByNameWithSearchFor) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kCounty);
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_FALSE(d.SFOR->isHidden());
        EXPECT_FALSE(d.Label4->isHidden());
        EXPECT_EQ(d.Label4->text(), "Search for");
        EXPECT_EQ(d.searchColumn(), "COUNTY");
        EXPECT_EQ(column(d, 1), QStringList({"ADAMS", "ALLEGHENY", "BEDFORD", "BUCKS", "O'HARA"}));
        auto* m = d.TDBGrid5->model();
        EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Code");
        EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Name");

        // "Search for" finds in memory; an apostrophe is just a character.
        d.SFOR->setText("bu");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 3);
        d.SFOR->setText("O'");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 4);
        d.SFOR->setText("' OR 1=1 --");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 0);

        // A header click makes the code the key column.
        d.TDBGrid5_HeadClick(0);
        EXPECT_EQ(d.searchColumn(), "CODE");
        EXPECT_EQ(column(d, 0), QStringList({"001", "002", "005", "009", "010"}));
        d.SFOR->setText("006");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 3);

        // Picks: FROM, then THRU, then nowhere.
        pick(d, 0);
        pick(d, 2);
        pick(d, 4);
        EXPECT_EQ(d.FROM->text(), "001");
        EXPECT_EQ(d.THRU->text(), "005");
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last().SQLEXPR, "COUNTY");
        EXPECT_EQ(d.lookups().last().SQLFROM, "001");
        EXPECT_EQ(d.lookups().last().SQLTHRU, "005");
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, SicPickFillsTheHundredRange) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kSic);
        EXPECT_EQ(d.searchColumn(), "DESC");
        ASSERT_EQ(column(d, 1),
                  QStringList({"AGRICULTURE", "BUILDING CONSTRUCTION", "ELECTRICAL WORK", "PLUMBING"}));
        pick(d, 1);
        EXPECT_EQ(d.FROM->text(), "1500");
        EXPECT_EQ(d.THRU->text(), "1599");
        d.THRU->clear();
        pick(d, 2);
        EXPECT_EQ(d.THRU->text(), "1731");
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last().SQLFIELD, "SIC Code");
        EXPECT_EQ(d.lookups().last().SQLTHRU, "1731");
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, ClassAndBandGrids) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kClass);
        EXPECT_EQ(column(d, 0), QStringList({"8810", "5183"})); // by description: CLERICAL, PLUMBING
        d.List1_Click(kEmployees);
        EXPECT_TRUE(d.SFOR->isHidden());
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_EQ(d.searchColumn(), "CODE");
        QStringList codes = column(d, 0);
        ASSERT_GE(codes.size(), 5);
        QStringList sorted = codes;
        sorted.sort();
        EXPECT_EQ(codes, sorted);
        pick(d, 2);
        pick(d, 4);
        EXPECT_EQ(d.FROM->text(), d.categoryValue(2, 0));
        EXPECT_EQ(d.THRU->text(), d.categoryValue(4, 0));
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last().SQLEXPR, "EMPLOYEES");
        d.List1_Click(kSales);
        EXPECT_EQ(d.searchColumn(), "CODE");
        EXPECT_GT(d.categoryRowCount(), 0);
        // A field without a category table hides the grid.
        d.List1_Click(kArea);
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, MeritOutsidePmAndDm) {
    boxes.expect("This field can only be used with PM & DM Databases.", ui::vbOK, kTitle)
        .expect("This field can only be used with PM & DM Databases.", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kCounty);
        pick(d, 0);
        d.List1_Click(kMerit);
        // The field stays selected; boxes and grid keep what they showed.
        EXPECT_EQ(d.selectedField(), int(kMerit));
        EXPECT_EQ(d.FROM->text(), "001");
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_EQ(d.categoryValue(0, 1), "ADAMS");
        // Accept refuses it rather than save a merit lookup this data set cannot run.
        EXPECT_FALSE(d.ADD_Click());
        EXPECT_TRUE(d.lookups().isEmpty());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, NjArOnlyOutsideNj) {
    boxes.expect("This field can only be used with New Jersey.", ui::vbOK, kTitle)
        .expect("This field can only be used with New Jersey.", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kName);
        d.FROM->setText("SMITH");
        d.List1_Click(kNjArOnly);
        EXPECT_EQ(d.FROM->text(), "SMITH");
        EXPECT_EQ(d.selectedField(), int(kNjArOnly));
        d.FROM->setText("0795");
        d.THRU->setText("1299");
        EXPECT_FALSE(d.ADD_Click());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, NjArOnlyInNj) {
    useState("NJ");
    boxes.expect("Date must be in the form MMYY!", ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kNjArOnly);
        d.FROM->setText("795");
        d.THRU->setText("1299");
        EXPECT_FALSE(d.ADD_Click());
        d.FROM->setText("0795");
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last().SQLEXPR, "NJARONLY");
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, MeritInPm) {
    useState("PM");
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kMerit);
        EXPECT_TRUE(d.THRU->isHidden());
        EXPECT_FALSE(d.THRU->isEnabled());
        EXPECT_TRUE(d.TDBGrid5->isColumnHidden(0));
        EXPECT_TRUE(d.SFOR->isHidden());
        // Listed as stored.
        EXPECT_EQ(column(d, 1), QStringList({"Neutral", "Credit", "Debit", "N/Q"}));
        pick(d, 1);
        EXPECT_EQ(d.FROM->text(), "Credit");
        EXPECT_EQ(d.THRU->text(), "Credit");
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last().SQLEXPR, "MERIT");
        EXPECT_EQ(d.lookups().last().SQLTHRU, "Credit");
        // Another field shows THRU and the code column again.
        d.List1_Click(kCounty);
        EXPECT_FALSE(d.THRU->isHidden());
        EXPECT_TRUE(d.THRU->isEnabled());
        EXPECT_FALSE(d.TDBGrid5->isColumnHidden(0));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, NewYorkReadsAnniversary) {
    useState("NY");
    boxes.expect("This field cannot be used more than once in a search.", ui::vbOK, kTitle);
    writeBytes(workspaceFile("SEARCH1.VKD"), line("Old", "Expiration Date", "0101", "0331", "EXPIRE"));
    list.CurSQLFile = "SEARCH1.VKD";
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.List1->item(0)->text(), "Anniversary");
        EXPECT_EQ(d.List3->item(0)->text(), "EXPIRE");
        EXPECT_TRUE(d.List3->isHidden());
        // The expiry lookup saved outside NY is the same field.
        d.List1_Click(kExpire);
        EXPECT_FALSE(d.ADD_Click());
        d.CANCEL_Click();
    });
    useState("PA");
    list.CurSQLFile.clear();
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.List1->item(0)->text(), "Expiration Date");
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, AnniversaryCaptionIsSaved) {
    useState("NY");
    showEditor([&](VKLOOKUP& d) {
        d.SEARCHDESC->setText("Renewals");
        d.List1_Click(kExpire);
        ASSERT_TRUE(d.ADD_Click());
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH1.VKD")),
              line("Renewals", "Anniversary", "0101", "1231", "EXPIRE"));
}
