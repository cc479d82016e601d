#include "support/sqlite_shell.h"

#include "platform/dao/jet_sql.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace bench {

namespace {

const char* const kShell = "sqlite3";

QString runScript(const QString& database, const QString& script) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QLatin1String(kShell)), {QStringLiteral("-batch"), database});
    if (!p.waitForStarted()) return {};
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The lines of the plan that follows a "QUERY PLAN" heading, tree marks removed.
QStringList planLines(const QStringList& lines, int from) {
    QStringList plan;
    for (int i = from; i < lines.size() && !lines[i].startsWith(QLatin1String("@@")); ++i) {
        if (lines[i] == QLatin1String("QUERY PLAN") || lines[i].isEmpty()) continue;
        QString l = lines[i];
        l.remove(QRegularExpression(QStringLiteral("^[|`\\- ]+")));
        plan << l;
    }
    return plan;
}

} // namespace

double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool shellAvailable() {
    return !QStandardPaths::findExecutable(QLatin1String(kShell)).isEmpty();
}

QString shellSql(const QString& jetSql) {
    QString sql = dao::translateJetSql(jetSql);
    // The stored dates are ISO text: month and day are where the text puts them.
    sql.replace(QStringLiteral("MONTH(EXPIRE)"), QStringLiteral("CAST(substr(EXPIRE, 6, 2) AS INTEGER)"));
    sql.replace(QStringLiteral("DAY(EXPIRE)"), QStringLiteral("CAST(substr(EXPIRE, 9, 2) AS INTEGER)"));
    return sql;
}

ShellRun runShell(const QString& database, const QString& orderedSql, const QString& countSql, int runs,
                  bool plans) {
    ShellRun r;
    if (!shellAvailable()) return r;
    const QString screen = shellSql(orderedSql) + QStringLiteral(" LIMIT 30;\n");
    const QString count = shellSql(countSql) + QStringLiteral(";\n");
    QString script = QStringLiteral(".timer on\n.output /dev/null\n");
    for (int i = 0; i < runs; ++i)
        script += screen;
    for (int i = 0; i < runs; ++i)
        script += count;
    script += QStringLiteral(".output stdout\n.timer off\n.print @@count\n") + count;
    if (plans) {
        script += QStringLiteral(".print @@screen\nEXPLAIN QUERY PLAN ") + screen;
        script += QStringLiteral(".print @@countplan\nEXPLAIN QUERY PLAN ") + count;
    }
    const QStringList lines = runScript(database, script).split(u'\n');
    static const QRegularExpression timer(QStringLiteral("^Run Time: real ([0-9.]+)"));
    std::vector<double> times;
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = timer.match(lines[i]);
        if (m.hasMatch()) times.push_back(m.captured(1).toDouble() * 1000);
        if (lines[i] == QLatin1String("@@count") && i + 1 < lines.size()) r.count = lines[i + 1].toLongLong();
        if (lines[i] == QLatin1String("@@screen")) r.screenPlan = planLines(lines, i + 1);
        if (lines[i] == QLatin1String("@@countplan")) r.countPlan = planLines(lines, i + 1);
    }
    if (int(times.size()) >= 2 * runs) {
        r.screenMs = median(std::vector<double>(times.begin(), times.begin() + runs));
        r.countMs = median(std::vector<double>(times.begin() + runs, times.begin() + 2 * runs));
    }
    return r;
}

QStringList shellPlan(const QString& database, const QString& sql) {
    const QStringList lines =
        runScript(database, QStringLiteral(".print @@plan\nEXPLAIN QUERY PLAN ") + shellSql(sql) + u';')
            .split(u'\n');
    const int at = int(lines.indexOf(QStringLiteral("@@plan")));
    return at < 0 ? QStringList() : planLines(lines, at + 1);
}

} // namespace bench
