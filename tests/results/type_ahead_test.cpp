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
        // Equal names and anniversaries in other years, a second location of a file, no expiry.
        addPrime("2", "02", "MAPLE FARM", QDate(2001, 3, 15), 1.1);
        addPrime("5", "01", "ACME", QDate(2003, 12, 31), 0.8);
        addPrime("6", "01", "Quince", QVariant(), 1.0);
    }
    // The result in an order, standing on row start.
    std::unique_ptr<dao::Recordset> result(const QString& orderBy, int start) {
        auto rs = db->OpenRecordset("SELECT * FROM PRIME ORDER BY " + orderBy);
        rs->setAbsolutePosition(start);
        return rs;
    }
};

TEST_F(Finders, ResultFindsTheFirstRowNotBeforeTheTextInItsOrder) {
    const QString byName = "NAME1", byFile = "FILE", byExpiry = "MONTH(EXPIRE), DAY(EXPIRE), NAME1";
    using results::ResultOrder;
    const struct {
        QString orderBy;
        const char* field;
        ResultOrder order;
        int start;
        QString text;
        const char* lands; // FILE and SEQUENCE of the row landed on
    } cases[] = {
        // By name: ACME 0, ACME 5, baker, MAPLE FARM 2/01, MAPLE FARM 2/02, MAPLE GROVE, Quince, SMITH.
        {byName, "NAME1", ResultOrder::ByValue, 3, "b", "101"},         // behind, in lower case
        {byName, "NAME1", ResultOrder::ByValue, 0, "maple g", "301"},   // ahead
        {byName, "NAME1", ResultOrder::ByValue, 4, "maple farm", "201"}, // equal names: the first, from behind
        {byName, "NAME1", ResultOrder::ByValue, 0, "MAPLE FARM", "201"}, // and from ahead
        {byName, "NAME1", ResultOrder::ByValue, 1, "zz", "401"},         // past every row: the last
        {byName, "NAME1", ResultOrder::ByValue, 7, "a", "001"},          // before every row: the first
        {byName, "NAME1", ResultOrder::ByValue, 3, "", "001"},           // nothing typed: the first
        {byName, "NAME1", ResultOrder::ByValue, 3, " x", "001"},         // sorts before "!": the first
        {byName, "NAME1", ResultOrder::ByValue, 2, "MA\"X", "101"},     // a double quote: the row stays
        // By file: 0, 1, 2/01, 2/02, 3, 4, 5, 6.
        {byFile, "FILE", ResultOrder::ByValue, 6, "2", "201"},
        {byFile, "FILE", ResultOrder::ByValue, 0, "45", "501"},
        {byFile, "FILE", ResultOrder::ByValue, 0, "7", "601"},
        // By anniversary: Quince (none), ACME 0 01/15, baker 02/15, MAPLE FARM 2/01 and 2/02 03/15,
        // MAPLE GROVE 04/15, SMITH 05/15, ACME 5 12/31.
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 7, "03", "201"},    // 2004 and 2001 alike
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 0, "03/15/01", "201"}, // the year is not the order
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 0, "3/16", "301"},  // as the grid shows it: 03/16
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 2, "12/3", "501"},
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 2, "12/31/99", "501"},
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 2, "13", "501"},    // past every row: the last
        {byExpiry, "EXPIRE", ResultOrder::ByAnniversary, 5, "0", "001"},     // before every date, after none
        // By date as a date, and by a number.
        {"EXPIRE", "EXPIRE", ResultOrder::ByValue, 0, "2004-03-01", "201"},
        {"EXPIRE", "EXPIRE", ResultOrder::ByValue, 0, "not a date", "601"}, // cannot compare: the row stays
        {"MOD", "MOD", ResultOrder::ByValue, 7, "1.05", "201"},
    };
    for (const auto& c : cases) {
        auto rs = result(c.orderBy, c.start);
        EXPECT_TRUE(findInResults(*rs, c.field, c.text, c.order));
        EXPECT_EQ(rs->text("FILE") + rs->text("SEQUENCE"), c.lands) << c.orderBy.toStdString() << " " << c.text.toStdString();
    }
    auto rs = result(byName, 2);
    EXPECT_FALSE(findInResults(*rs, QString(), "s")) << "no sort field: nothing to search";
    EXPECT_EQ(rs->text("NAME1"), "baker");
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

TEST_F(SearchTabTypeAhead, ByExpiresTheTextIsTheAnniversaryTheGridShows) {
    for (const auto& [file, expire] : {std::pair{"100000001", "2004-11-30"}, {"100000002", "2001-02-01"},
                                       {"100000003", "2005-06-15"}, {"100000004", "2003-02-01"}})
        db->executeBound("UPDATE PRIME SET EXPIRE = ? WHERE FILE = ?", {expire, file});
    list->SSTab1->setCurrentIndex(0);
    list->SSTab1->setCurrentIndex(1);
    list->TDBGrid4_HeadClick(3); // SMITH (no expiry), baker 02/01, MAPLE GROVE 02/01, MAPLE FARM, ACME
    const char* const steps[][2] = {{"06", "MAPLE FARM"}, {"02/01/03", "baker & sons"}, {"1", "ACME TOOL CO"},
                                    {"12", "ACME TOOL CO"}, // past every anniversary: the last row
                                    {"3/1", "MAPLE FARM"}};
    for (const auto& [typed, name] : steps) {
        list->SFOR->setText(typed);
        EXPECT_EQ(currentName(), name) << typed;
    }
}

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
