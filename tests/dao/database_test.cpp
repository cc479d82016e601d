// Opening and creating databases, statements, transactions, functions, dates and text comparison.
#include "dao_fixture.h"
#include "platform/dao/query_recordset.h"
#include "platform/dao/sqlite_util.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

using dao::DaoError;
using dao::Database;
using daotest::DaoTest;

namespace {

using OpenTest = testsupport::TempDirTest;

// Runs f, expecting a DaoError whose message contains every one of parts.
template <typename F> void expectError(F&& f, std::initializer_list<QString> parts) {
    try {
        f();
        ADD_FAILURE() << "no error";
    } catch (const DaoError& e) {
        for (const QString& p : parts)
            EXPECT_TRUE(e.message().contains(p)) << e.message().toStdString() << " lacks " << p.toStdString();
    }
}

TEST_F(OpenTest, MissingFileIsRefusedAndNothingIsCreated) {
    const QString file = path("VELKDE.MDB");
    expectError([&] { Database::open(file, false, false, ";PWD=secret"); },
                {"VELK could not open " + file + ".", "does not exist"});
    expectError([&] { Database::open(file, false, true); }, {"does not exist"});
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(OpenTest, WrongPasswordIsRefusedAndLeavesTheFileAsItWas) {
    const QString file = path("VELKDE.MDB");
    Database::create(file, "Velk99")->close();
    const QByteArray before = testsupport::readFile(file);
    expectError([&] { Database::open(file, false, false, ";PWD=wrong"); }, {file, "Not a valid password."});
    expectError([&] { Database::open(file, false, false, QString()); }, {"Not a valid password."});
    expectError([&] { Database::open(file, false, false, ";PWD=velk99"); },
                {"Not a valid password."}); // case counts
    EXPECT_EQ(files(), QStringList{"VELKDE.MDB"});
    EXPECT_EQ(testsupport::readFile(file), before);

    auto db = Database::open(file, false, false, "MS Access;pwd=Velk99");
    EXPECT_TRUE(db->isOpen());
    EXPECT_EQ(db->name(), file);
}

TEST_F(OpenTest, FilesThatAreNotOursAreRefused) {
    const QString text = path("NOTES.MDB");
    testsupport::writeFile(text, QByteArray(4096, 'x'));
    expectError([&] { Database::open(text); }, {text, "not a VELK database"});

    // A SQLite file without our meta table.
    const QString foreign = path("FOREIGN.MDB");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.toUtf8().constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    expectError([&] { Database::open(foreign); }, {"not a VELK database"});

    expectError([&] { Database::open(folder()); }, {"not a database file"});
}

TEST_F(OpenTest, CreateRefusesAnExistingFile) {
    const QString file = path("A.MDB");
    Database::create(file)->close();
    expectError([&] { Database::create(file, "x"); }, {"VELK could not create", "already exists"});
    auto db = Database::open(file); // an empty password matches an empty connect string
    EXPECT_TRUE(db->tableNames().isEmpty());
}

TEST_F(OpenTest, ReadOnlyOpenRefusesWrites) {
    const QString file = path("R.MDB");
    {
        auto db = Database::create(file);
        db->createTable("T", {{"A", "TEXT"}});
    }
    auto db = Database::open(file, false, true);
    EXPECT_TRUE(db->readOnly());
    expectError([&] { db->execute("INSERT INTO T VALUES ('x')"); }, {"read-only"});
    auto rs = db->OpenTable("T");
    EXPECT_THROW(rs->AddNew(), DaoError);
}

TEST_F(OpenTest, ExclusiveOpenKeepsOthersOut) {
    const QString file = path("X.MDB");
    Database::create(file)->close();
    auto first = Database::open(file, true);
    first->execute("CREATE TABLE T (A TEXT)");
    // A second connection gives up after the busy timeout with a message naming the cause.
    expectError([&] { Database::open(file); }, {"in use"});
}

TEST_F(DaoTest, ExecuteReportsChangedRowsAndBadSql) {
    makePrime();
    addPrime("1", "01", "A");
    addPrime("2", "01", "B");
    EXPECT_EQ(db->execute("UPDATE PRIME SET NAME1 = \"C\" WHERE FILE = \"1\""), 1);
    EXPECT_EQ(db->scalar("SELECT NAME1 FROM PRIME WHERE FILE = '1'").toString(), "C");
    EXPECT_EQ(db->execute("DELETE * FROM PRIME"), 2);
    expectError([&] { db->execute("DELETE * FROM NOSUCH"); },
                {"could not change the data in", "TEST.MDB", "no such table"});
    EXPECT_FALSE(db->scalar("SELECT NAME1 FROM PRIME").isValid()); // no row: Null
}

TEST_F(DaoTest, TransactionsCommitAndRollBack) {
    makePrime();
    db->BeginTrans();
    addPrime("1", "01", "A");
    auto rs = db->OpenTable("PRIME");
    rs->AddNew();
    rs->setValue("FILE", "2");
    rs->Update();
    db->Rollback();
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME").toInt(), 0);
    EXPECT_EQ(rs->RecordCount(), 0);

    db->BeginTrans();
    addPrime("1", "01", "A");
    db->BeginTrans(); // nested: the inner rollback undoes only its own work
    addPrime("2", "01", "B");
    db->Rollback();
    EXPECT_TRUE(db->inTransaction());
    db->CommitTrans();
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME").toInt(), 1);

    EXPECT_THROW(db->CommitTrans(), DaoError);
    EXPECT_THROW(db->Rollback(), DaoError);
}

TEST_F(DaoTest, ClosingWithAnOpenTransactionCommitsNothing) {
    makePrime();
    db->BeginTrans();
    addPrime("1", "01", "A");
    db->close();
    auto again = Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    EXPECT_EQ(again->scalar("SELECT count(*) FROM PRIME").toInt(), 0);
}

TEST_F(DaoTest, SharedUseRollbackJournalAndReadersBesideAWriter) {
    makePrime();
    EXPECT_EQ(db->scalar("PRAGMA journal_mode").toString(), "delete");
    auto other = Database::open(path("TEST.MDB"), false, false, ";PWD=secret");
    db->BeginTrans();
    addPrime("1", "01", "A");
    // The other user reads the committed state while the batch is open.
    EXPECT_EQ(other->scalar("SELECT count(*) FROM PRIME").toInt(), 0);
    db->CommitTrans();
    EXPECT_EQ(other->scalar("SELECT count(*) FROM PRIME").toInt(), 1);

    // A small query read to its end holds no lock: the other user can write at once.
    auto rs = db->OpenRecordset("SELECT * FROM PRIME");
    EXPECT_FALSE(rs->atEOF());
    sqlite3_busy_timeout(dao::detail::rawHandle(*other), 0); // no waiting: a held lock would fail the insert
    EXPECT_NO_THROW(other->execute("INSERT INTO PRIME (FILE, SEQUENCE) VALUES ('2', '01')"));
}

TEST_F(DaoTest, MonthDayYearOnDatesAndNull) {
    makePrime();
    addPrime("1", "01", "A", QDate(1999, 12, 31));
    addPrime("2", "01", "B", QVariant());
    addPrime("3", "01", "C", QDate(2003, 1, 5));
    EXPECT_EQ(db->scalar("SELECT MONTH(EXPIRE) * 100 + day(EXPIRE) FROM PRIME WHERE FILE = '1'").toInt(),
              1231);
    EXPECT_EQ(db->scalar("SELECT YEAR(EXPIRE) FROM PRIME WHERE FILE = '3'").toInt(), 2003);
    EXPECT_FALSE(db->scalar("SELECT MONTH(EXPIRE) FROM PRIME WHERE FILE = '2'").isValid());
    // The searches' anniversary test: month x 100 + day.
    EXPECT_EQ(
        db->scalar("SELECT count(*) FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 0101 AND 0331")
            .toInt(),
        1);
    EXPECT_EQ(
        db->scalar("SELECT count(*) FROM PRIME WHERE (MONTH(EXPIRE)*100+DAY(EXPIRE)) BETWEEN 1231 AND 1101")
            .toInt(),
        1); // bounds swapped by the translator
}

TEST_F(DaoTest, DatePartsOfEveryAcceptedFormAndOfTextThatIsNoDate) {
    struct Case {
        const char* arg;
        int year, month, day; // 0: Null
    };
    const Case cases[] = {
        {"'2024-02-29'", 2024, 2, 29},
        {"'2000-02-29'", 2000, 2, 29}, // a century divisible by 400 is a leap year
        {"'1900-02-29'", 0, 0, 0},     // one that is not
        {"'2023-02-29'", 0, 0, 0},
        {"'2023-04-31'", 0, 0, 0},
        {"'2023-13-01'", 0, 0, 0},
        {"'2023-00-10'", 0, 0, 0},
        {"'0000-01-01'", 0, 0, 0}, // there is no year 0
        {"'1999-12-31 23:59:59'", 1999, 12, 31},
        {"'1999-12-31T08:00'", 1999, 12, 31},
        {"'1999-12-31x'", 0, 0, 0},
        {"'2003-01-0a'", 0, 0, 0},
        {"'not a date'", 0, 0, 0},
        {"''", 0, 0, 0},
        {"'2003-1-5'", 2003, 1, 5},     // short month and day
        {"' 2003-01-05 '", 2003, 1, 5}, // blanks around
        {"'12/31/49'", 2049, 12, 31},   // two-digit years 00-49 are 20xx
        {"'12/31/50'", 1950, 12, 31},
        {"'7/4/1976'", 1976, 7, 4},
        {"julianday('2003-01-05')", 2003, 1, 5},
        {"2452645", 2003, 1, 5},     // a whole Julian day number: noon
        {"2452645.75", 2003, 1, 6},  // its day ends at the next noon
        {"1721425.5", 1, 1, 1},      // the first day of year 1
        {"5373484.4", 9999, 12, 31}, // the last day of year 9999
        {"5373484.5", 0, 0, 0},      // beyond it
        {"19990315", 0, 0, 0},       // digits of a date are no day number
        {"5", 0, 0, 0},              // before year 1
        {"'2452645'", 0, 0, 0},      // as text it is no date
        {"NULL", 0, 0, 0},
    };
    auto expected = [](int v) { return v ? QVariant(qlonglong(v)) : QVariant(); };
    for (const Case& c : cases) {
        const QString arg = QString::fromLatin1(c.arg);
        SCOPED_TRACE(c.arg);
        EXPECT_EQ(db->scalar("SELECT YEAR(" + arg + ")"), expected(c.year));
        EXPECT_EQ(db->scalar("SELECT MONTH(" + arg + ")"), expected(c.month));
        EXPECT_EQ(db->scalar("SELECT DAY(" + arg + ")"), expected(c.day));
        // The value as stored reads as the same date in the program (the grid, the type-ahead).
        const QDate d = dao::toDate(db->scalar("SELECT " + arg));
        EXPECT_EQ(d, c.year ? QDate(c.year, c.month, c.day) : QDate());
    }
}

TEST_F(DaoTest, ModStoredAsDigitsOverAThousandIsFoundByItsDecimalLiteral) {
    makePrime();
    addPrime("1", "01", "A", {}, 9886 / 1000.0);
    addPrime("2", "01", "B", {}, 8888 / 1000.0);
    auto rs = db->OpenRecordset("SELECT * FROM PRIME WHERE [MOD] = 9.886", dao::RecordsetType::Snapshot);
    ASSERT_FALSE(rs->atEOF());
    EXPECT_EQ(rs->text("FILE"), "1");
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE [MOD] NOT = 9.886").toInt(), 1);
    EXPECT_EQ(db->scalar("SELECT FILE FROM PRIME WHERE [MOD] = 8.888").toString(), "2");

    // Every three-decimal value up to 99.999 compares equal to its literal.
    db->execute("CREATE TABLE M (V DOUBLE)");
    db->BeginTrans();
    for (int d = 0; d < 100000; ++d)
        db->executeBound("INSERT INTO M VALUES (?)", {d / 1000.0});
    db->CommitTrans();
    int mismatches = 0;
    for (int d = 0; d < 100000; d += 997)
        mismatches +=
            db->scalar(QStringLiteral("SELECT count(*) FROM M WHERE V = %1").arg(d / 1000.0, 0, 'f', 3))
                .toInt() != 1;
    EXPECT_EQ(mismatches, 0);
}

TEST_F(DaoTest, TextComparesAndSortsWithoutCase) {
    makePrime();
    addPrime("1", "01", "smith");
    addPrime("2", "01", "SMITH");
    addPrime("3", "01", "Adams");
    addPrime("4", "01", "baker");
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE NAME1 = 'Smith'").toInt(), 2);
    EXPECT_EQ(db->scalar("SELECT count(*) FROM PRIME WHERE NAME1 BETWEEN 'a' AND 'BZ'").toInt(), 2);
    auto rs = db->OpenRecordset("SELECT NAME1 FROM PRIME ORDER BY NAME1, FILE", dao::RecordsetType::Snapshot);
    QStringList order;
    for (; !rs->atEOF(); rs->MoveNext())
        order << rs->text("name1");
    EXPECT_EQ(order, QStringList({"Adams", "baker", "smith", "SMITH"}));
    EXPECT_EQ(
        db->scalar("SELECT count(*) FROM PRIME WHERE FILE IN (SELECT FILE FROM PRIME WHERE NAME1 = 'ADAMS')")
            .toInt(),
        1);
}

TEST_F(DaoTest, SchemaHelpersReportTablesIndexesAndTypes) {
    makePrime();
    EXPECT_EQ(db->tableNames(), QStringList{"PRIME"}); // the meta table is not listed
    EXPECT_TRUE(db->tableExists("prime"));
    EXPECT_TRUE(db->tableExists("[PRIME]"));
    EXPECT_FALSE(db->tableExists("MODS"));
    EXPECT_EQ(db->indexColumns("PRIME", "PRIMARY"), QStringList({"FILE", "SEQUENCE"}));
    EXPECT_EQ(db->indexColumns("prime", "primary"), QStringList({"FILE", "SEQUENCE"}));
    EXPECT_TRUE(db->indexColumns("PRIME", "KEY3").isEmpty());
    EXPECT_EQ(db->columnType("PRIME", "expire"), "DATE");
    EXPECT_EQ(db->columnType("PRIME", "NOTES"), "MEMO");
    EXPECT_EQ(db->columnType("PRIME", "MOD"), "DOUBLE");
    EXPECT_EQ(db->columnType("PRIME", "ASSOCIATES"), "YESNO");
    EXPECT_EQ(db->columnType("PRIME", "NOSUCH"), "");
    // The same index name on another table is its own index.
    db->createTable("NOTES", {{"FILE", "TEXT"}, {"SEQUENCE", "TEXT"}, {"NOTES", "MEMO"}});
    db->createIndex("NOTES", "PRIMARY", {"FILE", "SEQUENCE"}, true);
    EXPECT_EQ(db->indexColumns("NOTES", "PRIMARY"), QStringList({"FILE", "SEQUENCE"}));
    EXPECT_THROW(db->createTable("BAD", {{"A", "WIDGET"}}), DaoError);
}

// SQLite's page buffers come from a memory region of their own: a buffer keeps its bytes when it
// moves between that region and the C heap.
TEST_F(DaoTest, PageBuffersKeepTheirBytesAcrossResizes) {
    auto* p = static_cast<unsigned char*>(sqlite3_malloc(4300));
    ASSERT_NE(p, nullptr);
    ASSERT_GE(sqlite3_msize(p), 4300u);
    for (int i = 0; i < 4300; ++i)
        p[i] = static_cast<unsigned char>(i * 7);
    for (int size : {4200, 9000, 4500, 100}) {
        p = static_cast<unsigned char*>(sqlite3_realloc(p, size));
        ASSERT_NE(p, nullptr);
        ASSERT_GE(sqlite3_msize(p), static_cast<sqlite3_uint64>(size));
        for (int i = 0; i < std::min(size, 4200); ++i)
            ASSERT_EQ(p[i], static_cast<unsigned char>(i * 7)) << "at " << i << " after resizing to " << size;
    }
    sqlite3_free(p);
}

TEST_F(DaoTest, MemoKeepsDigitTextAsText) {
    makePrime();
    auto rs = db->OpenTable("PRIME");
    rs->AddNew();
    rs->setValue("FILE", "1");
    rs->setValue("NOTES", "0123");
    rs->Update();
    EXPECT_EQ(db->scalar("SELECT NOTES FROM PRIME").toString(), "0123");
}

TEST(Dates, TwoDigitYearWindowAndFormats) {
    EXPECT_EQ(dao::toDate("01/01/50"), QDate(1950, 1, 1));
    EXPECT_EQ(dao::toDate("12/31/49"), QDate(2049, 12, 31));
    EXPECT_EQ(dao::toDate("12/31/99"), QDate(1999, 12, 31));
    EXPECT_EQ(dao::toDate("01/01/00"), QDate(2000, 1, 1));
    EXPECT_EQ(dao::toDate("3/7/05"), QDate(2005, 3, 7));
    EXPECT_EQ(dao::toDate("03/07/1905"), QDate(1905, 3, 7));
    EXPECT_EQ(dao::toDate("1999-03-15"), QDate(1999, 3, 15));
    EXPECT_FALSE(dao::toDate("1999-02-30").isValid());
    EXPECT_EQ(dao::toDate(QDate(2001, 2, 3)), QDate(2001, 2, 3));
    EXPECT_FALSE(dao::toDate("02/30/99").isValid());
    EXPECT_FALSE(dao::toDate("13/01/99").isValid());
    EXPECT_FALSE(dao::toDate("").isValid());
    EXPECT_FALSE(dao::toDate("  /  /  ").isValid());
    EXPECT_FALSE(dao::toDate(QVariant()).isValid());
    EXPECT_FALSE(dao::toDate(19990315).isValid());
    EXPECT_EQ(dao::dateToStorage(QDate(1950, 1, 1)), "1950-01-01");
    EXPECT_EQ(dao::dateToStorage(QDate()), "");
}

TEST(Connect, PasswordFromConnectString) {
    EXPECT_EQ(dao::passwordFromConnect(";PWD=secret"), "secret");
    EXPECT_EQ(dao::passwordFromConnect("MS Access;pwd=a b"), "a b");
    EXPECT_EQ(dao::passwordFromConnect(";UID=x;Pwd=y;"), "y");
    EXPECT_EQ(dao::passwordFromConnect("MS Access;"), "");
    EXPECT_EQ(dao::passwordFromConnect(""), "");
}

TEST(Errors, MessageNamesFileOperationAndReason) {
    const DaoError e("/data/VELKNJ.MDB", "open", "Not a valid password.");
    EXPECT_EQ(e.message(), "VELK could not open /data/VELKNJ.MDB.\r\nNot a valid password.");
    EXPECT_STREQ(e.what(), "VELK could not open /data/VELKNJ.MDB.\r\nNot a valid password.");
    EXPECT_EQ(DaoError("", "save the note in", "").message(),
              "VELK could not save the note in the database.");
}

} // namespace
