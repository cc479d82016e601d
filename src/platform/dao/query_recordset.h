// Dynaset and snapshot recordsets: the rows of a query, stepped lazily and kept as they are reached.
#pragma once

#include "platform/dao/dao.h"
#include "platform/dao/query_terms.h"
#include "platform/dao/result_order.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace dao {

// Where a query's rows come from when they can be written back: one base table, named by
// `qualifier` in the query (the table or its alias). Empty table: not updatable.
struct QuerySource {
    QString table;
    QString qualifier;
    qsizetype insertAt = -1;  // where a leading result column can be added (after SELECT)
    QString selectList;       // the text between SELECT and FROM
    QString fromText;         // "FROM <table> [AS] [alias]"
    qsizetype fromAt = -1;    // where FROM starts
    qsizetype orderByAt = -1; // where the closing ORDER BY starts; -1 when none or a LIMIT follows
    qsizetype endAt = -1;     // where the statement's last token ends (before a ";" or a comment)
};
QuerySource analyseQuerySource(const QString& sqliteSql);

class QueryRecordset : public Recordset {
public:
    QueryRecordset(Database& db, const QString& jetSql, RecordsetType type, int options);
    QueryRecordset(Database& db, const QueryTerms& terms, RecordsetType type, int options);
    ~QueryRecordset() override;

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    bool atBOF() const override { return pos_ < 0; }
    bool atEOF() const override { return eof_; }
    long long RecordCount() override { return reached_; }
    long long AbsolutePosition() override;
    void setAbsolutePosition(long long n) override;
    Bookmark bookmark() const override;
    void setBookmark(Bookmark b) override;
    bool refreshCurrentRow() override;
    bool rowDeleted() const override { return currentDeleted(); }

protected:
    QVariant currentValue(int index) const override;
    bool hasCurrent() const override;
    void writeRow(bool isNew) override;
    void deleteRow() override;
    void release() override;

private:
    // Opens the query jetSql, or terms in their parts when given (terms->text is jetSql).
    void open(const QString& jetSql, const QueryTerms* terms, int options);
    // Names the fields from stmt_ (whose column 0 is the rowid when firstField_ is 1).
    void nameFields();
    // The read of terms in order, their memberships tested against sets held while it runs.
    detail::OrderOutcome readTerms(const QueryTerms& terms, const QStringList& keyColumns,
                                   detail::Places* places, int* rc);
    // True when row n exists, reading further rows as needed.
    bool fetchTo(long long n);
    long long loaded() const { return base_ + static_cast<long long>(rowids_.size()); }
    // The values of row n as held in memory (empty: not read yet, or dropped); room for them is
    // made only for rows looked at, not for every row of a result known whole.
    QVariantList& rowSlot(long long n) const;
    // Reads to the end; an ordered result is known whole from the start.
    void reachEnd();
    bool currentDeleted() const;
    void moveTo(long long n); // n exists
    void requireScrollable(const QString& operation, long long target) const;
    void finishRead();
    // Prepares sql into st unless it is prepared already; a failure throws.
    void prepareOnce(sqlite3_stmt*& st, const QString& sql) const;
    // Values of row n (loaded), read again by rowid when they were dropped from memory, or by its
    // key when another row took its rowid.
    const QVariantList& rowAt(long long n) const;
    // Place n's row read by the key it had when the result was read: rowids_ follows it; false
    // when no row has that key now (the row is deleted).
    bool readByKey(long long n, QVariantList* row) const;
    // The key of the row st holds (its fields from column firstColumn on), as keys_ keeps it.
    void appendRowKey(std::string& out, sqlite3_stmt* st, int firstColumn) const;
    // True when the row st holds has place n's key (or no key is kept).
    bool sameKey(sqlite3_stmt* st, long long n, int firstColumn) const;
    bool keyed() const { return !keyFields_.empty(); }
    void remember(long long n) const;
    // Drops the values of the `count` rows remembered longest, except row `keep`.
    void forgetOldest(size_t count, long long keep) const;

    sqlite3_stmt* stmt_ = nullptr;
    bool done_ = false;
    bool forwardOnly_ = false;
    int firstField_ = 0;                     // 1 when column 0 is the hidden rowid
    mutable std::vector<QVariantList> rows_; // by row, as far as rows were looked at (rowSlot)
    mutable std::vector<qint64> rowids_;     // follow a row's key to its rowid now
    std::vector<quint32> keyAt_;             // per row, where its key starts in keys_, while keyed()
    std::string keys_;                       // the rows' keys when they were read (detail::appendKey)
    mutable std::vector<bool> deleted_;
    mutable std::deque<long long> cached_; // rows holding values, oldest first
    QString refetchSql_;                   // reads one row by rowid; empty when rows have no rowid
    mutable sqlite3_stmt* refetch_ = nullptr;
    long long base_ = 0; // index of rows_[0]; moves on in a forward-only snapshot, which keeps no rows behind
    long long pos_ = -1; // -1: BOF
    bool eof_ = false;
    long long reached_ = 0;
    QString baseTable_;
    QStringList originColumns_; // per field, "" when the field does not come straight from the base table
    // A row is known by its base table's key (index PRIMARY): the key's fields, kept per row as
    // they were read, and the query that reads a row (its rowid first) by their values. Empty when
    // the result lacks the key: rows are then known by rowid alone.
    std::vector<int> keyFields_;
    QString keyRefetchSql_;
    mutable sqlite3_stmt* keyRefetch_ = nullptr;
};

} // namespace dao
