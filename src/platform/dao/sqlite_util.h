// Internal helpers of the database layer: value conversion between Qt and SQLite storage,
// binding, reading, and quoting of names.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

namespace dao {
class Database;
}

namespace dao::detail {

// The engine's connection behind a database: for the benchmarks' engine-alone baselines and for
// tests that reach below the layer. The program goes through the layer.
sqlite3* rawHandle(const Database& db);

// A read transaction of its own, unless one is open: what is read inside comes from one state of
// the file, with no other connection's commit between two reads.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    bool began() const { return open_; }

private:
    sqlite3* db_;
    bool open_ = false;
};

// Prepared statements kept for reuse by their SQL text (prepared once, persistent). A statement
// is handed out as the last user left it: the user resets it after use.
class StatementCache {
public:
    // A cache that holds more than limit statements (0: no limit) drops them all and starts again.
    explicit StatementCache(int limit = 0) : limit_(limit) {}
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The statement for sql; nullptr when it cannot be prepared (*rc holds the extended result
    // code) or the text holds no statement (*rc is SQLITE_OK).
    sqlite3_stmt* get(sqlite3* db, const QString& sql, int* rc);
    // Finalises every statement.
    void clear();

private:
    QHash<QString, sqlite3_stmt*> statements_;
    int limit_;
};

// Upper-case first word of a declared column type: "MEMO TEXT" -> "MEMO", "" for none.
QString normalizeType(const char* declType);

// Value as stored by SQLite: invalid (Null), qlonglong, double, QString or QByteArray.
QVariant readColumn(sqlite3_stmt* st, int col);

// Declared column types the layer converts.
enum class Kind : unsigned char { Other, Text, Date, Double, Long, YesNo };
Kind kindOf(const QString& type);

// The value a caller sees for a stored value of a column of the given declared type:
// DATE -> QDate, YESNO -> bool, DOUBLE -> double, LONG -> qlonglong, TEXT/MEMO -> QString.
QVariant fromStorage(const QVariant& raw, const QString& type);
QVariant fromStorage(const QVariant& raw, Kind kind);

// Converts a value assigned to a field of the given type to the caller's form (as fromStorage
// returns it). Null stays Null. ok is false when the value cannot become that type.
QVariant convertForType(const QVariant& v, const QString& type, bool* ok);
QVariant convertForType(const QVariant& v, Kind kind, bool* ok);

// Binds a caller-side value (invalid -> NULL, QDate -> ISO text, bool -> 0/1).
int bindValue(sqlite3_stmt* st, int index, const QVariant& v);

// Binds the values of one row as bindValue does, their ASCII text and dates without a copy each:
// written into one buffer that stays as it is until the statement has been stepped. A row
// writer binds dozens of fields per row, and two allocations per text were most of the cost.
class RowBinder {
public:
    // Makes room for the values of values whose which is true; before the first bind of a row.
    void start(const QVariantList& values, const QVector<bool>& which);
    int bind(sqlite3_stmt* st, int index, const QVariant& v);

private:
    std::vector<char> buf_;
    size_t used_ = 0;
};

// A name quoted for SQLite: "name", inner quotes doubled.
QString quoteName(const QString& name);

// A name given bare, [bracketed] or "quoted", returned bare.
QString bareName(const QString& name);

// A reason a user can act on for a failed call that returned rc (plain or extended code).
QString reasonFor(sqlite3* db, int rc);

// Statement text of a failing call, for messages.
QString errorText(sqlite3* db);

} // namespace dao::detail
