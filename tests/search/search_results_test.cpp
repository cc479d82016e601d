// Each search of the list gives, as the search tab opens it (its terms), the rows, count and order
// that its SQL gives the engine read as it stands: on a generated release loaded by the loaders,
// with Nulls, a key in another case, a date in another form and a Null in a class list of its own.
#include "dataset/data_set.h"
#include "generator/release_generator.h"
#include "loading/load_sequence.h"
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/query_terms.h"
#include "platform/dao/statement.h"
#include "search/search_sort.h"
#include "search/sql_builder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// "CODE FROM THRU", "!CODE ..." for an excluded lookup; THRU may be left out.
SqlParameters lookups(const QStringList& specs) {
    SqlParameters out;
    for (const QString& spec : specs) {
        const QStringList f = spec.split(u' ');
        SQLPARAMETER p;
        p.SQLEXCLUDE = f[0].startsWith(u'!');
        p.SQLEXPR = p.SQLFIELD = p.SQLEXCLUDE ? f[0].mid(1) : f[0];
        p.SQLFROM = f.value(1);
        p.SQLTHRU = f.value(2);
        out << p;
    }
    return out;
}

class SearchResults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        const QString db = QDir(dir->path()).filePath(dataset::stateDatabaseName("PM"));
        auto setup = dao::Database::create(db, QStringLiteral("x"));
        loading::createStateTables(*setup, QStringLiteral("PM"));
        setup.reset();
        generator::GeneratorOptions o;
        o.state = QStringLiteral("PM");
        o.employers = 2500;
        o.seed = 11;
        ASSERT_TRUE(generator::generateRelease(o, dir->path()));
        database = dao::Database::open(db, false, false, QStringLiteral(";PWD=x")).release();
        loading::LoadContext ctx;
        ctx.db = database;
        ctx.folder = dir->path();
        ctx.state = QStringLiteral("PM");
        ASSERT_EQ(loading::runLoadSequence(ctx, loading::measureReleaseFiles(dir->path(), "PM")),
                  loading::LoadOutcome::Completed);
        for (const char* sql :
             {"INSERT INTO PRIME (FILE, SEQUENCE, NAME1, ZIP, COUNTY, SIC, MOD) "
              "VALUES ('N1', '01', 'M NULLS', '19050', '003', '5812', 0.85)",
              "INSERT INTO PRIME (FILE, SEQUENCE, NAME1, FILESEQ, ZIP, EXPIRE) "
              "VALUES ('n2', '01', 'M CASE', 'n201', '19060', '2001-02-15')",
              "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, FILESEQ) VALUES ('N2', '01', '8810', 'N201')",
              "INSERT INTO PRIME (FILE, SEQUENCE, NAME1, FILESEQ, ZIP, EXPIRE) "
              "VALUES ('N3', '01', 'M OTHER DATE', 'N301', '19070', '12/31/99')",
              "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, FILESEQ) VALUES ('N4', '01', '0001', NULL)",
              "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, FILESEQ) SELECT FILE, SEQUENCE, '0001', FILESEQ "
              "FROM PRIME WHERE COUNTY = '003' AND NAME1 > 'M'"})
            database->execute(sql);
    }
    static void TearDownTestSuite() {
        delete database;
        delete dir;
    }
    // Each search, as the search tab opens it, against its SQL read by the engine.
    static void checkEverySearch();
    static QTemporaryDir* dir;
    static dao::Database* database;
};

QTemporaryDir* SearchResults::dir = nullptr;
dao::Database* SearchResults::database = nullptr;

