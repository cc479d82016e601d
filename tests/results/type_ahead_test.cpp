// The type-ahead of "Search for": the finders on recordsets (a seek on tab 0's order, a walk through
// a search's result), and on the list form a search tab where text is typed in lower case.
#include "dao/dao_fixture.h"
#include "list_fixture.h"
#include "results/type_ahead.h"

#include <gtest/gtest.h>

namespace {

using results::findInResults;
using results::seekAllRecords;

class Finders : public daotest::DaoTest {
protected:
    void SetUp() override {
        DaoTest::SetUp();
        makePrime();
        const char* names[] = {"ACME", "baker", "MAPLE FARM", "MAPLE GROVE", "SMITH"};
        for (int i = 0; i < 5; ++i)
            addPrime(QString::number(i), "01", names[i], QDate(2004, i + 1, 15), 0.9 + i * 0.1);
    }
    // The result sorted by field, standing on row start.
    std::unique_ptr<dao::Recordset> result(const QString& field, int start) {
        auto rs = db->OpenRecordset("SELECT * FROM PRIME ORDER BY " + field);
        rs->setAbsolutePosition(start);
        return rs;
    }
};

TEST_F(Finders, ResultWalksFromTheCurrentRowTowardsTheText) {
    const struct {
        const char* field;
        int start;
        QString text;
        const char* lands; // NAME1 of the row landed on
    } cases[] = {
        {"NAME1", 2, "b", "baker"},             // behind, in lower case
        {"NAME1", 0, "maple g", "MAPLE GROVE"}, // ahead
        {"NAME1", 3, "maple farm", "MAPLE FARM"},
        {"NAME1", 1, "zz", "SMITH"},               // past every row: the last
        {"NAME1", 4, "a", "ACME"},                 // before every row: the first
        {"NAME1", 3, "", "ACME"},                  // nothing typed: the first
        {"NAME1", 3, " x", "ACME"},                // sorts before "!": the first
        {"NAME1", 2, "MA\"X", "MAPLE FARM"},       // a double quote cannot be searched for
        {"EXPIRE", 0, "2004-03-01", "MAPLE FARM"}, // dates as dates
        {"MOD", 4, "1.05", "MAPLE FARM"},          // numbers as numbers
    };
    for (const auto& c : cases) {
        auto rs = result(c.field, c.start);
        EXPECT_TRUE(findInResults(*rs, c.field, c.text));
        EXPECT_EQ(rs->text("NAME1"), c.lands) << c.field << " " << c.text.toStdString();
    }
    auto rs = result("NAME1", 2);
    EXPECT_FALSE(findInResults(*rs, QString(), "s")) << "no sort field: nothing to search";
    EXPECT_EQ(rs->text("NAME1"), "MAPLE FARM");
}

TEST_F(Finders, AllRecordsSeekOnTheOrdersIndex) {
    auto table = db->OpenTable("PRIME");
    EXPECT_THROW(seekAllRecords(*table, QString(), "M"), dao::DaoError) << "no order chosen yet";
    results::SeekResult r = seekAllRecords(*table, "KEY2", "ma");
    EXPECT_TRUE(r.reordered);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(table->text("NAME1"), "MAPLE FARM");
    r = seekAllRecords(*table, "KEY2", "SMZ");
    EXPECT_FALSE(r.reordered);
    EXPECT_FALSE(r.found);
}

class SearchTabTypeAhead : public listtest::ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        makeDataSet("PA");
        addEmployer("100000001", "01", "ACME TOOL CO", "YORK");
        addEmployer("100000002", "01", "baker & sons", "BERKS");
        addEmployer("100000003", "01", "MAPLE FARM", "ADAMS");
        addEmployer("100000004", "01", "MAPLE GROVE", "ADAMS");
        addEmployer("100000005", "01", "SMITH BROS", "ADAMS");
        openList();
        addSearchOfAll("SEARCH1.VKD", "Everyone");
        list->SSTab1->setCurrentIndex(1);
    }
    QString currentName() { return listtest::cell(list->TDBGrid4, list->TDBGrid4->currentRow(), 2); }
};

TEST_F(SearchTabTypeAhead, LowerCaseTextInResultsSearchesTowardsIt) {
    list->TDBGrid4->setCurrentRow(2); // MAPLE FARM
    list->SFOR->setText("b");         // behind the current row, whatever its case
    EXPECT_EQ(currentName(), "baker & sons");
    list->SFOR->setText("maple g");
    EXPECT_EQ(currentName(), "MAPLE GROVE");
    list->SFOR->setText("maple farm"); // backward onto a name equal but for case: kept, not passed
    EXPECT_EQ(currentName(), "MAPLE FARM");
    list->SFOR->setText("s");
    EXPECT_EQ(currentName(), "SMITH BROS");
}

} // namespace
