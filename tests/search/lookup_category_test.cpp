// Choosing fields in the lookup editor: defaults, data-set limits, category grids and their picks.
#include "lookup_fixture.h"

#include <QLabel>

using namespace lookuptest;
using namespace search;

TEST_F(LookupEditorTest, ChoosingAFieldFillsItsDefaults) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kExpire);
        EXPECT_EQ(d.FROM->text(), "0101");
        EXPECT_EQ(d.THRU->text(), "1231");
        EXPECT_EQ(d.FROM->selectedText(), "0101");
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.List1_Click(kIssueYear);
        EXPECT_EQ(d.FROM->text(), QString::number(QDate::currentDate().year()));
        // Moving through the list by keyboard chooses fields too.
        d.List1->setCurrentRow(kCounty);
        EXPECT_EQ(d.FROM->text(), "");
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_EQ(d.selectedField(), int(kCounty));
        d.List1->setCurrentRow(kMod);
        EXPECT_EQ(d.FROM->selectedText(), "0.000");
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, CountyGridSortedByNameWithSearchFor) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kCounty);
        EXPECT_FALSE(d.SFOR->isHidden());
        EXPECT_EQ(d.Label4->text(), "Search for");
        EXPECT_EQ(d.searchColumn(), "COUNTY");
        EXPECT_EQ(categoryColumn(d, 1), QStringList({"ADAMS", "ALLEGHENY", "BEDFORD", "BUCKS", "O'HARA"}));
        auto* m = d.TDBGrid5->model();
        EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Code");
        EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Name");

        // "Search for" finds in memory; what is typed never becomes SQL.
        d.SFOR->setText("bu");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 3);
        d.SFOR->setText("O'");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 4);
        d.SFOR->setText("' OR 1=1 --");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 0);

        // A header click makes the code the key column.
        d.TDBGrid5_HeadClick(0);
        EXPECT_EQ(d.searchColumn(), "CODE");
        EXPECT_EQ(d.SFOR->text(), "") << "nothing typed for the new key column";
        EXPECT_EQ(categoryColumn(d, 0), QStringList({"001", "002", "005", "009", "010"}));
        d.SFOR->setText("006");
        EXPECT_EQ(d.TDBGrid5->currentRow(), 3);

        // Picks: FROM, then THRU, then nowhere.
        pick(d, 0);
        pick(d, 2);
        pick(d, 4);
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last(), searchtest::inc("COUNTY", "001", "005", "County"));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, ClassAndBandGrids) {
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kClass);
        EXPECT_EQ(categoryColumn(d, 0), QStringList({"8810", "5183"})); // by description: CLERICAL, PLUMBING
        d.List1_Click(kEmployees);
        EXPECT_TRUE(d.SFOR->isHidden());
        EXPECT_EQ(d.searchColumn(), "CODE");
        const QStringList codes = categoryColumn(d, 0);
        EXPECT_GE(codes.size(), 5);
        EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
        d.List1_Click(kSales);
        EXPECT_EQ(d.searchColumn(), "CODE");
        EXPECT_GT(d.categoryRowCount(), 0);
        // A field without a category table hides the grid.
        d.List1_Click(kArea);
        EXPECT_TRUE(d.TDBGrid5->isHidden());
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, MeritAndNjArOnlyOutsideTheirDataSets) {
    const QString pmDm = "This field can only be used with PM & DM Databases.";
    const QString nj = "This field can only be used with New Jersey.";
    boxes.expect(pmDm, ui::vbOK, kTitle).expect(pmDm, ui::vbOK, kTitle);
    boxes.expect(nj, ui::vbOK, kTitle).expect(nj, ui::vbOK, kTitle);
    showEditor([&](VKLOOKUP& d) {
        d.List1_Click(kCounty);
        pick(d, 0);
        d.List1_Click(kMerit);
        // The field stays selected; boxes and grid keep what they showed.
        EXPECT_EQ(d.selectedField(), int(kMerit));
        EXPECT_EQ(d.FROM->text(), "001");
        EXPECT_FALSE(d.TDBGrid5->isHidden());
        EXPECT_EQ(d.categoryValue(0, 1), "ADAMS");
        // Accept refuses it rather than save a lookup this data set cannot run.
        EXPECT_FALSE(d.ADD_Click());
        d.List1_Click(kNjArOnly);
        EXPECT_EQ(d.selectedField(), int(kNjArOnly));
        d.FROM->setText("0795");
        d.THRU->setText("1299");
        EXPECT_FALSE(d.ADD_Click());
        EXPECT_TRUE(d.lookups().isEmpty());
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
        EXPECT_EQ(categoryColumn(d, 1), QStringList({"Neutral", "Credit", "Debit", "N/Q"})); // as stored
        pick(d, 1);
        EXPECT_EQ(d.THRU->text(), "Credit");
        ASSERT_TRUE(d.ADD_Click());
        EXPECT_EQ(d.lookups().last(), searchtest::inc("MERIT", "Credit", "Credit", "Merit Class"));
        // Another field shows THRU and the code column again.
        d.List1_Click(kCounty);
        EXPECT_FALSE(d.THRU->isHidden());
        EXPECT_TRUE(d.THRU->isEnabled());
        EXPECT_FALSE(d.TDBGrid5->isColumnHidden(0));
        d.CANCEL_Click();
    });
}

TEST_F(LookupEditorTest, NewYorkReadsAnniversaryAndFindsTheExpiryOfOtherDataSets) {
    useState("NY");
    boxes.expect("This field cannot be used more than once in a search.", ui::vbOK, kTitle);
    writeBytes(workspaceFile("SEARCH1.VKD"), line("Old", "Expiration Date", "0101", "0331", "EXPIRE"));
    list.CurSQLFile = "SEARCH1.VKD";
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.List1->item(0)->text(), "Anniversary");
        EXPECT_EQ(d.List3->item(0)->text(), "EXPIRE");
        EXPECT_TRUE(d.List3->isHidden());
        d.List1_Click(kExpire);
        EXPECT_FALSE(d.ADD_Click());
        d.TDBGrid3->setCurrentRow(0);
        d.DELETE_Click();
        d.SEARCHDESC->setText("Renewals");
        ASSERT_TRUE(enter(d, kExpire, "0101", "1231"));
        d.OK_Click();
    });
    EXPECT_EQ(readBytes(workspaceFile("SEARCH1.VKD")),
              line("Renewals", "Anniversary", "0101", "1231", "EXPIRE"));
    useState("PA");
    list.CurSQLFile.clear();
    showEditor([&](VKLOOKUP& d) {
        EXPECT_EQ(d.List1->item(0)->text(), "Expiration Date");
        d.CANCEL_Click();
    });
}
