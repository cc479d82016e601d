// Dynaset and snapshot recordsets over SQL.
#include "dao_fixture.h"
#include "platform/dao/query_recordset.h"
#include "platform/dao/query_terms.h"

#include <QSet>

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

// A result sorted in a temporary B-tree (no index gives its order) and larger than the rows read
// at once: it opens on its first rows and reads the rest when they are needed.
class SortedResultTest : public DaoTest {
protected:
    static constexpr int kRows = 1500;
    void SetUp() override {
        DaoTest::SetUp();
        db->createTable("EMP",
                        {{"ID", "LONG"}, {"NAME", "TEXT", 20}, {"CITY", "TEXT", 20}, {"PAID", "DATE"}});
        db->createIndex("EMP", "PRIMARY", {"ID"}, true);
        db->BeginTrans();
        // Names come in pairs written far apart, so ties fall on both sides of the first rows read.
        for (int i = 0; i < kRows; ++i)
            db->executeBound("INSERT INTO EMP (ID, NAME, CITY, PAID) VALUES (?, ?, ?, ?)",
                             {i, QStringLiteral("n%1").arg(i % (kRows / 2), 4, 10, QLatin1Char('0')),
                              i % 3 ? QStringLiteral("York") : QStringLiteral("Erie"),
                              QDate(2020, 1 + i % 12, 1 + i % 28)});
        db->CommitTrans();
    }
    // IDs in the order "ORDER BY NAME" gives, ties in the order the rows were written.
    static QList<int> byName(int rows) {
        QList<int> ids;
        for (int k = 0; k < rows / 2; ++k)
            ids << k << k + rows / 2;
        return ids;
    }
    static QList<int> walk(dao::Recordset& rs) {
        QList<int> ids;
        for (rs.MoveFirst(); !rs.atEOF(); rs.MoveNext())
            ids << int(rs.value("ID").toLongLong());
        return ids;
    }
};

TEST_F(SortedResultTest, EveryRowOnceInOrderWithTheCountExactAfterMoveLast) {
    auto rs = db->OpenRecordset("SELECT * FROM EMP ORDER BY NAME");
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->value("ID").toInt(), 0);
    rs->MoveNext();
    EXPECT_EQ(rs->value("ID").toInt(), kRows / 2);
    EXPECT_EQ(rs->RecordCount(), 2);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), kRows);
    EXPECT_EQ(rs->value("ID").toInt(), kRows - 1);
    EXPECT_EQ(rs->AbsolutePosition(), kRows - 1);
    rs->MovePrevious();
    EXPECT_EQ(rs->value("ID").toInt(), kRows / 2 - 1);
    EXPECT_EQ(rs->text("NAME"), "n0749");
    EXPECT_EQ(rs->value("PAID").toDate(), QDate(2020, 1 + 749 % 12, 1 + 749 % 28));
    rs->MoveFirst();
    EXPECT_EQ(rs->RecordCount(), kRows);
    EXPECT_EQ(walk(*rs), byName(kRows));
    EXPECT_EQ(rs->RecordCount(), kRows);

    // Moving about before the count: past the first rows, beyond the end, back by bookmark.
    auto again =
        db->OpenRecordset("SELECT ID, NAME FROM EMP ORDER BY NAME DESC", dao::RecordsetType::Snapshot);
    again->setAbsolutePosition(1000);
    EXPECT_EQ(again->RecordCount(), 1001);
    EXPECT_EQ(again->value("ID").toInt(), 249); // names n0749 down to n0249 before it, two each
    const dao::Bookmark mark = again->bookmark();
    again->setAbsolutePosition(kRows + 10);
    EXPECT_TRUE(again->atEOF());
    EXPECT_EQ(again->RecordCount(), kRows);
    again->setBookmark(mark);
    EXPECT_EQ(again->AbsolutePosition(), 1000);
}

