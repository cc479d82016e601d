// Ordered results put in order by the database layer itself: the rows come in exactly the order the
// engine gives for the same ORDER BY (ties by rowid, or by the rest of an index the order follows).
#include "dao_fixture.h"
#include "platform/dao/statement.h"

#include <gtest/gtest.h>

namespace {

class ResultOrder : public daotest::DaoTest {
protected:
    void SetUp() override {
        DaoTest::SetUp();
        db->createTable("ORD", {{"ID", "LONG"}, {"T", "TEXT", 20}, {"N", "DOUBLE"}, {"D", "DATE"}});
        // Case and trailing blanks, Null and empty text, whole and fractional numbers, text in a
        // number column, a blob, dates across years, and equal values far apart.
        const char* const rows[] = {
            "'b', 2, '2004-03-01'",     "'B', 2.5, '2003-03-01'",   "'a ', NULL, '2005-01-15'",
            "'a', -1, NULL",            "NULL, 0, '2004-12-31'",    "'', 1e10, '2004-03-01'",
            "'_x', 'abc', '2001-06-30'", "'Zed', x'00ff', '2004-01-01'", "'zed', -0.5, '2004-03-01'",
            "'b', 2, '2002-02-29'",     "'a\tb', 9007199254740993, '2004-03-02'", "'A', NULL, '2006-03-01'",
        };
        int id = 1;
        for (int round = 0; round < 3; ++round)
            for (const char* r : rows)
                db->execute(QStringLiteral("INSERT INTO ORD (ID, T, N, D) VALUES (%1, %2)").arg(id++).arg(r));
    }
    // IDs in the order the layer gives.
    QList<int> layer(const QString& orderBy) {
        QList<int> ids;
        auto rs = db->OpenRecordset("SELECT * FROM ORD ORDER BY " + orderBy);
        for (; !rs->atEOF(); rs->MoveNext())
            ids << rs->value("ID").toInt();
        return ids;
    }
    // IDs in the order the engine gives, read as the SQL stands.
    QList<int> engine(const QString& orderBy) {
        QList<int> ids;
        dao::Statement st(*db, "SELECT ID FROM ORD ORDER BY " + orderBy);
        while (st.step())
            ids << st.column(0).toInt();
        return ids;
    }
};

TEST_F(ResultOrder, EveryKindOfTermOrdersAsTheEngineDoes) {
    const char* const orders[] = {
        "T",          "T DESC",        "T COLLATE BINARY",      "T COLLATE RTRIM DESC", "N",
        "N DESC",     "D, T DESC",     "MONTH(D), DAY(D), T",   "T NULLS LAST",         "N DESC NULLS FIRST",
        "[T], ORD.N", "length(T) DESC", "upper(T), N",
    };
    for (const char* order : orders) {
        const QString o = QString::fromLatin1(order);
        EXPECT_EQ(layer(o), engine(o + ", rowid")) << order;
    }
}

TEST_F(ResultOrder, AnIndexTheOrderFollowsBreaksItsTies) {
    db->createIndex("ORD", "KEYTN", {"T", "N"});
    // Ties of T go by N, the index's next column; the terms before T are sorted by value.
    EXPECT_EQ(layer("T"), engine("T, N, rowid"));
    EXPECT_EQ(layer("T DESC"), engine("T DESC, N DESC, rowid DESC"));
    EXPECT_EQ(layer("MONTH(D), T"), engine("MONTH(D), T, N, rowid"));
    EXPECT_EQ(layer("T COLLATE BINARY"), engine("T COLLATE BINARY, rowid")) << "not the index's collation";
    EXPECT_EQ(layer("T, D"), engine("T, D, rowid")) << "not the index's second column";

    // An index in a collation of its own orders its rows unlike its column.
    db->execute("CREATE INDEX ORD_KEYB ON ORD (T COLLATE BINARY)");
    EXPECT_EQ(layer("abs(ID * 0), T COLLATE BINARY"), engine("T COLLATE BINARY, rowid"));
    EXPECT_EQ(layer("abs(ID * 0), T COLLATE BINARY DESC"), engine("T COLLATE BINARY DESC, rowid"));
    db->execute("DROP INDEX ORD_KEYB");

    // Changed rows are placed by their new values.
    db->execute("UPDATE ORD SET T = 'aa' WHERE ID = 1");
    db->execute("DELETE FROM ORD WHERE ID = 2");
    db->execute("INSERT INTO ORD (ID, T, N) VALUES (99, 'B', 1)");
    EXPECT_EQ(layer("T"), engine("T, N, rowid"));
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    other->execute("UPDATE ORD SET T = 'zz' WHERE ID = 3");
    other.reset();
    EXPECT_EQ(layer("T"), engine("T, N, rowid")) << "a change by another connection";
}

TEST_F(ResultOrder, ConditionsAndQueriesTheLayerCannotOrderItself) {
    const char* const queries[] = {
        "SELECT * FROM ORD WHERE N > 0 ORDER BY T",
        "SELECT ID, T FROM ORD WHERE T IN (SELECT T FROM ORD WHERE ID < 5) ORDER BY T DESC",
        "SELECT * FROM ORD WHERE ID NOT IN (SELECT ID FROM ORD WHERE N IS NULL) ORDER BY D",
        "SELECT ID, T AS N FROM ORD ORDER BY N",   // a result column's own name
        "SELECT * FROM ORD ORDER BY 2, 1",         // by column number
        "SELECT * FROM ORD ORDER BY T LIMIT 7",    // a limit of its own
        "SELECT * FROM ORD ORDER BY T || 'x', ID", // an expression of another kind
    };
    for (const char* q : queries) {
        QList<int> ids, expected;
        auto rs = db->OpenRecordset(QString::fromLatin1(q));
        for (; !rs->atEOF(); rs->MoveNext())
            ids << rs->value("ID").toInt();
        const QString sql = QString::fromLatin1(q);
        dao::Statement st(*db, sql.contains("LIMIT") || sql.contains("BY 2") || sql.contains("AS N")
                                   ? sql
                                   : sql + ", rowid");
        while (st.step())
            expected << st.column(0).toInt();
        EXPECT_EQ(ids, expected) << q;
    }
}

} // namespace
