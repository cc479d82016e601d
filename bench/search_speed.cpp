// Search speed on real data: each search of the list form's search tabs, on a data set built by
// velk-setup, velk-gen and velk-load, timed through the program's own path (the search tab's
// recordset, opened on the search's terms: first screen of rows, then the full count) beside the
// sqlite3 shell running the search's SQL as it stands (the first 30 rows with LIMIT, then
// COUNT(*)), the two taking turns run by run, with the query plans. Each search is also timed as
// the first one of a fresh process (the first search after the program starts: nothing of the
// file cached by the process yet).
//
//   bench_search_speed [--employers N] [--state ST] [--dir DIR] [--runs K] [--only TEXT]
//                      [--mmap BYTES] [--index SPEC]... [--analyze] [--save FILE] [--before FILE]
//
// --employers 500000, --state PM (the data set with merit classes), --dir build/bench-data and
// --runs 5 by default. The data set is built once and kept.
// Experiments with candidate means, on a copy of the database (the cached one is never changed):
//   --index ZIP | MOD | NAME1 | ... a plain index on that field of PRIME; --index cover a covering
//   index led by NAME1 over every field a search tests; --analyze writes sqlite_stat1.
//   --mmap BYTES sets PRAGMA mmap_size on the program's connection.
// --save FILE writes the figures; --before FILE shows earlier saved figures beside these.
#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/dao/query_terms.h"
#include "search/search_sort.h"
#include "search/sql_builder.h"
#include "support/real_data.h"
#include "support/sqlite_shell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kScreenRows = 30;

SQLPARAMETER lookup(const char* code, const char* from, const char* thru = "", bool exclude = false) {
    SQLPARAMETER p;
    p.SQLEXPR = QString::fromLatin1(code);
    p.SQLFIELD = p.SQLEXPR;
    p.SQLFROM = QString::fromLatin1(from);
    p.SQLTHRU = QString::fromLatin1(thru);
    p.SQLEXCLUDE = exclude;
    return p;
}

struct Search {
    const char* name;
    SqlParameters lookups;
    int column = search::kColName; // the sort: the search tab opens in name order
};

// Ranges chosen for the generated releases: 26 counties (odd codes 001-051), ZIP codes in 26
// three-digit areas, 44 SIC codes, 34 class codes, MOD 0.600-1.800 and 5% of each merit class.
std::vector<Search> searches() {
    return {
        {"name range", {lookup("NAME1", "M", "MZ")}},
        {"expiry range", {lookup("EXPIRE", "0101", "0331")}},
        {"expiry over the year end", {lookup("EXPIRE", "1101", "0228")}},
        {"one class", {lookup("CLASS", "8810", "8810")}},
        {"three classes",
         {lookup("CLASS", "8810", "8810"), lookup("CLASS", "5183", "5183"), lookup("CLASS", "9079", "9079")}},
        {"excluded class list",
         {lookup("CLASS", "8810", "8810", true), lookup("CLASS", "5183", "5183", true),
          lookup("CLASS", "9079", "9079", true)}},
        {"MOD range", {lookup("MOD", "0.800", "0.900")}},
        {"MOD range with counties", {lookup("MOD", "0.800", "0.900"), lookup("COUNTY", "001", "005")}},
        {"merit class", {lookup("MERIT", "Credit")}},
        {"one ZIP range", {lookup("ZIP", "19000", "19099")}},
        {"two ZIP ranges", {lookup("ZIP", "19000", "19099"), lookup("ZIP", "17300", "17399")}},
        {"SIC list",
         {lookup("SIC", "5800", "5899"), lookup("SIC", "1500", "1799"), lookup("SIC", "7300", "7399")}},
        {"excluded SIC list",
         {lookup("SIC", "5800", "5899", true), lookup("SIC", "1500", "1799", true),
          lookup("SIC", "7300", "7399", true)}},
        {"county list", {lookup("COUNTY", "001", "005"), lookup("COUNTY", "010", "010")}},
        {"counties, class out, expiry",
         {lookup("COUNTY", "001", "005"), lookup("COUNTY", "010", "010"),
          lookup("CLASS", "8810", "8810", true), lookup("EXPIRE", "0101", "0331")}},
        {"ZIP range by Expires", {lookup("ZIP", "19000", "19099")}, search::kColExpires},
    };
}

// The covering index of the experiments: name order first, then every field a lookup can test.
const char* const kCoverColumns = "NAME1, FILE, FILESEQ, EXPIRE, MOD, ZIP, COUNTY, SIC, AREA, EMPLOYEES, SALES, "
                                  "NJAR, ISSUE1, User1, User2, User3";

struct Options {
    bench::DataOptions data;
    int runs = 5;
    QString only;
    QStringList indexes;
    bool analyze = false;
    QString save, before;
    int child = -1; // run search number child once, on database, and print the time: a fresh process
    QString database;
};

