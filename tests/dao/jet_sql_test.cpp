// The Jet-dialect translator on hand-written SQL: each rewrite, and texts it must leave alone.
#include "platform/dao/jet_sql.h"

#include <gtest/gtest.h>

using dao::translateJetSql;

namespace {

void expectSame(const char* sql) {
    EXPECT_EQ(translateJetSql(sql).toStdString(), std::string(sql));
}

TEST(JetSql, DeleteStarFrom) {
    EXPECT_EQ(translateJetSql("DELETE * FROM CLASSLIST"), "DELETE FROM CLASSLIST");
    EXPECT_EQ(translateJetSql("delete  *  from PRIME where FILE = '1'"),
              "delete from PRIME where FILE = '1'");
    EXPECT_EQ(translateJetSql("DELETE PRIME.* FROM PRIME"), "DELETE FROM PRIME");
    EXPECT_EQ(translateJetSql("DELETE [MODS].* FROM MODS WHERE 1"), "DELETE FROM MODS WHERE 1");
    expectSame("DELETE FROM CLASS");
    expectSame("SELECT * FROM PRIME");
    expectSame("SELECT 'DELETE * FROM X' FROM PRIME"); // inside a literal
}

TEST(JetSql, NotEquals) {
    EXPECT_EQ(translateJetSql("SELECT * FROM PRIME WHERE [MOD] NOT = 9.885"),
              "SELECT * FROM PRIME WHERE [MOD] <> 9.885");
    EXPECT_EQ(translateJetSql("a NOT=1 AND b not  = 'x'"), "a <>1 AND b <> 'x'");
    expectSame("WHERE NOT (A = 1)");
    expectSame("WHERE NAME1 = 'NOT = 1'");
    expectSame("WHERE A NOT BETWEEN 1 AND 2");
    expectSame("WHERE FILESEQ NOT IN (SELECT FILESEQ FROM CLASS)");
}

TEST(JetSql, DoubleQuotedTextBecomesSingleQuoted) {
    EXPECT_EQ(translateJetSql("SELECT * FROM MODS WHERE FILE = \"1234567\" AND SEQUENCE = \"01\""),
              "SELECT * FROM MODS WHERE FILE = '1234567' AND SEQUENCE = '01'");
    EXPECT_EQ(translateJetSql("NAME1  >= \"O'BRIEN\""), "NAME1  >= 'O''BRIEN'");
    EXPECT_EQ(translateJetSql("X = \"say \"\"hi\"\"\""), "X = 'say \"hi\"'");
    EXPECT_EQ(translateJetSql("X = \"\""), "X = ''");
    expectSame("X = 'a \"quoted\" word'");
    expectSame("X = 'it''s'");
}

TEST(JetSql, BetweenBoundsInDescendingOrderAreSwapped) {
    EXPECT_EQ(translateJetSql("[MOD] BETWEEN 1.5 AND 0.5"), "[MOD] BETWEEN 0.5 AND 1.5");
    EXPECT_EQ(translateJetSql("ZIP BETWEEN '19199' AND '19100' OR X"),
              "ZIP BETWEEN '19100' AND '19199' OR X");
    EXPECT_EQ(translateJetSql("ZIP NOT BETWEEN '19199' AND '19100'"), "ZIP NOT BETWEEN '19100' AND '19199'");
    EXPECT_EQ(translateJetSql("NJAR BETWEEN 9912 AND 9507 AND A = 1"),
              "NJAR BETWEEN 9507 AND 9912 AND A = 1");
    EXPECT_EQ(translateJetSql("X BETWEEN 5 AND -3"), "X BETWEEN -3 AND 5");
    EXPECT_EQ(translateJetSql("NAME1 BETWEEN \"Z\" AND \"A\""), "NAME1 BETWEEN 'A' AND 'Z'");
    EXPECT_EQ(translateJetSql("(X BETWEEN 'b' AND 'A')"),
              "(X BETWEEN 'A' AND 'b')"); // text compares without case
    expectSame("X BETWEEN 'a' AND 'B'");
    expectSame("(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0331");
    expectSame("(MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1101 AND 1231");
    expectSame("X BETWEEN 5 AND 1 + 9"); // the upper bound is an expression
    expectSame("X BETWEEN Y AND 1");
    expectSame("X BETWEEN '5' AND 3"); // mixed kinds: left alone
    expectSame("X BETWEEN 2 AND 2");
}

TEST(JetSql, LeavesEverythingElseAlone) {
    expectSame(
        "SELECT * FROM MODS WHERE FILE = '1' AND SEQUENCE = '01' ORDER BY EFFECTIVE DESC, EXPIRE DESC");
    expectSame("SELECT * FROM CLASSLIST ORDER BY CLASSLIST.DESC");
    expectSame("SELECT CLASS, DESC FROM CLASSLIST");
    expectSame("SELECT [DESC] FROM [CLASSLIST] WHERE [NAME 1] = 'x'");
    expectSame(
        "SELECT * FROM PRIME WHERE FILESEQ IN (SELECT FILESEQ FROM CLASS WHERE CLASS BETWEEN '8810' AND "
        "'8810' OR CLASS BETWEEN '5183' AND '5183') AND (COUNTY BETWEEN '001' AND '005')");
    expectSame("SELECT * FROM PRIME WHERE NAME1 LIKE 'A*'");
    expectSame("UPDATE PRIME SET Omit = ' ' WHERE [DELETE * FROM] = 1");
    expectSame("SELECT 'unterminated");
    expectSame("");
}

TEST(JetSql, TokensGiveTheTextBack) {
    const QString sql = "SELECT a.[b c], \"d\"\"e\", 'f''g', 1.5e3, x<>y -- note\n/* c */ FROM t";
    QString joined;
    for (const dao::SqlToken& t : dao::tokenizeSql(sql))
        joined += t.text;
    EXPECT_EQ(joined, sql);
    EXPECT_EQ(dao::unquoteLiteral("'it''s'"), "it's");
    EXPECT_EQ(dao::unquoteLiteral("\"a\"\"b\""), "a\"b");
}

} // namespace
