// Export speed on real data: a search of --records employers (100,000) exported in each format
// through the export run itself (record limit, row source, per-employer mods and classes, lines,
// temporary file and rename), beside the sqlite3 shell writing the same rows and columns with
// -csv (-tabs for the tab format), the two run in turn: MB/s, records per second, the peak memory
// of the run (pages of the database read in place count in it), the ratio of the times and that
// of the processor times, which a busy machine sways less. The shell reads the rows as the export
// does (the search's rowids first, then sorted), so the ratio is the cost of the export's own work.
//
//   bench_export [--employers N] [--state ST] [--dir DIR] [--records K] [--runs R] [--only TEXT]
//
// --employers 1000000 (a search may hold a tenth of the data set), --state PM, --records 100000,
// --runs 3 (median); --only runs the exports whose name holds TEXT. The data set is built once by velk-setup,
// velk-gen and velk-load and kept.
#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "export/export_run.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/msgbox.h"
#include "support/peak_memory.h"
#include "support/real_data.h"
#include "support/sqlite_shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

using exporting::ExportFormat;
using exporting::SortOrder;

struct Options {
    bench::DataOptions data;
    int records = 100000;
    int runs = 3;
    QString only;
};

Options parse(const QStringList& args) {
    Options o;
    bool employersGiven = args.contains(QStringLiteral("--employers"));
    o.data = bench::parseOptions(
        args, "bench_export [--employers N] [--state ST] [--dir DIR] [--records K] [--runs R] [--only TEXT]",
        [&](const QString& a, const std::function<QString()>& value) {
            if (a == QLatin1String("--records"))
                o.records = std::max(1, value().toInt());
            else if (a == QLatin1String("--runs"))
                o.runs = std::max(1, value().toInt());
            else if (a == QLatin1String("--only"))
                o.only = value();
            else
                return false;
            return true;
        });
    if (!employersGiven) o.data.employers = 1000000;
    return o;
}

struct Quiet : exporting::ExportProgress {
    void started(long long) override {}
    void counted(long long) override {}
};

