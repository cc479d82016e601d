// Table-type recordsets: index order, Seek, navigation, edits and bookmarks.
#include "dao_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>

using dao::DaoError;
using daotest::DaoTest;

namespace {

QStringList walk(dao::Recordset& rs, const QString& field = "FILE") {
    QStringList out;
    rs.MoveFirst();
    while (!rs.atEOF()) {
        out << rs.text(field);
        rs.MoveNext();
    }
    return out;
}

QStringList walkBack(dao::Recordset& rs, const QString& field = "FILE") {
    QStringList out;
    rs.MoveLast();
    while (!rs.atBOF()) {
        out << rs.text(field);
        rs.MovePrevious();
    }
    return out;
}

class TableRecordsetTest : public DaoTest {
protected:
    void SetUp() override {
        DaoTest::SetUp();
        makePrime();
        addPrime("300", "01", "Zeta Corp");
        addPrime("100", "02", "alpha inc");
        addPrime("100", "01", "Beta LLC");
        addPrime("200", "01", "ALPHA Two");
        addPrime("050", "01", QVariant()); // a Null name sorts first in KEY2
    }
};

TEST_F(TableRecordsetTest, OpensOnFirstRowAndWalksTheIndexBothWays) {
    auto rs = db->OpenTable("PRIME");
    EXPECT_EQ(rs->type(), dao::RecordsetType::Table);
    EXPECT_FALSE(rs->atBOF());
    EXPECT_EQ(rs->RecordCount(), 5);
    rs->setIndex("PRIMARY");
    EXPECT_EQ(walk(*rs), QStringList({"050", "100", "100", "200", "300"}));
    EXPECT_EQ(walk(*rs, "SEQUENCE"), QStringList({"01", "01", "02", "01", "01"}));
    EXPECT_EQ(walkBack(*rs), QStringList({"300", "200", "100", "100", "050"}));
    EXPECT_THROW(rs->MovePrevious(), DaoError); // at BOF already
}

TEST_F(TableRecordsetTest, SeekHitsAndMissesOnOneKeyTwoKeysAndPrefixes) {
    const struct {
        const char* index;
        const char* op;
        QVariantList keys;
        const char* found; // FILE + SEQUENCE of the row found; nullptr: NoMatch
    } cases[] = {
        {"PRIMARY", "=", {"100", "02"}, "10002"},
        {"PRIMARY", "=", {"100", "03"}, nullptr},
        {"PRIMARY", "=", {"999", "01"}, nullptr},
        {"PRIMARY", "=", {"100"}, "10001"}, // a prefix finds the first row of the key
        {"PRIMARY", ">=", {"150"}, "20001"},
        {"PRIMARY", ">", {"100"}, "20001"},
        {"PRIMARY", "<=", {"150"}, "10002"}, // the last key not above
        {"PRIMARY", "<", {"100"}, "05001"},
        {"PRIMARY", ">=", {"301"}, nullptr},
        {"PRIMARY", "<", {"050"}, nullptr},
        // Names compare without case; the empty text finds the first name, past the Null one.
        {"KEY2", ">=", {"beta"}, "10001"},
        {"KEY2", ">=", {"ALPHA T"}, "20001"},
        {"KEY2", "=", {"ZETA CORP"}, "30001"},
        {"KEY2", ">=", {""}, "10002"},
    };
    auto rs = db->OpenTable("PRIME");
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(c.index, c.op, c.keys.first().toString()).toStdString());
        rs->setIndex(c.index);
        rs->Seek(c.op, c.keys);
        EXPECT_EQ(rs->NoMatch(), c.found == nullptr);
        if (c.found) {
            EXPECT_EQ(rs->text("FILE") + rs->text("SEQUENCE"), c.found);
        }
    }
    rs->setIndex("PRIMARY");
    rs->Seek(">=", {"301"});
    EXPECT_TRUE(rs->atEOF());
    EXPECT_THROW(rs->Edit(), DaoError); // no current row after a failed seek
    rs->Seek("=", {"100"});
    rs->MoveNext();
    EXPECT_EQ(rs->text("SEQUENCE"), "02");
    rs->MoveNext();
    EXPECT_EQ(rs->text("FILE"), "200");
    rs->setIndex("KEY2");
    rs->Seek(">=", {""});
    rs->MovePrevious(); // the Null name lies before the first name
    EXPECT_TRUE(rs->isNull("NAME1"));
}

