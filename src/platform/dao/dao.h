// Database engine over SQLite standing in for the original's Jet/DAO layer.
//
// Files keep their .MDB names but are SQLite databases. Every SQL text passes through the
// Jet-dialect translator (jet_sql.h). Text columns are COLLATE NOCASE, dates are ISO "YYYY-MM-DD"
// text, Yes/No columns are 0/1 integers. A Null field is an invalid QVariant, distinct from "".
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {

class Database;
struct QueryTerms;

namespace detail {
class StatementCache;
class IndexOrders;
class MemberSets;
sqlite3* rawHandle(const Database& db);
} // namespace detail

// Every failure of the layer. operation says what could not be done, as a verb phrase that the
// database's file completes ("open", "save a row in"); reason is the engine's account of why.
class DaoError : public std::runtime_error {
public:
    DaoError(const QString& file, const QString& operation, const QString& reason);
    QString file() const { return file_; }
    QString operation() const { return operation_; }
    QString reason() const { return reason_; }
    // What the user reads, also what(): a plain sentence naming the file and what could not be
    // done ("VELK could not open /data/VELKNJ.MDB."), then the reason on a line of its own. No SQL.
    QString message() const;

private:
    QString file_, operation_, reason_;
};

enum class RecordsetType { Table, Dynaset, Snapshot };
enum RecordsetOption { NoOptions = 0, ForwardOnly = 1, ReadOnly = 2 };

// A column of a table definition, for createTable (tools, tests, schema).
struct ColumnDef {
    QString name;
    QString type; // "TEXT", "MEMO", "DATE", "DOUBLE", "LONG", "YESNO"
    int size = 0; // text width; informative only
};

class Recordset;

class Database {
public:
    // Opens an existing database. Refuses a missing file (never creates one), a file that is not one
    // of ours, and a connect string whose ";PWD=" differs from the password stored in the file.
    static std::unique_ptr<Database> open(const QString& path, bool exclusive = false, bool readOnly = false,
                                          const QString& connect = QString());
    // Creates a new, empty database of ours; refuses an existing file. The password is checked by open().
    static std::unique_ptr<Database> create(const QString& path, const QString& password = QString());

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString name() const { return path_; }
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Runs one action statement (Jet dialect). Returns the number of rows changed.
    long long execute(const QString& jetSql);
    // Runs one statement with bound parameters (no translation; SQLite dialect, "?" placeholders).
    long long executeBound(const QString& sql, const QVariantList& params);
    // First column of the first row of a query, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& jetSql, const QVariantList& params = {});

    // A table name gives a Table recordset when no type is given (Jet's default for a local table);
    // any other text is SQL and gives a Dynaset (default) or Snapshot. A table name with an explicit
    // Dynaset or Snapshot type reads "SELECT * FROM <table>".
    // A query's rows are read as they are reached; a result of up to a few hundred rows is read
    // whole at once, so its statement and read lock are gone when this returns. A larger one holds
    // a read lock (other users' commits wait) until it is read to the end (MoveLast) or closed.
    // A larger one that SQLite must sort whole (no index gives its order) is opened on its first
    // rows and counted in the same pass, with no lock left; MoveLast then costs nothing, and the
    // rest is sorted and read when a row past the first ones is looked at.
    std::unique_ptr<Recordset> OpenRecordset(const QString& nameOrSql,
                                             std::optional<RecordsetType> type = std::nullopt,
                                             int options = NoOptions);
    // The query of terms.text, given in its parts: the same rows, read with the conditions in the
    // order given and the memberships tested against sets (query_terms.h). Its order and its rows'
    // keys are read in one read transaction.
    std::unique_ptr<Recordset> OpenRecordset(const QueryTerms& terms,
                                             RecordsetType type = RecordsetType::Dynaset,
                                             int options = NoOptions);
    std::unique_ptr<Recordset> OpenTable(const QString& table) {
        return OpenRecordset(table, RecordsetType::Table);
    }

    // Nested calls nest: an inner Rollback undoes only the work since its own BeginTrans.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool inTransaction() const { return transDepth_ > 0; }
    int transactionDepth() const { return transDepth_; }

    // Schema (tools, tests, the state database's schema). Index names are per table as in the
    // original ("PRIMARY", "KEY2"); stored in SQLite as "<table>__<name>".
    void createTable(const QString& table, const QVector<ColumnDef>& columns);
    void createIndex(const QString& table, const QString& indexName, const QStringList& columns,
                     bool unique = false);
    bool tableExists(const QString& table) const;
    QStringList tableNames() const;
    // Columns of a per-table index, or empty when the table has no index of that name.
    QStringList indexColumns(const QString& table, const QString& indexName) const;

    // Declared column type (upper case, e.g. "TEXT", "DATE") of table.column, "" when unknown.
    QString columnType(const QString& table, const QString& column) const;

    bool readOnly() const { return readOnly_; }

    // For a file that is thrown away after use (the report working copy): commits neither keep a
    // journal on disk nor wait for the disk. A crash may leave the file damaged; it is made anew.
    void setScratch();

    // Counts every change made through this connection; recordsets use it to know their cached
    // rows may be stale.
    qint64 changeSeq() const { return changeSeq_; }
    // What other connections (another copy of the program) committed since the last look counts
    // as a change too, so that what recordsets of this one cached is read again. True when there
    // was any. Opening a recordset looks, and so does refreshCurrentRow.
    bool noteOutsideChanges();
    void noteChange();
    // A change that only updated these (quoted) columns of a table: orders on other columns stay.
    void noteUpdate(const QString& quotedTable, const QStringList& quotedColumns);

private:
    Database();
    void configure(bool exclusive);
    void checkOurs(const QString& connect);
    [[noreturn]] void fail(const QString& operation, const QString& reason = QString()) const;
    // A prepared statement kept for reuse; the caller resets it after use.
    sqlite3_stmt* cached(const QString& sql, const QString& operation);
    sqlite3* handle() const { return db_; }
    // The kept index orders, after a look for other connections' commits, which make them stale.
    detail::IndexOrders& orders();
    // No transaction is open on the connection: a background pass reads what it would read.
    bool holdsNothing() const;
    // Starts reading an index's order in the background, unless the connection holds a transaction.
    void prepareOrder(const QString& quotedTable, const QStringList& keys);
    // Starts again the pass over the order last prepared when a change made it stale.
    void prepareStaleOrder();
    // The sets of sub-queries' values kept since the last change (member_set.h).
    detail::MemberSets& memberSets();
    // executeBound for an update of only these (quoted) columns of a table, which leaves the
    // orders of its other columns as they were.
    long long runBound(const QString& sql, const QVariantList& params, const QString& quotedTable,
                       const QStringList& onlyColumns);
    void runSql(const char* sql, const QString& operation);
    void checkOpen(const QString& operation) const;
    friend class Recordset;
    friend class TableRecordset;
    friend class QueryRecordset;
    friend class Statement;
    friend sqlite3* detail::rawHandle(const Database& db);

    QString path_;
    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    int transDepth_ = 0;
    qint64 changeSeq_ = 0;
    qint64 dataVersion_ = -1; // the engine's count of other connections' commits, last seen
    std::vector<Recordset*> recordsets_;
    std::unique_ptr<detail::StatementCache> statements_;
    std::unique_ptr<detail::IndexOrders> orders_;
    std::unique_ptr<detail::MemberSets> memberSets_;
};

// Opaque position of a row in its recordset; valid for the recordset that gave it.
using Bookmark = qint64;

class Recordset {
public:
    virtual ~Recordset();

    RecordsetType type() const { return type_; }

    // Navigation. Rows are fetched lazily: opening costs one small query, not a full read.
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;
    virtual void MovePrevious() = 0;
    virtual bool atBOF() const = 0; // the original's BOF
    virtual bool atEOF() const = 0; // the original's EOF
    // Rows reached so far; exact after MoveLast (Jet's meaning). Table recordsets always exact.
    virtual long long RecordCount() = 0;
    // 0-based position of the current row in the recordset's order, -1 when there is none.
    virtual long long AbsolutePosition() = 0;
    // Moves to the 0-based row n; past the end gives EOF.
    virtual void setAbsolutePosition(long long n) = 0;

    virtual Bookmark bookmark() const = 0;
    virtual void setBookmark(Bookmark b) = 0;

    // Values of fields (positions in fieldNames(), -1 for Null) of the rows at positions start to
    // start + count - 1 (fewer past the end), all read at one moment, without moving the current
    // row. Nothing when the recordset cannot read them so: the caller then moves it.
    virtual std::optional<std::vector<QVariantList>> rowsAt(long long /*start*/, int /*count*/,
                                                            const std::vector<int>& /*fields*/) {
        return std::nullopt;
    }

    // Reads the current row again as it is stored now, whichever connection changed it; called when
    // a row becomes the one the user looks at. A dynaset or a table reads it by its table's key
    // (index PRIMARY) when it has one, so that a row whose place another employer took (a release
    // loaded meanwhile) is not taken for it; a row whose key is gone reads as deleted. A snapshot
    // keeps what it read. True when a value changed or the row went.
    virtual bool refreshCurrentRow() { return false; }
    // True when the current row is gone since the recordset reached it (deleted, or its key no
    // longer stored): its fields cannot be read.
    virtual bool rowDeleted() const { return false; }

    // Fields of the current row (a pending AddNew/Edit buffer while editing).
    QStringList fieldNames() const { return fieldNames_; }
    int fieldCount() const { return int(fieldNames_.size()); }
    int fieldIndex(const QString& name) const;  // case-insensitive; -1 when unknown
    QVariant value(const QString& field) const; // throws on an unknown field or when there is no current row
    QVariant value(int index) const;
    QVariant operator[](const QString& field) const { return value(field); }
    // Text of a field: "" for Null (the original's field & "" idiom).
    QString text(const QString& field) const { return value(field).toString(); }
    bool isNull(const QString& field) const { return !value(field).isValid() || value(field).isNull(); }

    // Editing (Table and Dynaset; a Snapshot refuses).
    virtual void AddNew();
    virtual void Edit();
    // Sets a field of the edit buffer. Text for a DATE column is converted by the two-digit-year
    // window; a value that is not a date fails.
    void setValue(const QString& field, const QVariant& v);
    void setValue(int index, const QVariant& v); // index as fieldIndex gives it
    virtual void Update();
    virtual void CancelUpdate();
    void Delete();
    bool editing() const { return editMode_ != EditMode::None; }
    // Bookmark of the row last added or changed by Update (Jet's LastModified); -1 when none.
    Bookmark LastModified() const { return lastModified_; }

    // Table recordsets only.
    virtual void setIndex(const QString& indexName);
    virtual QString index() const { return QString(); }
    // op is "=", ">=", ">", "<=" or "<"; keys may be fewer than the index's columns (a prefix).
    virtual void Seek(const QString& op, const QVariantList& keys);
    bool NoMatch() const { return noMatch_; }

    void Close();
    bool isOpen() const { return db_ != nullptr; }

protected:
    enum class EditMode { None, AddNew, Edit };
    Recordset(Database& db, RecordsetType type);
    void setFields(const QStringList& names, const QStringList& types);
    // Frees the recordset's statements; called by Close and when the database closes first.
    virtual void release() {}
    // Moving drops a pending AddNew/Edit, as in Jet.
    void abandonEdit();
    Database& database(const QString& operation) const; // the open database or a DaoError
    bool updatable_ = true;
    Bookmark lastModified_ = -1;
    QString file_;
    mutable int lookupHint_ = 0;            // callers tend to name fields in the same order each row
    std::vector<unsigned char> fieldKinds_; // conversion kind per field, from fieldTypes_
    friend class Database;

    virtual QVariant currentValue(int index) const = 0;
    virtual bool hasCurrent() const = 0;
    virtual void writeRow(bool isNew) = 0; // write editBuf_ (changed_ marks the fields set)
    virtual void deleteRow() = 0;          // delete the current row; Delete has checked there is one
    [[noreturn]] void fail(const QString& operation, const QString& reason = QString()) const;
    void assign(int index, const QString* field, const QVariant& v); // field: as the caller named it

    Database* db_;
    RecordsetType type_;
    QStringList fieldNames_;
    QStringList fieldTypes_; // declared types, upper case, "" when unknown
    EditMode editMode_ = EditMode::None;
    QVariantList editBuf_;
    QVector<bool> changed_;
    bool noMatch_ = false;
};

// Converts a value read from or written to a DATE column. Accepts QDate, ISO "YYYY-MM-DD",
// "MM/DD/YY" and "MM/DD/YYYY" (two-digit years 50-99 are 19xx and 00-49 are 20xx), and a number as
// the Julian day MONTH(), DAY() and YEAR() read it. Returns an invalid QDate when the value is not a
// date, or its year is not 1 to 9999.
QDate toDate(const QVariant& v);
QString dateToStorage(const QDate& d); // "YYYY-MM-DD"
// A date as stored, "YYYY-MM-DD" in ASCII digits, read without the general parser; invalid for any
// other text and for a day the calendar does not have.
QDate dateFromStorage(QStringView s);

// True when v holds an integer or floating-point number; a bool is not one.
bool isNumber(const QVariant& v);

// Compares two texts as the database orders text columns: the letters A to Z without regard to
// case, everything else by its UTF-8 bytes, a text before any longer one it begins. <0, 0 or >0.
int compareText(const QString& a, const QString& b);

// Password taken from a connect string such as ";PWD=secret" (case-insensitive key), "" when none.
QString passwordFromConnect(const QString& connect);

} // namespace dao