TEST_F(SortedResultTest, CountedRowsAreReachedWithoutReadingThemAndReadWhenLookedAt) {
    auto rs = db->OpenRecordset("SELECT ID, NAME FROM EMP WHERE CITY = 'York' ORDER BY NAME");
    // Opened on its first rows, it holds no read lock: another user's change commits at once.
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    other->execute("UPDATE EMP SET PAID = NULL WHERE ID = 1");
    other.reset();
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 1000);
    const dao::Bookmark last = rs->bookmark();
    rs->setAbsolutePosition(5000); // past the end: every row reached, none current
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 1000);
    rs->setBookmark(last);
    EXPECT_EQ(rs->value("ID").toInt(), 1499); // n0749, written second
    rs->MoveNext();
    EXPECT_TRUE(rs->atEOF());
    rs->MovePrevious();
    EXPECT_EQ(rs->value("ID").toInt(), 1499);
}

TEST_F(SortedResultTest, RowsDeletedOrChangedSinceTheOpenAreNeitherLostNorShownTwice) {
    auto rs = db->OpenRecordset("SELECT ID, NAME FROM EMP ORDER BY NAME");
    rs->setAbsolutePosition(3);
    const int deletedHere = rs->value("ID").toInt();
    rs->Delete(); // a row of the first ones read, through the recordset
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), kRows);
    // Another user moves a row from the end to the front and deletes the one before the last.
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    other->execute("UPDATE EMP SET NAME = 'a' WHERE ID = 1499");
    other->execute("DELETE FROM EMP WHERE ID = 749");
    other.reset();

    QList<int> seen;
    int deletedSeen = 0;
    for (rs->MoveFirst(); !rs->atEOF(); rs->MoveNext()) {
        try {
            seen << rs->value("ID").toInt();
        } catch (const DaoError&) {
            ++deletedSeen;
        }
    }
    EXPECT_EQ(seen.size() + deletedSeen, kRows);
    EXPECT_EQ(deletedSeen, 2);
    EXPECT_FALSE(seen.contains(deletedHere));
    EXPECT_FALSE(seen.contains(749));
    EXPECT_EQ(seen.count(1499), 1);
    EXPECT_EQ(QSet<int>(seen.begin(), seen.end()).size(), seen.size());
}

TEST_F(SortedResultTest, TheCountMatchesTheRowsForEveryKindOfCondition) {
    const char* const conditions[] = {
        "",
        "WHERE CITY = 'Erie'",
        "WHERE ID > 100",
        "WHERE ID IN (SELECT ID FROM EMP WHERE CITY = 'York') AND ID < 1400",
        "WHERE NAME LIKE 'n02%' OR NAME BETWEEN 'n0600' AND 'n0700'",
        "WHERE (MONTH(PAID)*100+DAY(PAID)) BETWEEN 0101 AND 0331",
        "WHERE CITY NOT BETWEEN 'A' AND 'F'",
        "WHERE ID BETWEEN 10 AND 300 OR ID BETWEEN 200 AND 900 OR ID = 1200",
    };
    for (const char* c : conditions) {
        SCOPED_TRACE(c);
        const QString where = QString::fromLatin1(c);
        const int expected = db->scalar("SELECT count(*) FROM EMP " + where).toInt();
        auto rs = db->OpenRecordset("SELECT * FROM EMP " + where + " ORDER BY CITY, NAME DESC");
        rs->MoveLast();
        EXPECT_EQ(rs->RecordCount(), expected);
        auto plain = db->OpenRecordset("SELECT ID FROM EMP " + where + " ORDER BY CITY, NAME DESC, ID",
                                       dao::RecordsetType::Snapshot);
        EXPECT_EQ(walk(*rs), walk(*plain));
    }
}