TEST_F(TableRecordsetTest, SeekNeedsAnIndexAndSensibleKeys) {
    auto rs = db->OpenTable("PRIME");
    EXPECT_THROW(rs->Seek("=", {"100"}), DaoError);
    EXPECT_THROW(rs->setIndex("NOPE"), DaoError);
    rs->setIndex("PRIMARY");
    EXPECT_THROW(rs->Seek("=", {"100", "01", "x"}), DaoError);
    EXPECT_THROW(rs->Seek("=", {}), DaoError);
    EXPECT_THROW(rs->Seek("~", {"100"}), DaoError);
}

TEST_F(TableRecordsetTest, AddNewUpdateKeepsThePreviousRowCurrent) {
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"200", "01"});
    rs->AddNew();
    rs->setValue("file", "150"); // field names are not case-sensitive
    rs->setValue("SEQUENCE", "01");
    rs->setValue("Name1", "Gamma");
    EXPECT_EQ(rs->text("NAME1"), "Gamma"); // the edit buffer while editing
    EXPECT_TRUE(rs->isNull("MOD"));
    rs->Update();
    EXPECT_EQ(rs->text("FILE"), "200");
    EXPECT_EQ(rs->RecordCount(), 6);
    rs->MovePrevious();
    EXPECT_EQ(rs->text("FILE"), "150"); // the new row is in the index order at once
    EXPECT_EQ(rs->bookmark(), rs->LastModified());
}

TEST_F(TableRecordsetTest, EditUpdateCancelUpdateAndEditsDroppedByAMove) {
    const QString nameSql = "SELECT NAME1 FROM PRIME WHERE FILE = '100' AND SEQUENCE = '01'";
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"100", "01"});
    rs->Edit();
    rs->setValue("NAME1", "Changed");
    rs->CancelUpdate();
    EXPECT_EQ(rs->text("NAME1"), "Beta LLC");
    rs->Edit();
    rs->setValue("NAME1", "Lost");
    rs->Seek("=", {"100", "01"}); // moving or seeking drops a pending edit
    EXPECT_FALSE(rs->editing());
    EXPECT_EQ(rs->text("NAME1"), "Beta LLC");
    EXPECT_EQ(db->scalar(nameSql).toString(), "Beta LLC");

    rs->Edit();
    db->execute("UPDATE PRIME SET MOD = 1.5 WHERE FILE = '100' AND SEQUENCE = '01'");
    rs->setValue("NAME1", "Changed");
    rs->Update();
    EXPECT_EQ(rs->text("NAME1"), "Changed");
    EXPECT_EQ(db->scalar(nameSql).toString(), "Changed");
    EXPECT_DOUBLE_EQ(rs->value("MOD").toDouble(), 1.5) << "only the fields set are written";
    EXPECT_THROW(rs->Update(), DaoError); // no edit open
    EXPECT_THROW(rs->setValue("NAME1", "x"), DaoError);
}

TEST_F(TableRecordsetTest, UniqueIndexRefusesADuplicateWithAClearError) {
    auto rs = db->OpenTable("PRIME");
    rs->AddNew();
    rs->setValue("FILE", "100");
    rs->setValue("SEQUENCE", "01");
    try {
        rs->Update();
        FAIL() << "a duplicate key was accepted";
    } catch (const DaoError& e) {
        EXPECT_TRUE(e.message().contains("duplicate")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("TEST.MDB")) << e.message().toStdString();
    }
    EXPECT_TRUE(rs->editing()); // the edit stays open after a failed Update
    rs->CancelUpdate();
    EXPECT_EQ(rs->RecordCount(), 5);
}

TEST_F(TableRecordsetTest, DeleteThenMoveNextGoesToTheFollowingRow) {
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"100", "02"});
    rs->Delete();
    EXPECT_THROW(rs->value("NAME1"), DaoError);
    rs->MoveNext();
    EXPECT_EQ(rs->text("FILE"), "200");
    EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(TableRecordsetTest, BookmarksReturnToTheirRow) {
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("KEY2");
    rs->Seek("=", {"beta llc"});
    const dao::Bookmark b = rs->bookmark();
    rs->MoveFirst();
    rs->setBookmark(b);
    EXPECT_EQ(rs->text("NAME1"), "Beta LLC");
    rs->MoveNext(); // and navigation continues from there in index order
    EXPECT_EQ(rs->text("NAME1"), "Zeta Corp");
    EXPECT_THROW(rs->setBookmark(987654), DaoError);
}

