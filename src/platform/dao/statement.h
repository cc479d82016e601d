// A prepared statement and a transaction on an open database, for work that writes or reads many
// rows by key (the loaders): the SQL is parsed once, then bound and stepped once per row.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace dao {

class Database;

class Statement {
public:
    // sql is in SQLite's dialect with "?", "?N" or ":name" placeholders; it is not translated.
    // Throws DaoError when it cannot be prepared.
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds parameter i (1-based) or the parameter named ":name". An invalid or null QVariant
    // binds Null; a QDate binds its storage text; a bool binds 0 or 1.
    void bind(int i, const QVariant& v);
    void bind(const QString& name, const QVariant& v);
    void bindText(int i, const QString& s);
    // Binds UTF-8 text without copying it: the bytes must stay as they are until the statement
    // has been stepped (run() or step()). For loops that bind many fields per row.
    void bindUtf8(int i, const char* data, qsizetype size);
    // Binds column c of from's current row as stored, without turning it into a QVariant and
    // back. For copying rows from one statement into another.
    void bindColumn(int i, const Statement& from, int c);

    // Steps once: true when a row is there to read, false when the statement is done. Done, or
    // failed, it is reset and its bindings cleared, ready for the next row.
    bool step();
    // Runs an action statement to its end; returns the number of rows it changed.
    long long run();
    // Ends a query early and clears the bindings.
    void reset();

    // Column i (0-based) of the current row as stored: Null as an invalid QVariant.
    QVariant column(int i) const;
    // Column i's text as stored (UTF-8), valid until the next step or reset; a null view when the
    // value is not text. For loops that read many fields per row into strings of their own.
    QByteArrayView columnUtf8(int i) const;
    // The number of the result column named name (without regard to case), -1 when there is none.
    int columnIndex(const QString& name) const;

private:
    [[noreturn]] void fail(const QString& operation, int rc);

    Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// A transaction that rolls back unless it is committed: begun by the constructor, ended by
// commit(), undone by the destructor when the scope is left otherwise (an exception). Transactions
// nest: an inner one is a savepoint of the outer one.
class Transaction {
public:
    explicit Transaction(Database& db); // throws DaoError when it cannot begin
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Throws DaoError when the commit fails; the transaction is then still open, and rolled back
    // when the object goes.
    void commit();
    bool committed() const { return done_; }

private:
    Database& db_;
    int depth_; // the database's transaction depth this one holds
    bool done_ = false;
};

} // namespace dao