Options parse(const QStringList& args) {
    Options o;
    o.data = bench::parseOptions(
        args,
        "bench_search_speed [--employers N] [--state ST] [--dir DIR] [--runs K] [--only TEXT]\n"
        "       [--mmap BYTES] [--index FIELD|cover]... [--analyze] [--save FILE] [--before FILE]",
        [&](const QString& a, const std::function<QString()>& value) {
            if (a == QLatin1String("--runs"))
                o.runs = std::max(1, value().toInt());
            else if (a == QLatin1String("--only"))
                o.only = value();
            else if (a == QLatin1String("--index"))
                o.indexes << value();
            else if (a == QLatin1String("--analyze"))
                o.analyze = true;
            else if (a == QLatin1String("--save"))
                o.save = value();
            else if (a == QLatin1String("--before"))
                o.before = value();
            else if (a == QLatin1String("--child"))
                o.child = value().toInt();
            else if (a == QLatin1String("--database"))
                o.database = value();
            else
                return false;
            return true;
        });
    return o;
}

// The experiment's changes on a copy of the database; the copy is made again for every run.
QString prepareVariant(const bench::RealData& data, const Options& o) {
    if (o.indexes.isEmpty() && !o.analyze) return data.database;
    QStringList parts = o.indexes;
    if (o.analyze) parts << QStringLiteral("analyze");
    const QString name = QStringLiteral("variant-%1-%2").arg(QFileInfo(data.folder).fileName(), parts.join(u'+'));
    QFile::remove(QDir(o.data.dir).filePath(name + u'/' + QFileInfo(data.database).fileName()));
    const QString copy = bench::variantCopy(data, o.data.dir, name);
    auto db = dao::Database::open(copy, false, false, dataset::defaultConnect(data.state));
    for (const QString& spec : o.indexes) {
        const QString columns = spec == QLatin1String("cover") ? QString::fromLatin1(kCoverColumns) : spec;
        QElapsedTimer t;
        t.start();
        QString name = spec;
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
        db->execute(QStringLiteral("CREATE INDEX bench_%1 ON PRIME (%2)").arg(name, columns));
        std::printf("experiment: index on PRIME (%s) made in %.1f s\n", qPrintable(columns), t.elapsed() / 1000.0);
    }
    if (o.analyze) {
        QElapsedTimer t;
        t.start();
        db->execute(QStringLiteral("ANALYZE"));
        std::printf("experiment: ANALYZE in %.1f s\n", t.elapsed() / 1000.0);
    }
    db->close();
    return copy;
}

struct Timing {
    double screenMs = 0, totalMs = 0;
    long long count = 0;
};

// The search's query as the search tab opens it: its terms, sorted by the column.
dao::QueryTerms searchQuery(const Search& s) {
    return *search::sortedSearchTerms(search::buildSearchTerms(s.lookups), s.column);
}

// The search tab's path: the sorted search opened as a dynaset, a screen of its grid columns read,
// then the last row reached and the first made current again, which makes the count exact.
Timing runProgram(dao::Database& db, const dao::QueryTerms& query) {
    static const char* const fields[] = {"FILE", "SEQUENCE", "NAME1", "EXPIRE", "Omit"};
    Timing t;
    QElapsedTimer clock;
    clock.start();
    auto rs = db.OpenRecordset(query, dao::RecordsetType::Dynaset);
    for (int r = 0; r < kScreenRows && !rs->atEOF(); ++r) {
        rs->setAbsolutePosition(r);
        if (rs->atEOF()) break;
        for (const char* f : fields)
            (void)rs->value(QLatin1String(f));
    }
    t.screenMs = clock.nsecsElapsed() / 1e6;
    if (!(rs->atBOF() && rs->atEOF())) {
        rs->MoveLast();
        rs->MoveFirst();
    }
    t.count = rs->RecordCount();
    t.totalMs = clock.nsecsElapsed() / 1e6;
    return t;
}