// Seconds of processor time (user and system) of this process, or of its finished children.
double cpuSeconds(int who) {
    rusage u{};
    ::getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One run: the time it took, and the processor time it used (less swayed by a busy machine).
struct Sample {
    double seconds = -1;
    double cpu = -1;
};

struct Timed {
    double seconds = -1;
    qint64 bytes = 0;
    long long records = 0;
    double peakMb = -1;
};

// One run of the program's export; the records and bytes in t.
Sample runProgram(const QString& out, const QString& sql, ExportFormat format, SortOrder sort,
                  const dataset::DataSet& dataSet, const QString& folder, Timed& t) {
    Quiet quiet;
    const double cpu = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    const exporting::ExportResult r =
        exporting::runExport(out, sql, {format, sort, false}, dataSet, folder, quiet);
    const Sample sample{clock.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu};
    if (r.end != exporting::ExportEnd::Completed) {
        std::fprintf(stderr, "the export did not complete\n");
        std::exit(1);
    }
    t.records = r.written;
    t.bytes = QFileInfo(out).size();
    return sample;
}

// The shell's statement for the same rows and columns: the search's rows not left out, in the
// name order, the user's own fields preferred, the newest mods and the listed classes.
QString shellQuery(const QString& where, ExportFormat format) {
    const int mods = exporting::modPairsOf(format);
    QString sql = QStringLiteral(
        "SELECT P.FILE || '-' || P.SEQUENCE, trim(P.NAME1), trim(P.NAME2), trim(P.STREET), trim(P.CITY), "
        "trim(P.ST), trim(P.ZIP) || CASE WHEN P.ZIPEXT > '!' THEN '-' || P.ZIPEXT ELSE '' END, "
        "trim(CASE WHEN P.UserPhone > '!' THEN P.UserPhone ELSE P.PHONE END), "
        "trim(CASE WHEN P.UserFax > '!' THEN P.UserFax ELSE P.FAX END), "
        "trim(CASE WHEN P.UserTitle > '!' THEN P.UserTitle ELSE P.TITLE END), "
        "trim(CASE WHEN P.UserContact > '!' THEN P.UserContact ELSE P.CONTACT END), "
        "P.SIC, P.EMPLOYEES, P.SALES, P.User1, P.User2, P.User3, "
        "(SELECT group_concat(d, ',') FROM (SELECT strftime('%m/%d/%Y', M.EXPIRE) || ',' || M.MOD AS d "
        "FROM MODS AS M WHERE M.FILE = P.FILE AND M.SEQUENCE = P.SEQUENCE "
        "ORDER BY M.EFFECTIVE DESC, M.EXPIRE DESC, M.ISSUE DESC LIMIT %1))")
                      .arg(mods);
    if (exporting::hasClasses(format))
        sql += QStringLiteral(
                   ", (SELECT group_concat(c, ',') FROM (SELECT C.CLASS || ',' || ifnull(trim(L.\"DESC\"), '') "
                   "AS c FROM CLASS AS C LEFT JOIN CLASSLIST AS L ON L.CLASS = C.CLASS "
                   "WHERE C.FILE = P.FILE AND C.SEQUENCE = P.SEQUENCE ORDER BY C.CLASS LIMIT %1))")
                   .arg(exporting::kClassPairs);
    return sql + QStringLiteral(" FROM PRIME AS P WHERE P.rowid IN (SELECT rowid FROM PRIME WHERE %1) "
                                "AND P.Omit <> 'Y' ORDER BY +P.NAMESORT, P.FILE, P.SEQUENCE")
                     .arg(where);
}

// One run of the shell; its time -1 when it failed.
Sample runShell(const QString& database, const QString& sql, ExportFormat format, const QString& out,
                Timed& t) {
    QProcess p;
    p.setStandardOutputFile(out);
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    p.start(QStandardPaths::findExecutable(QStringLiteral("sqlite3")),
            {format == ExportFormat::TabDelimited ? QStringLiteral("-tabs") : QStringLiteral("-csv"),
             QStringLiteral("-readonly"), database, sql});
    p.waitForFinished(-1);
    const Sample sample{clock.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu};
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3: %s\n", p.readAllStandardError().constData());
        return {};
    }
    t.bytes = QFileInfo(out).size();
    return sample;
}