TEST_F(SortedResultTest, QueriesTheFirstRowsCannotBeTakenFromAreReadWhole) {
    // A LIMIT of its own, a closing semicolon and comment, an order an index gives.
    auto limited = db->OpenRecordset("SELECT * FROM EMP ORDER BY NAME LIMIT 700");
    limited->MoveLast();
    EXPECT_EQ(limited->RecordCount(), 700);
    EXPECT_EQ(walk(*limited), byName(kRows).mid(0, 700));
    auto closed = db->OpenRecordset("SELECT * FROM EMP ORDER BY NAME; -- by name");
    closed->MoveLast();
    EXPECT_EQ(closed->RecordCount(), kRows);
    EXPECT_EQ(walk(*closed), byName(kRows));
    auto indexed = db->OpenRecordset("SELECT * FROM EMP ORDER BY ID DESC");
    indexed->MoveLast();
    EXPECT_EQ(indexed->RecordCount(), kRows);
    EXPECT_EQ(indexed->value("ID").toInt(), 0);
}

TEST_F(SortedResultTest, ARowSortedOnSeveralKeysIsWrittenThroughTheDynaset) {
    auto rs = db->OpenRecordset("SELECT * FROM EMP ORDER BY MONTH(PAID), DAY(PAID), NAME");
    rs->setAbsolutePosition(1200);
    const int id = rs->value("ID").toInt();
    rs->Edit();
    rs->setValue("CITY", "Kane");
    rs->Update();
    EXPECT_EQ(db->scalar("SELECT CITY FROM EMP WHERE ID = ?", {id}).toString(), "Kane");
    EXPECT_EQ(rs->text("CITY"), "Kane");
}

// Another connection empties PRIME and fills it again in another order, as another copy of the
// program loading a release does: the current row is read again by its key, whatever rowid it has
// now, and written there; a snapshot keeps what it read.
TEST_F(QueryRecordsetTest, CurrentRowIsReadAgainByItsKeyAfterAnotherConnectionReloads) {
    const struct {
        const char* source;
        RecordsetType type;
        bool follows;
    } cases[] = {
        {"SELECT * FROM PRIME ORDER BY FILE", RecordsetType::Dynaset, true},
        {"PRIME", RecordsetType::Table, true},
        {"SELECT * FROM PRIME ORDER BY FILE", RecordsetType::Snapshot, false},
    };
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    auto name = [&](const char* file) {
        return db->scalar("SELECT NAME1 FROM PRIME WHERE FILE = ?", {QString::fromLatin1(file)}).toString();
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        auto rs = db->OpenRecordset(c.source, c.type);
        rs->setAbsolutePosition(1);
        ASSERT_EQ(rs->text("FILE"), "2");
        other->executeBound("CREATE TEMP TABLE was AS SELECT * FROM PRIME", {});
        other->executeBound("DELETE FROM PRIME", {});
        other->executeBound("INSERT INTO PRIME SELECT * FROM was ORDER BY FILE DESC", {});
        other->executeBound("DROP TABLE was", {});
        other->executeBound("UPDATE PRIME SET NAME1 = 'Renamed' WHERE FILE = '2'", {});

        EXPECT_EQ(rs->refreshCurrentRow(), c.follows);
        EXPECT_EQ(rs->text("FILE"), "2");
        EXPECT_EQ(rs->text("NAME1"), c.follows ? "Renamed" : "Name 2");
        if (c.follows) {
            rs->Edit();
            rs->setValue("NAME1", "Edited");
            rs->Update();
            EXPECT_EQ(name("2"), "Edited");
            EXPECT_EQ(name("4"), "Name 4") << "the row now at its old place";
            // Its key gone, the row reads as deleted.
            other->executeBound("DELETE FROM PRIME WHERE FILE = '2'", {});
            EXPECT_TRUE(rs->refreshCurrentRow());
            EXPECT_THROW(rs->value("NAME1"), DaoError);
        }
        rs.reset();
        other->executeBound("DELETE FROM PRIME", {});
        for (int i = 1; i <= 5; ++i)
            addPrime(QString::number(i), "01", QStringLiteral("Name %1").arg(i));
    }
}

