// The search SQL string for string, the keys each search selects on a seeded database, the result
// orders, and the checks made on a search read from its file.
#include "search/search_sort.h"
#include "search/sql_builder.h"

#include "search_test_support.h"

#include <QTemporaryDir>

using namespace search;
using searchtest::exc;
using searchtest::inc;

namespace {

struct SqlCase {
    const char* name;
    SqlParameters lookups;
    QString sql;
    QStringList keys; // in FILE order
    QString state = QStringLiteral("PA");
};

// clang-format off
std::vector<SqlCase> sqlCases() {
    const QStringList all{"000101", "000201", "000301", "000401", "000502", "079501", "080001"};
    return {
        {"example: counties, excluded class, expiry",
         {inc("COUNTY", "001", "005"), inc("COUNTY", "010", "010"), exc("CLASS", "8810", "8810"), inc("EXPIRE", "0101", "0331")},
         "SELECT * FROM PRIME WHERE FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND '8810') "
         "AND (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0331 AND (COUNTY BETWEEN '001' AND '005' OR "
         "COUNTY BETWEEN '010' AND '010')",
         {"000201", "080001"}},
        {"expiry over the year end", {inc("EXPIRE", "1101", "0228")},
         "SELECT * FROM PRIME WHERE ((MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1101 AND 1231 OR "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0228)",
         {"000101", "000301", "000401", "000502", "080001"}},
        {"excluded expiry over the year end", {exc("EXPIRE", "1101", "0228")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 1101 AND 1231 AND "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 0101 AND 0228",
         {"000201", "079501"}},
        {"excluded expiry", {exc("EXPIRE", "0101", "0331")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) NOT BETWEEN 0101 AND 0331",
         {"000301", "000502", "079501"}},
        {"expiry of one day", {inc("EXPIRE", "1231", "1231")},
         "SELECT * FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1231 AND 1231", {"000502"}},
        {"zip group and an excluded zip", {inc("ZIP", "19000", "19099"), exc("ZIP", "19100", "19199"), inc("ZIP", "19300", "19399")},
         "SELECT * FROM PRIME WHERE ZIP NOT BETWEEN '19100' AND '19199' AND (ZIP BETWEEN '19000' AND '19099' OR "
         "ZIP BETWEEN '19300' AND '19399')",
         {"000101", "000201", "000401", "079501", "080001"}},
        {"included classes only", {inc("CLASS", "8810", "8810"), inc("CLASS", "5183", "5183")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND '8810' OR "
         "CLASS BETWEEN '5183' AND '5183')",
         {"000101", "000301", "000401", "000502"}},
        {"included and excluded classes", {exc("CLASS", "5183", "5183"), inc("CLASS", "8810", "8810")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND '8810') AND "
         "FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '5183' AND '5183')",
         {"000401", "000502"}},
        {"every OR-group, in the fixed order",
         {inc("User3", "A", "B"), inc("SIC", "1500", "1799"), inc("User1", "A", "M"), inc("AREA", "215", "215"),
          inc("ZIP", "19000", "19999"), inc("COUNTY", "001", "010"), inc("User2", "A", "Z"), inc("User1", "X", "Z"),
          inc("MOD", "0.000", "9.999")},
         "SELECT * FROM PRIME WHERE [MOD] BETWEEN 0.000 AND 9.999 AND (COUNTY BETWEEN '001' AND '010') AND "
         "(ZIP BETWEEN '19000' AND '19999') AND (AREA BETWEEN '215' AND '215') AND (SIC BETWEEN '1500' AND '1799') AND "
         "(USER1 BETWEEN 'A' AND 'M' OR USER1 BETWEEN 'X' AND 'Z') AND (USER2 BETWEEN 'A' AND 'Z') AND "
         "(USER3 BETWEEN 'A' AND 'B')",
         {"000101"}},
        {"excluded OR-group fields go to the AND-list",
         {exc("COUNTY", "001", "004"), exc("SIC", "0100", "0199"), exc("AREA", "700", "799"), exc("User2", "A", "Z"),
          exc("User3", "A", "A")},
         "SELECT * FROM PRIME WHERE COUNTY NOT BETWEEN '001' AND '004' AND SIC NOT BETWEEN '0100' AND '0199' AND "
         "AREA NOT BETWEEN '700' AND '799' AND USER2 NOT BETWEEN 'A' AND 'Z' AND USER3 NOT BETWEEN 'A' AND 'A'",
         {"000301"}},
        {"merit credit", {inc("MERIT", "Credit", "")}, "SELECT * FROM PRIME WHERE [MOD] = 9.885", {"000301"}},
        {"merit neutral", {inc("MERIT", "Neutral", "Neutral")}, "SELECT * FROM PRIME WHERE [MOD] = 9.884", {"080001"}},
        {"excluded merit debit", {exc("MERIT", "Debit", "")}, "SELECT * FROM PRIME WHERE [MOD] NOT = 9.886",
         {"000101", "000201", "000301", "000502", "079501", "080001"}},
        {"unknown merit", {inc("MERIT", "credit", "")}, "SELECT * FROM PRIME WHERE [MOD] = 0", {}},
        {"NJ A/R", {inc("NJARONLY", "0795", "1299")}, "SELECT * FROM PRIME WHERE NJAR BETWEEN 9507 AND 9912",
         {"000101", "000201", "000301"}, "NJ"},
        {"excluded NJ A/R", {exc("NJARONLY", "0196", "1296")}, "SELECT * FROM PRIME WHERE NJAR NOT BETWEEN 9601 AND 9612",
         {"000101", "000201", "000401", "000502", "079501", "080001"}, "NJ"},
        {"new records only: no condition", {inc("NEWREC", "", "")}, "SELECT * FROM PRIME", all},
        {"AND-list fields in the order given",
         {inc("NAME1", "A", "DZ"), exc("EMPLOYEES", "5", "7"), inc("SALES", "1", "4"), inc("FILENUM", "0001", "0795"),
          inc("ISSUE1", "2018", "2020"), exc("MOD", "0.90", "1.00")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'A' AND 'DZ' AND EMPLOYEES NOT BETWEEN '5' AND '7' AND "
         "SALES BETWEEN '1' AND '4' AND FILE BETWEEN '0001' AND '0795' AND ISSUE1 BETWEEN '2018' AND '2020' AND "
         "[MOD] NOT BETWEEN 0.90 AND 1.00",
         {"000502"}},
        {"excluded name, file, issue year and sales",
         {exc("NAME1", "A", "B"), exc("FILENUM", "0003", "0005"), exc("ISSUE1", "2022", "2022"), exc("SALES", "3", "3")},
         "SELECT * FROM PRIME WHERE NAME1 NOT BETWEEN 'A' AND 'B' AND FILE NOT BETWEEN '0003' AND '0005' AND "
         "ISSUE1 NOT BETWEEN '2022' AND '2022' AND SALES NOT BETWEEN '3' AND '3'",
         {"000201"}},
        {"mixed: classes, counties, expiry and exclusions",
         {inc("CLASS", "8810", "8810"), inc("COUNTY", "001", "003"), exc("SIC", "5800", "5899"),
          inc("EXPIRE", "0101", "0630"), inc("CLASS", "9079", "9079"), exc("AREA", "700", "799"), exc("User1", "M", "Z")},
         "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND '8810' OR "
         "CLASS BETWEEN '9079' AND '9079') AND SIC NOT BETWEEN '5800' AND '5899' AND "
         "(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0630 AND AREA NOT BETWEEN '700' AND '799' AND "
         "USER1 NOT BETWEEN 'M' AND 'Z' AND (COUNTY BETWEEN '001' AND '003')",
         {"000101"}},
        {"apostrophes doubled inside quoted values", {inc("NAME1", "O'BRIEN", "O'BRIEN PLUMBING")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'O''BRIEN' AND 'O''BRIEN PLUMBING'", {"000301"}},
        {"text compared without regard to case", {inc("NAME1", "DELTA", "DELTA Z"), inc("User2", "b", "b")},
         "SELECT * FROM PRIME WHERE NAME1 BETWEEN 'DELTA' AND 'DELTA Z' AND (USER2 BETWEEN 'b' AND 'b')", {"000502"}},
        {"bounds in descending order", {inc("MOD", "1.2", "0.9"), inc("COUNTY", "005", "001")},
         "SELECT * FROM PRIME WHERE [MOD] BETWEEN 1.2 AND 0.9 AND (COUNTY BETWEEN '005' AND '001')",
         {"000101", "000201", "079501"}},
    };
}
// clang-format on

class SearchDbTest : public ::testing::Test {
protected:
    void SetUp() override { db = searchtest::createSeededDatabase(dir.filePath("VELKPA.MDB")); }
    QStringList keys(const QString& sql) {
        QStringList values;
        for (auto rs = db->OpenRecordset(sql); !rs->atEOF(); rs->MoveNext())
            values << rs->text("FILESEQ");
        return values;
    }
    QTemporaryDir dir;
    std::unique_ptr<dao::Database> db;
};

} // namespace

TEST_F(SearchDbTest, GoldenStringsSelectTheirKeys) {
    for (const SqlCase& c : sqlCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(buildSearchSQL(c.lookups).toStdString(), c.sql.toStdString());
        EXPECT_EQ(verifyLookups(c.lookups, c.state), "");
        EXPECT_EQ(keys(sortedSearchSQL(c.sql, kColFile)), c.keys);
    }
}

TEST_F(SearchDbTest, SortClausesAndTheOrderTheyGive) {
    const struct {
        int col;
        QString sql;
        QStringList keys;
    } rows[] = {
        {kColFile,
         "SELECT * FROM PRIME ORDER BY FILE",
         {"000101", "000201", "000301", "000401", "000502", "079501", "080001"}},
        // By name without regard to case: "delta services" after "CENTRAL DINER".
        {kColName,
         "SELECT * FROM PRIME ORDER BY NAME1",
         {"000101", "000201", "000401", "000502", "079501", "080001", "000301"}},
        // By month and day of the expiry, whatever the year, then by name.
        {kColExpires,
         "SELECT * FROM PRIME ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1",
         {"080001", "000101", "000401", "000201", "079501", "000301", "000502"}},
        // "Seq" and anything else leave the record source alone.
        {kColSeq, "", {}},
        {4, "", {}},
    };
    for (const auto& r : rows) {
        const QString sql = sortedSearchSQL("SELECT * FROM PRIME", r.col);
        EXPECT_EQ(sql, r.sql) << r.col;
        EXPECT_EQ(sql.isEmpty() ? QStringList() : keys(sql), r.keys) << r.col;
    }
    EXPECT_EQ(expiresCaption("NY"), "Anniversary");
    EXPECT_EQ(expiresCaption("PA"), "Expires");
}

TEST(SqlBuilder, WhereClauseAlone) {
    EXPECT_EQ(buildWhereClause({}), "");
    EXPECT_EQ(buildWhereClause({inc("NEWREC", "", ""), inc("UNKNOWN", "1", "2")}), "");
    // Codes are compared with their case: "USER1" is not the user field's code.
    EXPECT_EQ(buildWhereClause({inc("USER1", "A", "B")}), "");
    // Values are inserted as they stand: no trimming.
    EXPECT_EQ(buildWhereClause({inc("ZIP", " 190", "19099 ")}), "(ZIP BETWEEN ' 190' AND '19099 ')");
}

TEST(SqlBuilder, UnquotedValuesAreCheckedAgainWhenRead) {
    const QString nj = "This lookup contains a field that can only be used with the state of NJ!";
    const struct {
        SqlParameters lookups;
        const char* state;
        QString message; // "" when the search may run; otherwise the exact text, or a part of it
        bool exact;
    } rows[] = {
        {{inc("ZIP", "1", "2"), inc("EXPIRE", "0101", "13x1", "Expiration Date")},
         "PA",
         "This lookup contains an invalid value for the field Expiration Date: \"0101\" thru \"13x1\"!",
         true},
        {{inc("MOD", "0 OR 1=1", "2", "Experience Mod.")}, "PA", "Experience Mod.", false},
        {{inc("MOD", "1", "")}, "PA", "MOD", false},
        {{inc("EXPIRE", "101", "0331")}, "PA", "EXPIRE", false},
        {{inc("NJARONLY", "07/95", "1299")}, "NJ", "NJARONLY", false},
        {{inc("NJARONLY", "0795", "12")}, "NJ", "NJARONLY", false}, // no caption: named by its code
        {{inc("COUNTY", "001", "001"), inc("NJARONLY", "0795", "1299")}, "PA", nj, true},
        {{inc("NJARONLY", "0795", "1299")}, "NJ", "", true},
        // Only length and digits are checked: 1301 passes, as in the editor.
        {{inc("EXPIRE", "1301", "0000")}, "PA", "", true},
        {{inc("MOD", ".9", "1."), exc("MOD", " 0.5 ", "-1")}, "PA", "", true},
        // Quoted values are not restricted.
        {{inc("NAME1", "O'BRIEN", "'; DROP TABLE PRIME; --")}, "PA", "", true},
    };
    for (const auto& r : rows) {
        const QString got = verifyLookups(r.lookups, r.state);
        if (r.exact)
            EXPECT_EQ(got, r.message);
        else
            EXPECT_TRUE(got.contains(r.message)) << got.toStdString();
    }
}

TEST(SqlBuilder, DecimalNumbers) {
    for (const char* good : {"0", "12", "1.5", ".5", "5.", "-1.25", " 1 "})
        EXPECT_TRUE(isDecimalNumber(good)) << good;
    for (const char* bad : {"", ".", "1e5", "1,5", "1.2.3", "&H10", "1 2", "1)"})
        EXPECT_FALSE(isDecimalNumber(bad)) << bad;
}
