// Dynaset and snapshot recordsets over SQL.
#include "dao_fixture.h"
#include "platform/dao/query_recordset.h"

#include <gtest/gtest.h>

using dao::DaoError;
using dao::RecordsetType;
using daotest::DaoTest;

namespace {

class QueryRecordsetTest : public DaoTest {
protected:
    void SetUp() override {
        DaoTest::SetUp();
        makePrime();
        for (int i = 1; i <= 5; ++i)
            addPrime(QString::number(i), "01", QStringLiteral("Name %1").arg(i), QDate(2000, i, 10),
                     i / 10.0);
        db->createTable("CLASSLIST", {{"CLASS", "TEXT", 4}, {"DESC", "TEXT", 50}});
        db->execute(
            "INSERT INTO CLASSLIST (CLASS, DESC) VALUES ('8810', \"Clerical\"), ('5183', 'Plumbing')");
    }
};

TEST_F(QueryRecordsetTest, RecordCountIsRowsReachedUntilMoveLast) {
    auto rs = db->OpenRecordset("SELECT * FROM PRIME ORDER BY FILE");
    EXPECT_EQ(rs->type(), RecordsetType::Dynaset);
    EXPECT_EQ(rs->RecordCount(), 1); // Jet: only the first row has been reached
    rs->MoveNext();
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->text("FILE"), "5");
    rs->MoveFirst();
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->text("FILE"), "1");
}

TEST_F(QueryRecordsetTest, NavigationAndEnds) {
    auto rs = db->OpenRecordset("SELECT FILE FROM PRIME ORDER BY FILE DESC", RecordsetType::Snapshot);
    QStringList seen;
    for (; !rs->atEOF(); rs->MoveNext())
        seen << rs->text("FILE");
    EXPECT_EQ(seen, QStringList({"5", "4", "3", "2", "1"}));
    EXPECT_THROW(rs->MoveNext(), DaoError);
    rs->MovePrevious();
    EXPECT_EQ(rs->text("FILE"), "1");
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->atBOF());
    EXPECT_FALSE(rs->atEOF());
    rs->MoveNext();
    EXPECT_EQ(rs->text("FILE"), "5");
}

TEST_F(QueryRecordsetTest, EmptyResult) {
    auto rs = db->OpenRecordset("SELECT * FROM PRIME WHERE FILE = 'none'");
    EXPECT_TRUE(rs->atBOF());
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->AbsolutePosition(), -1);
    EXPECT_THROW(rs->value("FILE"), DaoError);
    EXPECT_THROW(rs->Edit(), DaoError);
    rs->MoveLast();
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->fieldCount(), 8); // the fields are known without rows
}

TEST_F(QueryRecordsetTest, AbsolutePositionAndBookmarks) {
    auto rs = db->OpenRecordset("SELECT * FROM PRIME ORDER BY FILE", RecordsetType::Snapshot);
    rs->setAbsolutePosition(3);
    EXPECT_EQ(rs->text("FILE"), "4");
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    const dao::Bookmark b = rs->bookmark();
    rs->MoveFirst();
    rs->setBookmark(b);
    EXPECT_EQ(rs->text("FILE"), "4");
    rs->setAbsolutePosition(9);
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_THROW(rs->setBookmark(17), DaoError);
}

TEST_F(QueryRecordsetTest, FieldsByNameWithoutCaseAndTyped) {
    auto rs = db->OpenRecordset("SELECT file, Name1 AS Company, EXPIRE, MOD, MONTH(EXPIRE) AS M FROM PRIME "
                                "WHERE FILE = \"3\"",
                                RecordsetType::Snapshot);
    EXPECT_EQ(rs->fieldNames().mid(1), QStringList({"Company", "EXPIRE", "MOD", "M"}));
    EXPECT_EQ(rs->fieldNames().first().toUpper(), "FILE");
    EXPECT_EQ(rs->fieldIndex("COMPANY"), 1);
    EXPECT_EQ(rs->fieldIndex("nope"), -1);
    EXPECT_EQ(rs->value("company").toString(), "Name 3");
    EXPECT_EQ((*rs)["Expire"], QVariant(QDate(2000, 3, 10)));
    EXPECT_DOUBLE_EQ(rs->value("mod").toDouble(), 0.3);
    EXPECT_EQ(rs->value("m").toInt(), 3);
    EXPECT_THROW(rs->value("nope"), DaoError);
}