TEST_F(TableRecordsetTest, AbsolutePositionFollowsTheIndex) {
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("KEY2");
    rs->Seek("=", {"Beta LLC"});
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    rs->setAbsolutePosition(1);
    EXPECT_EQ(rs->text("NAME1"), "alpha inc");
    rs->setAbsolutePosition(0);
    EXPECT_TRUE(rs->isNull("NAME1"));
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    rs->setAbsolutePosition(5);
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->AbsolutePosition(), -1);
}

TEST_F(DaoTest, PositionsInEveryOrderAfterEveryKindOfChange) {
    makePrime();
    // Far more rows than a jump steps through, Null and equal names, gaps in the rowids.
    db->BeginTrans();
    for (int i = 0; i < 3000; ++i)
        addPrime(QStringLiteral("%1").arg(i * 7919 % 3001, 5, 10, QLatin1Char('0')), "01",
                 i % 11 == 0 ? QVariant() : QVariant(QStringLiteral("name %1").arg(i % 400)));
    db->execute("DELETE FROM PRIME WHERE FILE LIKE '%5'");
    db->CommitTrans();
    auto rs = db->OpenTable("PRIME");
    auto check = [&](const char* index, const char* after) {
        SCOPED_TRACE(std::string(index) + ", " + after);
        rs->setIndex(index);
        const QStringList keys = db->indexColumns("PRIME", index);
        auto order = db->OpenRecordset("SELECT FILE, SEQUENCE FROM PRIME ORDER BY " + keys.join(", ") + ", rowid",
                                       dao::RecordsetType::Snapshot);
        QStringList files; // FILE and SEQUENCE, in the index's order
        for (; !order->atEOF(); order->MoveNext())
            files << order->text("FILE") + order->text("SEQUENCE");
        auto here = [&] { return rs->text("FILE") + rs->text("SEQUENCE"); };
        EXPECT_EQ(rs->RecordCount(), files.size());
        for (long long n : {0LL, 1LL, 63LL, 64LL, 1023LL, 1024LL, 1500LL, files.size() - 1LL}) {
            rs->setAbsolutePosition(n);
            EXPECT_EQ(here(), files[int(n)]) << n;
            QVariantList key;
            for (const QString& k : keys)
                key << rs->value(k);
            rs->Seek("=", key); // the first row with that key, its position worked out anew
            EXPECT_EQ(files.indexOf(here()), rs->AbsolutePosition()) << n;
        }
        rs->setAbsolutePosition(files.size());
        EXPECT_TRUE(rs->atEOF());
    };
    check("KEY2", "load");
    check("PRIMARY", "load");

    rs->setIndex("KEY2");
    rs->setAbsolutePosition(2000);
    rs->Edit(); // a key column: the row moves
    rs->setValue("NAME1", "aaa");
    rs->Update();
    check("KEY2", "a name changed");
    rs->AddNew();
    rs->setValue("FILE", "00000");
    rs->setValue("SEQUENCE", "02");
    rs->setValue("NAME1", "name 2");
    rs->Update();
    check("PRIMARY", "a row added");
    rs->setAbsolutePosition(10);
    rs->Delete();
    check("KEY2", "a row deleted");
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    other->execute("UPDATE PRIME SET NAME1 = 'zzz' WHERE FILE < '01000'");
    other.reset();
    check("KEY2", "another user's change");
}

// The fixture's own connection stands for another copy of the program.
TEST_F(TableRecordsetTest, APlaceIsKnownByItsKeyAfterAnotherCopyDeletesOrReloads) {
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"050", "01"}); // the row added last: a new row takes its row id
    const dao::Bookmark place = rs->bookmark();
    other->execute("DELETE FROM PRIME WHERE FILE = '050'");
    other->execute("INSERT INTO PRIME (FILE, SEQUENCE, NAME1) VALUES ('999', '01', 'Newcomer')");
    ASSERT_EQ(db->scalar("SELECT FILE FROM PRIME WHERE rowid = ?", {place}).toString(), "999");
    EXPECT_EQ(rs->AbsolutePosition(), -1) << "deleted, not the newcomer";
    EXPECT_THROW(rs->value("NAME1"), DaoError);

    // A release load: the same employers in another order, so every row id holds another one.
    rs->Seek("=", {"200", "01"});
    other->execute("CREATE TEMP TABLE was AS SELECT * FROM PRIME");
    other->execute("DELETE FROM PRIME");
    other->execute("INSERT INTO PRIME SELECT * FROM was ORDER BY FILE DESC, SEQUENCE DESC");
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_THROW(rs->value("NAME1"), DaoError);
    EXPECT_TRUE(rs->refreshCurrentRow()); // read again by its key, where it is now
    EXPECT_EQ(rs->text("NAME1"), "ALPHA Two");
    EXPECT_EQ(rs->AbsolutePosition(), 2); // 100/01, 100/02, then it
}