// Another connection deletes an employer and writes a new one, which takes its rowid, changes a
// key, and loads the rest again in another order: each place of an ordered result read afterwards
// shows the employer it had when the result was read, or reads as deleted when that key is gone.
TEST_F(QueryRecordsetTest, PlacesKeepTheKeysTheirRowsHadWhenTheResultWasRead) {
    auto rs = db->OpenRecordset("SELECT * FROM PRIME ORDER BY NAME1");
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    other->execute("DELETE FROM PRIME WHERE FILE = '5'");
    other->execute("INSERT INTO PRIME (FILE, SEQUENCE, NAME1) VALUES ('9', '01', 'NOT IN THE SEARCH')");
    other->execute("UPDATE PRIME SET FILE = '7' WHERE FILE = '3'");
    other->executeBound("CREATE TEMP TABLE was AS SELECT * FROM PRIME WHERE FILE IN ('1', '2')", {});
    other->executeBound("DELETE FROM PRIME WHERE FILE IN ('1', '2')", {});
    other->executeBound("INSERT INTO PRIME SELECT * FROM was ORDER BY FILE DESC", {});
    ASSERT_EQ(other->scalar("SELECT rowid FROM PRIME WHERE FILE = '9'").toInt(), 5);

    QStringList shown;
    for (rs->MoveFirst(); !rs->atEOF(); rs->MoveNext())
        shown << (rs->rowDeleted() ? QStringLiteral("deleted") : rs->text("FILE"));
    EXPECT_EQ(shown, QStringList({"1", "2", "deleted", "4", "deleted"}));
    rs->setAbsolutePosition(4);
    EXPECT_THROW(rs->value("NAME1"), DaoError);
    EXPECT_FALSE(rs->refreshCurrentRow()) << "still gone";
}

// A query in its parts tests its membership against a set of the sub-query's values, kept for
// the next query only while no connection changed anything.
TEST_F(QueryRecordsetTest, AMembershipSetIsReadAgainAfterAChange) {
    db->createTable("CLASS", {{"FILE", "TEXT", 9}, {"CLASS", "TEXT", 4}});
    db->execute("INSERT INTO CLASS (FILE, CLASS) VALUES ('1', '8810'), ('3', '8810'), ('2', '5183')");
    const QString sub = "SELECT FILE FROM CLASS WHERE CLASS = '8810'";
    const dao::QueryTerms terms{"SELECT * FROM PRIME WHERE FILE IN (" + sub + ") ORDER BY FILE",
                                "PRIME",
                                {},
                                {{"FILE", false, {sub}}},
                                {"FILE"}};
    auto files = [&] {
        QStringList found;
        auto rs = db->OpenRecordset(terms);
        for (; !rs->atEOF(); rs->MoveNext())
            found << rs->text("FILE");
        return found.join(u' ');
    };
    EXPECT_EQ(files(), "1 3");
    dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret")
        ->execute("INSERT INTO CLASS (FILE, CLASS) VALUES ('4', '8810')");
    EXPECT_EQ(files(), "1 3 4");
    db->execute("DELETE FROM CLASS WHERE FILE = '1'");
    EXPECT_EQ(files(), "3 4");
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

TEST(QuerySource, FindsTheClosingOrderBy) {
    const QString sql = "SELECT * FROM PRIME WHERE A IN (SELECT A FROM B ORDER BY A) ORDER BY X, Y DESC";
    const dao::QuerySource src = dao::analyseQuerySource(sql);
    EXPECT_EQ(src.table, "PRIME");
    EXPECT_EQ(sql.mid(src.orderByAt), "ORDER BY X, Y DESC");
    EXPECT_EQ(src.endAt, sql.size());
    const QString closed = "SELECT * FROM PRIME ORDER BY X ; -- note";
    EXPECT_EQ(closed.left(dao::analyseQuerySource(closed).endAt), "SELECT * FROM PRIME ORDER BY X");
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME WHERE A = 1").orderByAt, -1);
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME ORDER BY X LIMIT 5").orderByAt, -1);
    EXPECT_EQ(dao::analyseQuerySource("SELECT * FROM PRIME ORDER BY X LIMIT 5 OFFSET 2").orderByAt, -1);
    EXPECT_TRUE(dao::analyseQuerySource("SELECT * FROM A, B ORDER BY X, Y").table.isEmpty());
}

} // namespace