TEST_F(QueryRecordsetTest, DescAsAColumnName) {
    auto rs = db->OpenRecordset("SELECT * FROM CLASSLIST ORDER BY CLASSLIST.DESC", RecordsetType::Snapshot);
    EXPECT_EQ(rs->text("DESC"), "Clerical");
    auto rs2 =
        db->OpenRecordset("SELECT CLASS, DESC FROM CLASSLIST ORDER BY DESC DESC", RecordsetType::Snapshot);
    EXPECT_EQ(rs2->text("DESC"), "Plumbing");
}

TEST_F(QueryRecordsetTest, SubQueriesAndQuotesPassThrough) {
    db->createTable("CLASS", {{"FILESEQ", "TEXT"}, {"CLASS", "TEXT"}});
    db->execute("INSERT INTO CLASS VALUES ('201', '8810'), ('401', '5183')");
    db->execute("UPDATE PRIME SET NAME1 = 'O''Brien' WHERE FILE = '4'");
    auto rs =
        db->OpenRecordset("SELECT * FROM PRIME WHERE FILE || SEQUENCE IN (SELECT FILESEQ FROM CLASS WHERE "
                          "CLASS BETWEEN \"9999\" AND \"5000\") AND NAME1 <> \"it's\" ORDER BY FILE");
    QStringList seen;
    for (; !rs->atEOF(); rs->MoveNext())
        seen << rs->text("NAME1");
    EXPECT_EQ(seen, QStringList({"Name 2", "O'Brien"}));
}

TEST_F(QueryRecordsetTest, DynasetEditsWriteThroughToTheTable) {
    auto rs = db->OpenRecordset("SELECT FILE, NAME1, MOD FROM PRIME WHERE FILE >= '2' ORDER BY FILE");
    rs->Edit();
    rs->setValue("NAME1", "Edited");
    rs->Update();
    EXPECT_EQ(rs->text("NAME1"), "Edited");
    EXPECT_EQ(db->scalar("SELECT NAME1 FROM PRIME WHERE FILE = '2'").toString(), "Edited");

    rs->MoveNext();
    rs->Delete();
    EXPECT_THROW(rs->value("FILE"), DaoError);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE FILE = '3'").toInt(), 0);
    rs->MoveNext();
    EXPECT_EQ(rs->text("FILE"), "4");

    rs->AddNew();
    rs->setValue("FILE", "9");
    rs->setValue("NAME1", "Added");
    rs->Update();
    EXPECT_EQ(rs->text("FILE"), "4");
    EXPECT_EQ(db->scalar("SELECT NAME1 FROM PRIME WHERE FILE = '9'").toString(), "Added");
}

TEST_F(QueryRecordsetTest, DynasetWithAliasAndTheExclusionToggle) {
    auto rs = db->OpenRecordset("SELECT P.* FROM PRIME AS P WHERE P.FILE = '1'");
    rs->Edit();
    rs->setValue("NOTES", "Y");
    rs->Update();
    EXPECT_EQ(db->scalar("SELECT NOTES FROM PRIME WHERE FILE = '1'").toString(), "Y");
}

