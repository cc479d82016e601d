// The search SQL, string for string, and the checks made on a search read from its file.
#include "search/sql_builder.h"

#include "search_sql_cases.h"

#include <gtest/gtest.h>

using namespace search;
using searchtest::exc;
using searchtest::inc;

TEST(SqlBuilder, GoldenStrings) {
    for (const searchtest::SqlCase& c : searchtest::sqlCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(buildSearchSQL(c.lookups).toStdString(), c.sql.toStdString());
        EXPECT_EQ(verifyLookups(c.lookups, c.state), "");
    }
}

TEST(SqlBuilder, WhereClauseAlone) {
    EXPECT_EQ(buildWhereClause({}), "");
    EXPECT_EQ(buildWhereClause({inc("NEWREC", "", ""), inc("UNKNOWN", "1", "2")}), "");
    EXPECT_EQ(buildWhereClause({exc("CLASS", "8810", "8810")}),
              "FILESEQ NOT IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND '8810')");
    // Codes are compared with their case: "USER1" is not the user field's code.
    EXPECT_EQ(buildWhereClause({inc("USER1", "A", "B")}), "");
    // Values are inserted as they stand: no trimming.
    EXPECT_EQ(buildWhereClause({inc("ZIP", " 190", "19099 ")}), "(ZIP BETWEEN ' 190' AND '19099 ')");
}

TEST(SqlBuilder, UnquotedValuesAreCheckedAgainWhenRead) {
    SQLPARAMETER expiry = inc("EXPIRE", "0101", "13x1");
    expiry.SQLFIELD = "Expiration Date";
    EXPECT_EQ(verifyLookups({inc("ZIP", "1", "2"), expiry}, "PA"),
              "This lookup contains an invalid value for the field Expiration Date: \"0101\" thru \"13x1\"!");
    SQLPARAMETER mod = inc("MOD", "0 OR 1=1", "2");
    mod.SQLFIELD = "Experience Mod.";
    EXPECT_TRUE(verifyLookups({mod}, "PA").contains("Experience Mod."));
    EXPECT_NE(verifyLookups({inc("MOD", "1", "")}, "PA"), "");
    EXPECT_NE(verifyLookups({inc("EXPIRE", "101", "0331")}, "PA"), "");
    EXPECT_NE(verifyLookups({inc("NJARONLY", "07/95", "1299")}, "NJ"), "");
    // A field without a caption is named by its code.
    EXPECT_TRUE(verifyLookups({inc("NJARONLY", "0795", "12")}, "NJ").contains("NJARONLY"));
    // Only length and digits are checked: 1301 passes, as in the editor.
    EXPECT_EQ(verifyLookups({inc("EXPIRE", "1301", "0000")}, "PA"), "");
    EXPECT_EQ(verifyLookups({inc("MOD", ".9", "1."), exc("MOD", " 0.5 ", "-1")}, "PA"), "");
    // Quoted values are not restricted.
    EXPECT_EQ(verifyLookups({inc("NAME1", "O'BRIEN", "'; DROP TABLE PRIME; --")}, "PA"), "");
}

TEST(SqlBuilder, NjArOnlyOutsideNewJersey) {
    EXPECT_EQ(verifyLookups({inc("COUNTY", "001", "001"), inc("NJARONLY", "0795", "1299")}, "PA"),
              "This lookup contains a field that can only be used with the state of NJ!");
    EXPECT_EQ(verifyLookups({inc("NJARONLY", "0795", "1299")}, "NJ"), "");
}

TEST(SqlBuilder, ValueForms) {
    for (const char* good : {"0", "12", "1.5", ".5", "5.", "-1.25", " 1 "})
        EXPECT_TRUE(isDecimalNumber(good)) << good;
    for (const char* bad : {"", ".", "1e5", "1,5", "1.2.3", "&H10", "1 2", "1)"})
        EXPECT_FALSE(isDecimalNumber(bad)) << bad;
    EXPECT_TRUE(isFourDigits("0101"));
    for (const char* bad : {"101", "01011", "01.1", " 101", "-101"})
        EXPECT_FALSE(isFourDigits(bad)) << bad;
}
