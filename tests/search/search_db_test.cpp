// The search SQL run on the database layer: the keys each search selects and the result orders.
#include "search/search_sort.h"
#include "search/sql_builder.h"

#include "search_seed.h"
#include "search_sql_cases.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace search;

namespace {

QStringList column(dao::Database& db, const QString& sql, const QString& field) {
    QStringList values;
    auto rs = db.OpenRecordset(sql);
    for (; !rs->atEOF(); rs->MoveNext())
        values << rs->text(field);
    return values;
}

class SearchDbTest : public ::testing::Test {
protected:
    void SetUp() override { db = searchtest::createSeededDatabase(dir.filePath("VELKPA.MDB")); }
    QTemporaryDir dir;
    std::unique_ptr<dao::Database> db;
};

} // namespace

TEST_F(SearchDbTest, EachSearchSelectsItsKeys) {
    for (const searchtest::SqlCase& c : searchtest::sqlCases()) {
        SCOPED_TRACE(c.name);
        const QString sql = sortedSearchSQL(buildSearchSQL(c.lookups), kColFile);
        EXPECT_EQ(column(*db, sql, "FILESEQ"), c.keys);
    }
}

TEST_F(SearchDbTest, ResultOrders) {
    const QString sql = buildSearchSQL({searchtest::inc("NEWREC", "", "")});
    // By name, without regard to case.
    EXPECT_EQ(column(*db, sortedSearchSQL(sql, kColName), "FILESEQ"),
              QStringList({"000101", "000201", "000401", "000502", "079501", "080001", "000301"}));
    // By month and day of the expiry, whatever the year, then by name.
    EXPECT_EQ(column(*db, sortedSearchSQL(sql, kColExpires), "FILESEQ"),
              QStringList({"080001", "000101", "000401", "000201", "079501", "000301", "000502"}));
    EXPECT_EQ(column(*db, sortedSearchSQL(sql, kColFile), "FILESEQ"),
              QStringList({"000101", "000201", "000301", "000401", "000502", "079501", "080001"}));
}

TEST_F(SearchDbTest, EmptyResultCountsZero) {
    const QString sql = sortedSearchSQL(buildSearchSQL({searchtest::inc("ZIP", "99990", "99999")}), kColName);
    auto rs = db->OpenRecordset(sql);
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 0);
}