void SearchResults::checkEverySearch() {
    const struct {
        QStringList lookups;
        int column;
        bool none = false; // selects nothing
    } searches[] = {
        {{"NAME1 M MZ"}, search::kColName},
        {{"EXPIRE 0101 0331"}, search::kColName},
        {{"EXPIRE 1101 0228"}, search::kColExpires},
        {{"CLASS 8810 8810"}, search::kColName},
        {{"CLASS 8810 8810", "CLASS 5183 5183", "CLASS 9079 9079"}, search::kColFile},
        {{"!CLASS 8810 8810", "!CLASS 5183 5183", "!CLASS 9079 9079"}, search::kColName},
        {{"MOD 0.800 0.900"}, search::kColName},
        {{"MOD 0.800 0.900", "COUNTY 001 005"}, search::kColExpires},
        {{"MERIT Credit"}, search::kColName},
        {{"ZIP 19000 19099"}, search::kColName},
        {{"ZIP 19000 19099", "ZIP 17300 17399"}, search::kColFile},
        {{"SIC 5800 5899", "SIC 1500 1799", "SIC 7300 7399"}, search::kColName},
        {{"!SIC 5800 5899", "!SIC 1500 1799", "!SIC 7300 7399"}, search::kColExpires},
        {{"COUNTY 001 005", "COUNTY 010 010"}, search::kColName},
        {{"ZIP 19000 19099"}, search::kColExpires},
        {{"NEWREC"}, search::kColFile},
        {{"COUNTY 001 005", "COUNTY 010 010", "!CLASS 8810 8810", "EXPIRE 0101 0331"}, search::kColName},
        {{"CLASS 8810 8810", "!CLASS 5183 5183", "EXPIRE 1101 0228"}, search::kColExpires},
        {{"CLASS 0001 0001"}, search::kColFile},
        {{"!CLASS 0001 0001"}, search::kColName, true}, // a Null in the list: NOT IN selects nothing
    };
    for (const auto& s : searches) {
        const dao::QueryTerms terms =
            *search::sortedSearchTerms(search::buildSearchTerms(lookups(s.lookups)), s.column);
        const QString& sql = terms.text;
        SCOPED_TRACE(sql.toStdString());
        // The row's sort key and identity, as the engine reads the SQL.
        QStringList keys, rows;
        QString plain = dao::translateJetSql(sql);
        plain.replace("SELECT *", "SELECT MONTH(EXPIRE), DAY(EXPIRE), NAME1, FILE, FILE || SEQUENCE");
        dao::Statement st(*database, plain);
        const int key = s.column == search::kColName ? 2 : s.column == search::kColFile ? 3 : -1;
        while (st.step()) {
            keys << (key >= 0 ? st.column(key).toString()
                              : st.column(0).toString() + "/" + st.column(1).toString() + " " + st.column(2).toString());
            rows << st.column(4).toString();
        }
        if (s.none)
            EXPECT_TRUE(rows.isEmpty());
        else
            ASSERT_GT(rows.size(), 5);

        auto rs = database->OpenRecordset(terms, dao::RecordsetType::Dynaset);
        if (!rs->atEOF()) rs->MoveLast();
        EXPECT_EQ(rs->RecordCount(), rows.size());
        QStringList gotKeys, gotRows;
        for (rs->MoveFirst(); !rs->atEOF(); rs->MoveNext()) {
            const QDate d = rs->value("EXPIRE").toDate();
            gotKeys << (key == 2   ? rs->text("NAME1")
                        : key == 3 ? rs->text("FILE")
                                   : (d.isValid() ? QString::number(d.month()) + "/" + QString::number(d.day()) : "/") +
                                         " " + rs->text("NAME1"));
            gotRows << rs->text("FILE") + rs->text("SEQUENCE");
        }
        EXPECT_EQ(gotKeys, keys);
        std::sort(rows.begin(), rows.end());
        std::sort(gotRows.begin(), gotRows.end());
        EXPECT_EQ(gotRows, rows);
    }
}

TEST_F(SearchResults, EverySearchAsItsSqlStands) {
    checkEverySearch();
}

TEST_F(SearchResults, ADataSetMadeBeforeTheSearchIndexReadsAlike) {
    database->execute("DROP INDEX PRIME__KEYSEARCH");
    checkEverySearch();
}

} // namespace