TEST_F(QueryRecordsetTest, SnapshotsAndJoinedQueriesRefuseEdits) {
    auto snap = db->OpenRecordset("SELECT * FROM PRIME", RecordsetType::Snapshot);
    EXPECT_THROW(snap->Edit(), DaoError);
    EXPECT_THROW(snap->AddNew(), DaoError);
    EXPECT_THROW(snap->Delete(), DaoError);
    auto grouped = db->OpenRecordset("SELECT FILE, count(*) AS N FROM PRIME GROUP BY FILE");
    EXPECT_THROW(grouped->Edit(), DaoError);
    auto readOnly = db->OpenRecordset("SELECT * FROM PRIME", RecordsetType::Dynaset, dao::ReadOnly);
    EXPECT_THROW(readOnly->Edit(), DaoError);
    // A computed field of an updatable query cannot be written.
    auto computed = db->OpenRecordset("SELECT FILE, MOD * 2 AS M2 FROM PRIME");
    computed->Edit();
    computed->setValue("M2", 5);
    EXPECT_THROW(computed->Update(), DaoError);
}

TEST_F(QueryRecordsetTest, ForwardOnlySnapshotReadsOnce) {
    auto rs =
        db->OpenRecordset("SELECT FILE FROM PRIME ORDER BY FILE", RecordsetType::Snapshot, dao::ForwardOnly);
    QStringList seen;
    for (; !rs->atEOF(); rs->MoveNext())
        seen << rs->text("FILE");
    EXPECT_EQ(seen.size(), 5);
    EXPECT_THROW(rs->MovePrevious(), DaoError);
    EXPECT_THROW(rs->MoveFirst(), DaoError);
    EXPECT_EQ(rs->RecordCount(), 5);
}

TEST_F(QueryRecordsetTest, TableNameGivesTableUnlessATypeIsAsked) {
    EXPECT_EQ(db->OpenRecordset("PRIME")->type(), RecordsetType::Table);
    EXPECT_EQ(db->OpenRecordset("[PRIME]")->type(), RecordsetType::Table);
    auto dyn = db->OpenRecordset("PRIME", RecordsetType::Dynaset);
    EXPECT_EQ(dyn->type(), RecordsetType::Dynaset);
    EXPECT_EQ(dyn->fieldCount(), 8);
    EXPECT_THROW(db->OpenRecordset("NOSUCH"), DaoError);
    EXPECT_THROW(db->OpenRecordset("SELECT * FROM NOSUCH"), DaoError);
    EXPECT_THROW(db->OpenRecordset("DELETE FROM PRIME"), DaoError); // not a query that returns rows
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME").toInt(), 5);
}

TEST_F(QueryRecordsetTest, LargeResultsAreReadLazily) {
    db->BeginTrans();
    for (int i = 0; i < 3000; ++i)
        addPrime(QStringLiteral("x%1").arg(i, 5, 10, QLatin1Char('0')), "01", "N");
    db->CommitTrans();
    auto rs = db->OpenRecordset("SELECT FILE FROM PRIME WHERE FILE LIKE 'x%' ORDER BY FILE",
                                RecordsetType::Snapshot);
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->setAbsolutePosition(2000);
    EXPECT_EQ(rs->text("FILE"), "x02000");
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 3000);
    EXPECT_EQ(rs->text("FILE"), "x02999");
}

TEST_F(QueryRecordsetTest, RowsPassedLongAgoAreReadAgainByRowid) {
    db->BeginTrans();
    for (int i = 0; i < 6000; ++i)
        addPrime(QStringLiteral("y%1").arg(i, 5, 10, QLatin1Char('0')), "01", QStringLiteral("N%1").arg(i));
    db->CommitTrans();
    auto rs =
        db->OpenRecordset("SELECT P.FILE, NAME1 AS N FROM PRIME AS P WHERE FILE LIKE 'y%' ORDER BY FILE");
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 6000);
    db->execute("DELETE FROM PRIME WHERE FILE = 'y00001'");
    rs->setAbsolutePosition(0);
    EXPECT_EQ(rs->text("FILE"), "y00000");
    EXPECT_EQ(rs->text("N"), "N0");
    rs->Edit();
    rs->setValue("N", "Renamed");
    rs->Update();
    EXPECT_EQ(db->scalar("SELECT NAME1 FROM PRIME WHERE FILE = 'y00000'").toString(), "Renamed");
    rs->MoveNext();
    EXPECT_THROW(rs->value("FILE"), DaoError); // deleted since it was passed
    rs->MoveNext();
    EXPECT_EQ(rs->text("N"), "N2");
    rs->MoveLast();
    EXPECT_EQ(rs->text("FILE"), "y05999");
}

