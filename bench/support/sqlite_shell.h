// The sqlite3 command-line shell (Debian package sqlite3) as the baseline beside the program: the same
// SQL, timed by the shell itself (.timer), with the shell's default settings.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace bench {

bool shellAvailable();

// The program's SQL as the shell can run it: Jet dialect translated, and the program's own date
// functions MONTH() and DAY() replaced by the month and day read from the stored ISO text
// (substr, several times cheaper than strftime).
QString shellSql(const QString& jetSql);

struct ShellRun {
    double screenMs = -1; // the ordered query with LIMIT 30, median
    double countMs = -1;  // SELECT COUNT(*) with the same WHERE, median
    long long count = -1;
    QStringList screenPlan, countPlan; // EXPLAIN QUERY PLAN, one line per step
};

// Runs both queries `runs` times in one shell session on the database file; with plans, reads
// their query plans too.
ShellRun runShell(const QString& database, const QString& orderedSql, const QString& countSql, int runs,
                  bool plans = true);

// Query plan of one statement as the shell reports it.
QStringList shellPlan(const QString& database, const QString& sql);

double median(std::vector<double> values);

} // namespace bench
