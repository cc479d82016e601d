// Times five typical searches on a large data set: the first screen of rows in name order and the
// full count, as the search tab shows them, with the query plan of each search.
//
//   bench_search [employers=500000] [database path]
// BENCH_NAME1_INDEX=1 adds an index on PRIME.NAME1 first (an experiment on a copy of the data set).
// Without a path the data set is generated into a temporary folder (about 1.5 million class rows).
// An existing database at the given path is reused, so repeated runs skip the generation.
#include "loading/state_schema.h"
#include "platform/dao/dao.h"
#include "platform/dao/jet_sql.h"
#include "search/search_sort.h"
#include "search/sql_builder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kScreenRows = 30;

SQLPARAMETER lookup(const char* code, const char* from, const char* thru, bool exclude = false) {
    SQLPARAMETER p;
    p.SQLEXPR = QString::fromLatin1(code);
    p.SQLFIELD = p.SQLEXPR;
    p.SQLFROM = QString::fromLatin1(from);
    p.SQLTHRU = QString::fromLatin1(thru);
    p.SQLEXCLUDE = exclude;
    return p;
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Employers with one to five classes each (three on average), written straight through SQLite.
void generate(const QString& path, int employers) {
    auto db = dao::Database::create(path);
    loading::createStateTables(*db, QStringLiteral("PA"));
    sqlite3* h = db->handle();
    std::mt19937 rnd(20240601);
    auto pick = [&](int n) { return int(rnd() % unsigned(n)); };
    static const char* const words[] = {
        "ACME",   "ALLIED",   "BAKER",   "BLUE",   "CENTRAL", "DELTA",    "EAGLE", "FIRST", "GENERAL",
        "HARBOR", "KEYSTONE", "LIBERTY", "MAIN",   "MODERN",  "NATIONAL", "OAK",   "PENN",  "QUALITY",
        "RIVER",  "SUMMIT",   "TRI",     "UNITED", "VALLEY",  "WESTERN",  "YORK",  "ZENITH"};
    static const char* const kinds[] = {"TOOLS",    "FARMS",    "DINER",  "TRUCKING", "BAKERY",   "PLUMBING",
                                        "SERVICES", "BUILDERS", "MOTORS", "PRINTING", "CLEANERS", "STEEL"};
    std::vector<QByteArray> classCodes;
    for (int i = 0; i < 600; ++i)
        classCodes.push_back(QByteArray::number(1000 + i * 15).rightJustified(4, '0'));
    classCodes[0] = "8810";
    classCodes[1] = "5183";
    classCodes[2] = "9079";

    check(sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr), h, "begin");
    sqlite3_stmt* prime = nullptr;
    sqlite3_stmt* cls = nullptr;
    check(
        sqlite3_prepare_v2(
            h,
            "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, ZIP, COUNTY, SIC, AREA, "
            "EMPLOYEES, SALES, FILESEQ, MOD, NJAR, EXPIRE, ISSUE1, User1, User2, User3, Omit) "
            "VALUES ('PA', ?1, '01', ?2, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, 0, ?11, ?12, '', '', '', ' ')",
            -1, &prime, nullptr),
        h, "prepare PRIME");
    check(sqlite3_prepare_v2(h,
                             "INSERT INTO CLASS (FILE, SEQUENCE, CLASS, CLASSDESC, FILESEQ, LOSSCOST) "
                             "VALUES (?1, '01', ?2, 'CLASS DESCRIPTION', ?3, 1.25)",
                             -1, &cls, nullptr),
          h, "prepare CLASS");
    long long classRows = 0;
    for (int i = 0; i < employers; ++i) {
        const QByteArray file = QByteArray::number(i + 1).rightJustified(7, '0');
        const QByteArray fileseq = file + "01";
        const QByteArray name = QByteArray(words[pick(26)]) + ' ' + words[pick(26)] + ' ' + kinds[pick(12)] +
                                ' ' + QByteArray::number(pick(1000));
        const QByteArray zip = QByteArray::number(15000 + pick(4700));
        const QByteArray county = QByteArray::number(1 + pick(67)).rightJustified(3, '0');
        const QByteArray sic = QByteArray::number(100 + pick(9800)).rightJustified(4, '0');
        const QByteArray area = QByteArray::number(200 + pick(30) * 23);
        const QByteArray emp = QByteArray::number(pick(10));
        const QByteArray sales = QByteArray::number(pick(10));
        const int special = pick(50);
        const double mod = special == 0   ? 9.884
                           : special == 1 ? 9.885
                           : special == 2 ? 9.886
                                          : (500 + pick(1500)) / 1000.0;
        const QByteArray expire = QStringLiteral("%1-%2-%3")
                                      .arg(2018 + pick(7))
                                      .arg(1 + pick(12), 2, 10, QLatin1Char('0'))
                                      .arg(1 + pick(28), 2, 10, QLatin1Char('0'))
                                      .toLatin1();
        sqlite3_bind_text(prime, 1, file.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 3, zip.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 4, county.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 5, sic.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 6, area.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 7, emp.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 8, sales.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(prime, 9, fileseq.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(prime, 10, mod);
        sqlite3_bind_text(prime, 11, expire.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(prime, 12, 2015 + pick(10));
        check(sqlite3_step(prime), h, "insert PRIME");
        sqlite3_reset(prime);
        const int n = 1 + pick(5);
        std::vector<int> used;
        for (int k = 0; k < n; ++k) {
            const int c = pick(int(classCodes.size()));
            if (std::find(used.begin(), used.end(), c) != used.end()) continue;
            used.push_back(c);
            sqlite3_bind_text(cls, 1, file.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(cls, 2, classCodes[size_t(c)].constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(cls, 3, fileseq.constData(), -1, SQLITE_TRANSIENT);
            check(sqlite3_step(cls), h, "insert CLASS");
            sqlite3_reset(cls);
            ++classRows;
        }
    }
    sqlite3_finalize(prime);
    sqlite3_finalize(cls);
    check(sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr), h, "commit");
    check(sqlite3_exec(h, "ANALYZE", nullptr, nullptr, nullptr), h, "analyze");
    std::printf("generated %d employers, %lld class rows\n", employers, classRows);
}

QStringList queryPlan(sqlite3* h, const QString& jetSql) {
    QStringList plan;
    const QByteArray sql = ("EXPLAIN QUERY PLAN " + dao::translateJetSql(jetSql)).toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        return {QString::fromUtf8(sqlite3_errmsg(h))};
    while (sqlite3_step(st) == SQLITE_ROW)
        plan << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
    sqlite3_finalize(st);
    return plan;
}

struct Timing {
    double firstScreenMs;
    double countMs;
    long long count;
};

// Opens the search as the search tab does (sorted by name), reads a screen of rows, then the count.
Timing runOnce(dao::Database& db, const QString& sql) {
    QElapsedTimer t;
    t.start();
    auto rs = db.OpenRecordset(sql, dao::RecordsetType::Dynaset);
    for (int i = 0; i < kScreenRows && !rs->atEOF(); ++i, rs->MoveNext())
        (void)rs->value(QStringLiteral("NAME1"));
    const double screen = t.nsecsElapsed() / 1e6;
    if (!rs->atEOF() || rs->RecordCount() > 0) {
        rs->MoveLast();
        rs->MoveFirst();
    }
    const long long count = rs->RecordCount();
    return {screen, t.nsecsElapsed() / 1e6, count};
}

double stepAll(sqlite3* h, const QString& jetSql, int limit, long long* value = nullptr) {
    QElapsedTimer t;
    t.start();
    const QByteArray sql = dao::translateJetSql(jetSql).toUtf8();
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr), h, "prepare");
    for (int i = 0; (limit < 0 || i < limit) && sqlite3_step(st) == SQLITE_ROW; ++i)
        if (value) *value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int employers = argc > 1 ? std::max(1, atoi(argv[1])) : 500000;
    QTemporaryDir tmp;
    const QString path =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.filePath(QStringLiteral("VELKPA.MDB"));
    if (!QFile::exists(path)) {
        QElapsedTimer g;
        g.start();
        generate(path, employers);
        std::printf("generation: %.1f s\n", g.elapsed() / 1000.0);
    }
    auto db = dao::Database::open(path);
    if (qEnvironmentVariableIsSet("BENCH_NAME1_INDEX")) {
        // Experiment: what an index on NAME1 would give the name order of every search.
        db->execute(QStringLiteral("CREATE INDEX IF NOT EXISTS bench_NAME1 ON PRIME (NAME1)"));
        std::printf("with an index on PRIME.NAME1\n");
    }

    const struct {
        const char* name;
        SqlParameters lookups;
    } searches[] = {
        {"name range", {lookup("NAME1", "M", "MZ")}},
        {"expiry range", {lookup("EXPIRE", "0101", "0331")}},
        {"class list",
         {lookup("CLASS", "8810", "8810"), lookup("CLASS", "5183", "5183"), lookup("CLASS", "9079", "9079")}},
        {"MOD range with county", {lookup("MOD", "0.800", "0.900"), lookup("COUNTY", "001", "005")}},
        {"excluded SIC list",
         {lookup("SIC", "5800", "5899", true), lookup("SIC", "1500", "1799", true),
          lookup("SIC", "7300", "7399", true)}},
    };
    bool allUnder = true;
    for (const auto& s : searches) {
        const QString sql = search::sortedSearchSQL(search::buildSearchSQL(s.lookups), search::kColName);
        std::vector<Timing> runs;
        for (int i = 0; i < 5; ++i)
            runs.push_back(runOnce(*db, sql));
        std::sort(runs.begin(), runs.end(),
                  [](const Timing& a, const Timing& b) { return a.countMs < b.countMs; });
        const Timing& median = runs[runs.size() / 2];
        allUnder = allUnder && median.countMs < 200.0;
        std::printf("\n%-24s rows %8lld   first screen %7.1f ms   with full count %7.1f ms (median of 5)\n",
                    s.name, median.count, median.firstScreenMs, median.countMs);
        const QString where = search::buildSearchSQL(s.lookups);
        long long n = 0;
        const double engineScreen = stepAll(db->handle(), sql, kScreenRows);
        const double engineCount = stepAll(db->handle(), "SELECT COUNT(*) FROM (" + where + ")", 1, &n);
        std::printf("%-24s engine alone: first screen %7.1f ms, COUNT(*) %7.1f ms (%lld rows)\n", "",
                    engineScreen, engineCount, n);
        std::printf("  %s\n", qPrintable(sql));
        for (const QString& line : queryPlan(db->handle(), sql))
            std::printf("  plan: %s\n", qPrintable(line));
    }
    std::printf("\n%s\n", allUnder ? "every search under 200 ms" : "some searches over 200 ms");
    return 0;
}