// A commit of another copy that comes while a place far from the start is read waits until the
// read is done: the order that says which row is at the place and the row are read together.
TEST_F(DaoTest, APlaceAndTheOrderThatPutsARowThereAreReadTogether) {
    makePrime();
    db->BeginTrans();
    for (int i = 0; i < 5000; ++i)
        addPrime(QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')), "01",
                 QStringLiteral("name %1").arg(i, 5, 10, QLatin1Char('0')));
    db->CommitTrans();
    auto other = dao::Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    sqlite3_busy_timeout(dao::detail::rawHandle(*other), 0);
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("KEY2");
    rs->setAbsolutePosition(4500); // the order is kept from here on
    struct Hook {
        dao::Database* other;
        bool armed = true, committed = false;
    } hook{other.get()};
    auto onStatement = [](unsigned, void* context, void* statement, void*) -> int {
        auto* h = static_cast<Hook*>(context);
        if (h->armed && std::strstr(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)), "WHERE rowid = ?")) {
            h->armed = false;
            try {
                h->other->execute("DELETE FROM PRIME WHERE FILE = '00010'");
                h->committed = true;
            } catch (const DaoError&) {
                // held off by the read under way
            }
        }
        return 0;
    };
    sqlite3_trace_v2(dao::detail::rawHandle(*db), SQLITE_TRACE_STMT, onStatement, &hook);
    rs->setAbsolutePosition(4900);
    sqlite3_trace_v2(dao::detail::rawHandle(*db), 0, nullptr, nullptr);
    sqlite3_busy_timeout(dao::detail::rawHandle(*other), 5000);
    ASSERT_FALSE(hook.armed);
    EXPECT_EQ(rs->text("FILE"), hook.committed ? "04901" : "04900");

    other->execute("DELETE FROM PRIME WHERE FILE = '00010'");
    rs->setAbsolutePosition(4901); // one on, after the delete: the row after the next
    EXPECT_EQ(rs->text("FILE"), "04902");
    EXPECT_EQ(rs->rowsAt(4998, 5, {0})->size(), 1u); // 4,999 rows are left
}

TEST_F(TableRecordsetTest, EmptyTableIsAtBothEnds) {
    db->execute("DELETE * FROM PRIME");
    auto rs = db->OpenTable("PRIME");
    EXPECT_TRUE(rs->atBOF());
    EXPECT_TRUE(rs->atEOF());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_THROW(rs->MoveNext(), DaoError);
    EXPECT_THROW(rs->value("FILE"), DaoError);
    rs->setIndex("PRIMARY");
    rs->Seek(">=", {""});
    EXPECT_TRUE(rs->NoMatch());
}

TEST_F(TableRecordsetTest, NullAndEmptyTextStayDistinct) {
    auto rs = db->OpenTable("PRIME");
    rs->AddNew();
    rs->setValue("FILE", "900");
    rs->setValue("SEQUENCE", "01");
    rs->setValue("NAME1", "");
    rs->Update();
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"900", "01"});
    EXPECT_FALSE(rs->isNull("NAME1"));
    EXPECT_EQ(rs->value("NAME1"), QVariant(QString("")));
    EXPECT_TRUE(rs->isNull("MOD"));
    EXPECT_FALSE(rs->value("MOD").isValid());
    EXPECT_EQ(rs->text("MOD"), "");
    rs->Seek("=", {"050", "01"});
    EXPECT_TRUE(rs->isNull("NAME1"));
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE NAME1 IS NULL").toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE NAME1 = ''").toInt(), 1);
}

