// Dynaset and snapshot recordsets: the rows of a query, stepped lazily and kept as they are reached.
#pragma once

#include "platform/dao/dao.h"

#include <deque>
#include <vector>

namespace dao {

// Where a query's rows come from when they can be written back: one base table, named by
// `qualifier` in the query (the table or its alias). Empty table: not updatable.
struct QuerySource {
    QString table;
    QString qualifier;
    qsizetype insertAt = -1; // where a leading result column can be added (after SELECT)
    QString selectList;      // the text between SELECT and FROM
    QString fromText;        // "FROM <table> [AS] [alias]"
};
QuerySource analyseQuerySource(const QString& sqliteSql);

class QueryRecordset : public Recordset {
public:
    QueryRecordset(Database& db, const QString& jetSql, RecordsetType type, int options);
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
    void Delete() override;

protected:
    QVariant currentValue(int index) const override;
    bool hasCurrent() const override;
    void writeRow(bool isNew) override;
    void release() override;

private:
    // True when row n exists, reading further rows as needed.
    bool fetchTo(long long n);
    long long loaded() const { return base_ + static_cast<long long>(rows_.size()); }
    void moveTo(long long n); // n exists
    void requireScrollable(const QString& operation, long long target) const;
    void finishRead();
    // Values of row n (loaded), read again by rowid when they were dropped from memory.
    const QVariantList& rowAt(long long n) const;
    void remember(long long n) const;
    // Drops the values of the `count` rows remembered longest, except row `keep`.
    void forgetOldest(size_t count, long long keep) const;

    sqlite3_stmt* stmt_ = nullptr;
    bool done_ = false;
    bool forwardOnly_ = false;
    int firstField_ = 0;                     // 1 when column 0 is the hidden rowid
    mutable std::vector<QVariantList> rows_; // empty: dropped, to be read again by rowid
    std::vector<qint64> rowids_;
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
};

} // namespace dao
