// A prepared SQLite statement on an open database, for the loaders' per-record writes: prepared
// once per loader run, bound and stepped once per record, so a release of several hundred thousand
// records costs no SQL parsing per row. Failures throw dao::DaoError.
#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {
class Database;
}

namespace loading {

class SqlStatement {
public:
    // sql is in SQLite's dialect with "?" placeholders; it is not translated.
    SqlStatement(dao::Database& db, const QString& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // Binds parameter i (1-based). An invalid or null QVariant binds Null; a QDate binds its
    // storage text; a bool binds 0 or 1.
    void bind(int i, const QVariant& v);
    void bindText(int i, const QString& s);
    void bindNull(int i);

    // Steps once: true when a row is available (queries), false when done. Resets and clears the
    // bindings when done, so the statement is ready for the next record.
    bool step();
    // Runs an action statement to its end; returns the number of rows changed.
    int run();
    // Ends a query early, ready for the next use.
    void reset();

    QVariant column(int i) const; // 0-based; Null as an invalid QVariant
    QString sql() const { return sql_; }

private:
    [[noreturn]] void fail(const QString& operation) const;

    dao::Database& db_;
    sqlite3* handle_;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
};

} // namespace loading