TEST_F(TableRecordsetTest, FieldsConvertToTheirColumnTypes) {
    auto rs = db->OpenTable("PRIME");
    rs->AddNew();
    rs->setValue("FILE", "901");
    rs->setValue("SEQUENCE", "01");
    rs->setValue("EXPIRE", "03/15/99");
    rs->setValue("MOD", "0.875");
    rs->setValue("ASSOCIATES", true);
    rs->setValue("ISSUE1", "1999");
    EXPECT_THROW(rs->setValue("EXPIRE", "not a date"), DaoError);
    EXPECT_THROW(rs->setValue("MOD", "abc"), DaoError);
    EXPECT_THROW(rs->setValue("NOSUCH", 1), DaoError);
    rs->Update();
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"901", "01"});
    EXPECT_EQ(rs->value("EXPIRE"), QVariant(QDate(1999, 3, 15)));
    EXPECT_EQ(rs->value("MOD").typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs->value("MOD").toDouble(), 0.875);
    EXPECT_EQ(rs->value("ASSOCIATES"), QVariant(true));
    EXPECT_EQ(rs->value("ISSUE1"), QVariant(qlonglong(1999)));
    EXPECT_EQ(db->scalar("SELECT EXPIRE FROM PRIME WHERE FILE = '901'").toDate(), QDate(1999, 3, 15));
    EXPECT_EQ(db->scalar("SELECT typeof(EXPIRE) || EXPIRE FROM PRIME WHERE FILE = '901'").toString(),
              "text1999-03-15");
}

TEST_F(TableRecordsetTest, NameIndexOrdersWithoutCaseAndNullsFirst) {
    // Several Null names under KEY2, walked across Null and non-Null keys in both directions.
    addPrime("060", "01", QVariant());
    addPrime("070", "01", QVariant());
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("key2"); // index names are not case-sensitive
    EXPECT_EQ(rs->index(), "key2");
    // "alpha inc" and "ALPHA Two" compare as ALPHA INC < ALPHA TWO; a Null name reads as "".
    EXPECT_EQ(walk(*rs, "NAME1"),
              QStringList({"", "", "", "alpha inc", "ALPHA Two", "Beta LLC", "Zeta Corp"}));
    EXPECT_EQ(walk(*rs), QStringList({"050", "060", "070", "100", "200", "100", "300"}));
    EXPECT_EQ(walkBack(*rs), QStringList({"300", "100", "200", "100", "070", "060", "050"}));
    rs->Seek("=", {QVariant()});
    EXPECT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->text("FILE"), "050");
}

TEST_F(TableRecordsetTest, SeesChangesMadeThroughTheDatabase) {
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    rs->Seek("=", {"100", "01"});
    db->execute("UPDATE PRIME SET NAME1 = 'Renamed' WHERE FILE = '100' AND SEQUENCE = '01'");
    EXPECT_EQ(rs->text("NAME1"), "Renamed");
    db->execute("INSERT INTO PRIME (FILE, SEQUENCE) VALUES ('100', '015')");
    rs->MoveNext();
    EXPECT_EQ(rs->text("SEQUENCE"), "015");
}

TEST_F(TableRecordsetTest, ClosedRecordsetAndClosedDatabaseFailClearly) {
    auto rs = db->OpenTable("PRIME");
    auto other = db->OpenTable("PRIME");
    rs->Close();
    EXPECT_THROW(rs->MoveNext(), DaoError);
    db->close();
    EXPECT_FALSE(other->isOpen());
    EXPECT_THROW(other->value("FILE"), DaoError);
}

TEST_F(TableRecordsetTest, LargeWalkCrossesManyFetchChunks) {
    db->BeginTrans();
    for (int i = 0; i < 1500; ++i)
        addPrime(QStringLiteral("5%1").arg(i, 5, 10, QLatin1Char('0')), "01",
                 QStringLiteral("N%1").arg(i % 7));
    db->CommitTrans();
    auto rs = db->OpenTable("PRIME");
    rs->setIndex("PRIMARY");
    EXPECT_EQ(walk(*rs).size(), 1505);
    EXPECT_EQ(walkBack(*rs).size(), 1505);
    rs->setIndex("KEY2");
    QString last;
    int n = 0;
    for (rs->MoveFirst(); !rs->atEOF(); rs->MoveNext(), ++n) {
        const QString name = rs->text("NAME1").toUpper();
        EXPECT_LE(last, name);
        last = name;
    }
    EXPECT_EQ(n, 1505);
    rs->setAbsolutePosition(1000);
    const QString at1000 = rs->text("FILE");
    rs->setAbsolutePosition(1001);
    rs->MovePrevious();
    EXPECT_EQ(rs->text("FILE"), at1000);
    EXPECT_EQ(rs->AbsolutePosition(), 1000);
}

} // namespace
