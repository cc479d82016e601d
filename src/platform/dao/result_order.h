// The order of an ordered query on one table, known whole as the rowids of its rows. SQLite's own
// sorter is slow on large results (it compares whole records, spilling to disk), and reading a
// result in an index's order can cost several times more than the planner's own way when each row
// is looked up in a sub-query's list. So the order comes, for the longest tail of the ORDER BY
// terms that allows it, from SQLite reading the rows in that order at no cost, or from an index's
// order kept per connection (IndexOrders); the terms before that tail (plain columns and function
// calls) are sorted here by their values, with SQLite's rules for comparing them.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {

struct QuerySource;

namespace detail {

class IndexOrders;

enum class Collation { Binary, NoCase, RTrim };
// The collation of that name (any case); nothing for one of another name.
std::optional<Collation> collationNamed(const QString& name);

struct OrderTerm {
    QString written;    // the whole term
    QString expression; // the term without ASC/DESC, NULLS FIRST/LAST or COLLATE
    bool descending = false;
    bool nullsFirst = true;           // SQLite's default: first ascending, last descending
    std::optional<Collation> collate; // given by COLLATE
    QString column;                   // the column's bare name when the term is one; else empty
    bool call = false;                // a function call (its result compares in BINARY)
};

// True when an ORDER BY clause (from ORDER to the end) names a result column by its number: a
// column put before the others would then change what it orders by.
bool ordersByColumnNumber(const QString& clause);

// The terms of an ORDER BY clause (from ORDER to the end of the statement). Nothing when a term
// names a result column by number or cannot be read here.
std::optional<QVector<OrderTerm>> parseOrderBy(const QString& clause);

// A stored value as the sort reads it; text already as its collation compares it.
struct SortValue {
    enum Type : unsigned char { Null, Integer, Real, Text, Blob } type = Null;
    qint64 integer = 0;
    double real = 0;
    const char* bytes = nullptr;
    int size = 0;
};

// Appends the bytes a text compares by in a collation to out and returns their number: NOCASE
// folds A-Z to a-z (and nothing else, as SQLite does), RTRIM drops trailing blanks.
int appendForCollation(std::string& out, const char* text, int size, Collation c);

// Appends a value's sort key: byte strings that compare (memcmp, a shorter one first) as SQLite
// orders the values in an ORDER BY term: Null first (or last), numbers by value, text, blobs.
// Numbers go as doubles: false for a whole number beyond 2^53, whose order is left to SQLite.
bool appendSortKey(std::string& out, const SortValue& v, bool descending, bool nullsFirst);

// A term of an ORDER BY given on its own ("NAME1", "MONTH(EXPIRE) DESC"); nothing when it names a
// result column by number or cannot be read here.
std::optional<OrderTerm> orderTermOf(const QString& term);

// An ordered read of one table's rows: what it reads (body: "FROM <table> [WHERE ...]", SQLite
// dialect, no ORDER BY), in which order, and the table's key, kept with each row.
struct OrderedRead {
    QString table;
    QString qualifier; // the table's name or alias in body, quoted
    QString body;
    QVector<OrderTerm> terms;
    QStringList keyColumns; // empty: rows are known by rowid alone
};

// The read of a single-table query (translated, with its closing ORDER BY); nothing when it is not
// a plain read of the table's columns in an order that can be read here.
std::optional<OrderedRead> orderedReadOf(const QString& sql, const QuerySource& src);

// The rows of a result in order: each row's rowid and, when the read keeps keys, the key the row
// had when it was read (its key columns as stored, appendKey's bytes), so that a row is known
// again by it after another connection reused its rowid.
struct Places {
    std::vector<qint64> rowids;
    std::vector<quint32> keyAt; // where place i's key starts in keys; empty without keys
    std::string keys;
};

// Appends the stored value of column col as bytes that equal another value's only when the two
// are the same stored value; keys of several columns are these bytes one after the other.
void appendKey(std::string& out, sqlite3_stmt* st, int col);
// Binds the count values of a key that starts at p to parameters 1 to count.
void bindKey(sqlite3_stmt* st, const char* p, int count);

enum class OrderOutcome { Done, NotHere, Failed };

// Reads the rows of read in its order into places. NotHere when it cannot be read this way (the
// caller reads the query as it stands); Failed with *rc set when the engine failed while reading.
OrderOutcome readOrderedRows(sqlite3* db, IndexOrders& orders, const OrderedRead& read, Places* places,
                             int* rc);

} // namespace detail
} // namespace dao