double mbPerSecond(const Timed& t) {
    return t.seconds > 0 ? t.bytes / 1e6 / t.seconds : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o = parse(app.arguments().mid(1));
    const bench::RealData data = bench::ensureRealData(o.data.dir, o.data.state, o.data.employers, 19);
    const dataset::DataSet dataSet{data.state, dataset::defaultConnect(data.state)};
    const QString work = QDir(o.data.dir).absoluteFilePath(QStringLiteral("export-out"));
    QDir().mkpath(work);
    files::setTempDirOverride(work + QStringLiteral("/private"));
    // Data sets made before velk-setup wrote the report database's template lack it.
    if (!QFileInfo::exists(data.folder + QStringLiteral("/REPORT.MDB"))) {
        std::unique_ptr<dao::Database> t = dao::Database::create(data.folder + QStringLiteral("/REPORT.MDB"));
        dataset::createReportTables(*t);
    }
    ui::setMsgBoxHandler([](const QString& text, int, const QString&) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return int(ui::vbOK);
    });

    // The search: the first K employers by file number, in the name order a search tab opens in.
    QString last;
    {
        auto db = dao::Database::open(data.database, false, true, dataSet.connect);
        // The loader refuses some generated employers: the search stays within the record limit.
        const long long employers = db->scalar(QStringLiteral("SELECT COUNT(*) FROM PRIME")).toLongLong();
        o.records = int(std::min<long long>(o.records, employers / 10));
        last = db->scalar(QStringLiteral("SELECT FILESEQ FROM PRIME ORDER BY FILESEQ LIMIT 1 OFFSET %1")
                              .arg(o.records - 1))
                   .toString();
    }
    const QString where = QStringLiteral("FILESEQ <= '%1'").arg(last);
    const QString sql = QStringLiteral("SELECT * FROM PRIME WHERE %1 ORDER BY NAME1").arg(where);

    std::printf("data: %s, %d employers, made by velk-setup, velk-gen --seed 19 and velk-load\n",
                qPrintable(data.state), data.employers);
    std::printf("disk: %s\n", qPrintable(bench::describeDisk(data.database)));
    std::printf("search: %s (%d records); median of %d runs; shell: %s; %s\n", qPrintable(sql), o.records, o.runs,
                bench::shellAvailable() ? "sqlite3" : "not installed (apt-get install sqlite3)",
                qPrintable(bench::describeLoad()));

    struct Case {
        const char* name;
        ExportFormat format;
        SortOrder sort;
        const char* file;
        bool shell;
    };
    const Case cases[] = {
        {"comma-delimited", ExportFormat::CommaDelimited, SortOrder::Name, "EXPORT.CSV", true},
        {"tab-delimited", ExportFormat::TabDelimited, SortOrder::Name, "EXPORT.TXT", true},
        {"limited fields", ExportFormat::LimitedFields, SortOrder::Name, "LIMITED.CSV", true},
        {"fixed length", ExportFormat::FixedLength, SortOrder::Name, "FIXED.TXT", false},
        {"comma, ZIP order", ExportFormat::CommaDelimited, SortOrder::Zip, "ZIP.CSV", false},
        {"comma, expiry order", ExportFormat::CommaDelimited, SortOrder::Expiry, "EXPIRY.CSV", false},
    };
    // One untimed run first, so the program and the shell both find the data in the page cache.
    Timed warm;
    runProgram(work + QStringLiteral("/WARM.CSV"), sql, ExportFormat::CommaDelimited, SortOrder::Name,
               dataSet, data.folder, warm);
    std::printf(
        "\n| export | records | MB | program s | records/s | program MB/s | peak MB | shell s | shell MB/s "
        "| program / shell | program CPU s | shell CPU s | CPU program / shell |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    const bool shellThere = bench::shellAvailable();
    for (const Case& c : cases) {
        if (!QLatin1String(c.name).contains(o.only, Qt::CaseInsensitive)) continue;
        Timed program, shell;
        std::vector<double> programTimes, programCpu, shellTimes, shellCpu;
        bench::resetPeak();
        // In turn, so that a change in the machine's load falls on both alike.
        for (int i = 0; i < o.runs; ++i) {
            const Sample p = runProgram(work + u'/' + QLatin1String(c.file), sql, c.format, c.sort, dataSet,
                                        data.folder, program);
            programTimes.push_back(p.seconds);
            programCpu.push_back(p.cpu);
            if (!c.shell || !shellThere) continue;
            const Sample s = runShell(data.database, shellQuery(where, c.format), c.format,
                                      work + QStringLiteral("/shell-") + QLatin1String(c.file), shell);
            shellTimes.push_back(s.seconds);
            shellCpu.push_back(s.cpu);
        }
        program.peakMb = bench::peakMegabytes();
        program.seconds = bench::median(programTimes);
        const double cpu = bench::median(programCpu);
        double shellCpuMedian = -1;
        if (!shellTimes.empty() && *std::min_element(shellTimes.begin(), shellTimes.end()) > 0) {
            shell.seconds = bench::median(shellTimes);
            shellCpuMedian = bench::median(shellCpu);
        }
        std::printf("| %s | %lld | %.1f | %.2f | %.0f | %.1f | %.0f |", c.name, program.records, program.bytes / 1e6,
                    program.seconds, program.seconds > 0 ? program.records / program.seconds : 0,
                    mbPerSecond(program), program.peakMb);
        if (shell.seconds > 0)
            std::printf(" %.2f | %.1f | %.2f | %.2f | %.2f | %.2f |\n", shell.seconds, mbPerSecond(shell),
                        program.seconds / shell.seconds, cpu, shellCpuMedian, cpu / shellCpuMedian);
        else
            std::printf(" | | | %.2f | | |\n", cpu);
        std::fflush(stdout);
    }
    std::printf("\n%s at the end\n", qPrintable(bench::describeLoad()));
    return 0;
}