QHash<QString, double> readSaved(const QString& path) {
    QHash<QString, double> saved;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return saved;
    QTextStream in(&f);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList p = line.split(u'\t');
        if (p.size() >= 2) saved.insert(p[0], p[1].toDouble());
    }
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options o = parse(app.arguments().mid(1));
    if (o.child >= 0) {
        const Search s = searches().at(size_t(o.child));
        auto db = dao::Database::open(o.database, false, false, dataset::defaultConnect(o.data.state));
        if (o.data.mmap >= 0) db->execute(QStringLiteral("PRAGMA mmap_size=%1").arg(o.data.mmap));
        std::printf("%.1f\n", runProgram(*db, searchQuery(s)).totalMs);
        return 0;
    }
    const bench::RealData data = bench::ensureRealData(o.data.dir, o.data.state, o.data.employers, 19);
    const QString database = prepareVariant(data, o);
    const QHash<QString, double> before = o.before.isEmpty() ? QHash<QString, double>() : readSaved(o.before);

    std::printf("data: %s, %d employers, made by velk-setup, velk-gen --seed 19 and velk-load\n",
                qPrintable(data.state), data.employers);
    std::printf("disk: %s\n", qPrintable(bench::describeDisk(database)));
    std::printf("SQLite %s (program), shell: %s; median of %d runs; ms; %s\n", sqlite3_libversion(),
                bench::shellAvailable() ? "sqlite3" : "not installed (apt-get install sqlite3)", o.runs,
                qPrintable(bench::describeLoad()));
    if (o.data.mmap >= 0) std::printf("experiment: PRAGMA mmap_size=%lld on the program's connection\n", o.data.mmap);

    auto db = dao::Database::open(database, false, false, dataset::defaultConnect(data.state));
    if (o.data.mmap >= 0) db->execute(QStringLiteral("PRAGMA mmap_size=%1").arg(o.data.mmap));

    struct Row {
        QString name;
        long long count;
        Timing program;
        bench::ShellRun shell;
        double fresh; // the same, as the first search of a process
    };
    std::vector<Row> rows;
    const std::vector<Search> all = searches();
    for (size_t index = 0; index < all.size(); ++index) {
        const Search& s = all[index];
        if (!o.only.isEmpty() && !QString::fromLatin1(s.name).contains(o.only, Qt::CaseInsensitive)) continue;
        const QString where = search::buildWhereClause(s.lookups);
        const dao::QueryTerms query = searchQuery(s);
        const QString& sql = query.text;
        const QString countSql =
            QStringLiteral("SELECT COUNT(*) FROM PRIME") + (where.isEmpty() ? QString() : " WHERE " + where);

        // The search as the first one after the program starts: in a process of its own.
        double fresh = -1;
        {
            QProcess child;
            QStringList args{QStringLiteral("--child"), QString::number(index),
                             QStringLiteral("--database"), database, QStringLiteral("--state"), o.data.state};
            if (o.data.mmap >= 0) args << QStringLiteral("--mmap") << QString::number(o.data.mmap);
            child.start(QCoreApplication::applicationFilePath(), args);
            if (child.waitForFinished(-1)) fresh = QString::fromUtf8(child.readAllStandardOutput()).trimmed().toDouble();
        }
        // Program and shell take turns, so that both meet the machine in the same state.
        std::vector<double> screen, total, shellScreen, shellCount;
        Timing last;
        bench::ShellRun shell;
        for (int i = 0; i < o.runs; ++i) {
            last = runProgram(*db, query);
            screen.push_back(last.screenMs);
            total.push_back(last.totalMs);
            const bench::ShellRun one = bench::runShell(database, sql, countSql, 1, i == 0);
            shellScreen.push_back(one.screenMs);
            shellCount.push_back(one.countMs);
            if (i == 0) shell = one;
        }
        shell.screenMs = bench::median(shellScreen);
        shell.countMs = bench::median(shellCount);
        Row r{QString::fromLatin1(s.name),
              last.count,
              {bench::median(screen), bench::median(total), last.count},
              shell,
              fresh};
        std::printf("\n%-26s %7lld rows | program: first screen %6.1f, with full count %6.1f", s.name, r.count,
                    r.program.screenMs, r.program.totalMs);
        std::printf(" (first after start %6.1f)", r.fresh);
        if (before.contains(r.name)) std::printf(" (before %6.1f)", before.value(r.name));
        std::printf(" | shell: LIMIT 30 %6.1f, COUNT(*) %6.1f", r.shell.screenMs, r.shell.countMs);
        if (r.shell.count >= 0 && r.shell.count != r.count) std::printf("  COUNT DIFFERS: %lld", r.shell.count);
        std::printf("\n  %s\n", qPrintable(sql));
        std::printf("  plan, LIMIT 30: %s\n", qPrintable(r.shell.screenPlan.join(QStringLiteral("; "))));
        std::printf("  plan, COUNT(*): %s\n", qPrintable(r.shell.countPlan.join(QStringLiteral("; "))));
        std::fflush(stdout);
        rows.push_back(r);
    }

    std::printf(
        "\n| search | rows | program: screen + count | first after start |%s shell: LIMIT 30 | shell: "
        "COUNT(*) | shell: both |\n",
        before.isEmpty() ? "" : " before |");
    std::printf("|---|---:|---:|---:|%s---:|---:|---:|\n", before.isEmpty() ? "" : "---:|");
    int over = 0, slower = 0;
    for (const Row& r : rows) {
        const double shellBoth = r.shell.screenMs + r.shell.countMs;
        std::printf("| %s | %lld | %.0f | %.0f |", qPrintable(r.name), r.count, r.program.totalMs, r.fresh);
        if (!before.isEmpty()) std::printf(" %.0f |", before.value(r.name, -1));
        std::printf(" %.0f | %.0f | %.0f |\n", r.shell.screenMs, r.shell.countMs, shellBoth);
        over += r.program.totalMs >= 200 ? 1 : 0;
        slower += r.program.totalMs > shellBoth ? 1 : 0;
    }
    std::printf(
        "\n%d of %zu searches at or over 200 ms (first screen with full count), %d slower than the shell's "
        "LIMIT 30 and COUNT(*); %s at the end\n",
        over, rows.size(), slower, qPrintable(bench::describeLoad()));

    if (!o.save.isEmpty()) {
        QFile f(o.save);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            QTextStream out(&f);
            for (const Row& r : rows)
                out << r.name << '\t' << r.program.totalMs << '\t' << r.program.screenMs << '\t' << r.count << '\n';
        }
    }
    return 0;
}