TEST_F(QueryRecordsetTest, RowsPassedOverOnTheWayToTheEndShowTheirValuesWhenVisited) {
    db->BeginTrans();
    for (int i = 0; i < 9000; ++i)
        addPrime(QStringLiteral("z%1").arg(i, 5, 10, QLatin1Char('0')), "01", QStringLiteral("N%1").arg(i),
                 QDate(2001, 1 + i % 12, 1 + i % 28), i / 1000.0);
    db->CommitTrans();
    auto rs = db->OpenRecordset("SELECT FILE, NAME1, EXPIRE, MOD * 2 AS M2 FROM PRIME WHERE FILE LIKE 'z%' "
                                "ORDER BY FILE DESC",
                                RecordsetType::Snapshot);
    rs->setAbsolutePosition(7000); // passes rows 1 to 6000 or so on the way
    EXPECT_EQ(rs->RecordCount(), 7001);
    EXPECT_EQ(rs->text("FILE"), "z01999");
    rs->MovePrevious();
    EXPECT_EQ(rs->text("FILE"), "z02000");
    rs->setAbsolutePosition(3000);
    EXPECT_EQ(rs->text("NAME1"), "N5999");
    EXPECT_EQ(rs->value("EXPIRE").toDate(), QDate(2001, 1 + 5999 % 12, 1 + 5999 % 28));
    EXPECT_DOUBLE_EQ(rs->value("M2").toDouble(), 2 * 5.999);
    EXPECT_EQ(rs->RecordCount(), 7001); // still the rows reached so far

    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 9000);
    EXPECT_EQ(rs->text("FILE"), "z00000");
    db->execute("DELETE FROM PRIME WHERE FILE = 'z00001'");
    rs->MovePrevious();
    EXPECT_THROW(rs->value("FILE"), DaoError); // deleted since it was passed
    rs->MovePrevious();
    EXPECT_EQ(rs->text("NAME1"), "N2");
    rs->MoveNext();
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 9000);

    // Past the end: every row reached, none current.
    auto again = db->OpenRecordset("SELECT FILE FROM PRIME WHERE FILE LIKE 'z%' ORDER BY FILE");
    again->setAbsolutePosition(20000);
    EXPECT_TRUE(again->atEOF());
    EXPECT_EQ(again->RecordCount(), 8999);
    again->MovePrevious();
    EXPECT_EQ(again->text("FILE"), "z08999");
    again->setAbsolutePosition(4500);
    again->Edit();
    again->setValue("FILE", "z04500x");
    again->Update();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE FILE = 'z04500x'").toInt(), 1);
}

TEST(QuerySource, FindsTheOneBaseTable) {
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME WHERE A = 1").table, "PRIME");
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME WHERE A = 1").insertAt, 6);
    EXPECT_EQ(dao::analyseQuerySource("select a from [MODS] m order by a").qualifier, "\"m\"");
    EXPECT_EQ(dao::analyseQuerySource("select a, (b) from [MODS] m order by a").selectList, " a, (b) ");
    EXPECT_EQ(dao::analyseQuerySource("select a from [MODS] m order by a").fromText, "from [MODS] m");
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME WHERE F IN (SELECT F FROM CLASS, X)").table,
              "PRIME");
    EXPECT_TRUE(dao::analyseQuerySource("SELECT * FROM A, B").table.isEmpty());
    EXPECT_TRUE(dao::analyseQuerySource("SELECT * FROM A JOIN B ON A.X = B.X").table.isEmpty());
    EXPECT_TRUE(dao::analyseQuerySource("SELECT DISTINCT A FROM T").table.isEmpty());
    EXPECT_TRUE(dao::analyseQuerySource("SELECT A FROM T UNION SELECT A FROM U").table.isEmpty());
    EXPECT_TRUE(dao::analyseQuerySource("SELECT 1").table.isEmpty());
}

} // namespace
