// Table-type recordset: a table read in the order of its current index, a few rows at a time.
#pragma once

#include "platform/dao/dao.h"
#include "platform/dao/sqlite_util.h"

#include <optional>
#include <vector>

namespace dao {

namespace detail {
struct IndexOrder;
}

class TableRecordset : public Recordset {
public:
    TableRecordset(Database& db, const QString& table, int options);
    ~TableRecordset() override;

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;
    bool atBOF() const override { return at_ == At::BOF || at_ == At::Empty; }
    bool atEOF() const override { return at_ == At::EOF_ || at_ == At::Empty; }
    long long RecordCount() override;
    long long AbsolutePosition() override;
    void setAbsolutePosition(long long n) override;
    Bookmark bookmark() const override;
    void setBookmark(Bookmark b) override;

    void setIndex(const QString& indexName) override;
    QString index() const override { return indexName_; }
    void Seek(const QString& op, const QVariantList& keys) override;
    bool refreshCurrentRow() override;
    bool rowDeleted() const override { return at_ == At::Row && curDeleted_; }
    std::optional<std::vector<QVariantList>> rowsAt(long long start, int count,
                                                    const std::vector<int>& fields) override;

protected:
    QVariant currentValue(int index) const override;
    bool hasCurrent() const override;
    void writeRow(bool isNew) override;
    void deleteRow() override;
    void release() override;

private:
    struct Row {
        qint64 rowid = 0;
        QVariantList raw; // stored values, one per field
    };
    enum class At { BOF, Row, EOF_, Empty };
    class ReadScope;

    // One step of a keyset scan: rows whose first `equal` keys equal the given values and whose
    // next key (or rowid when equal == key count) lies beyond the given value.
    struct Level {
        int equal = 0;
        bool compareRowid = false; // rowid beyond the given one (equal == key count)
        bool compareKey = false;   // key[equal] beyond the given value
        bool keyIsNull = false;    // for Less: the Null part below any value
    };

    sqlite3_stmt* statement(const QString& sql) const;
    sqlite3_stmt* levelStatement(const Level& lv, bool keyValue, bool forward, bool count,
                                 const QVariantList& keys) const;
    std::vector<Row> runLevel(const Level& lv, const QVariantList& keys, qint64 rowid, bool forward,
                              int limit) const;
    long long countLevel(const Level& lv, const QVariantList& keys, qint64 rowid) const;
    QString whereOf(const Level& lv, const QVariantList& keys, bool forward) const;
    QString orderOf(int from, bool forward) const;
    // Rows strictly after (forward) or before the position (keys, rowid), nearest first.
    std::vector<Row> scanFrom(const QVariantList& keys, qint64 rowid, bool forward, int limit) const;
    std::vector<Row> scanEnd(bool forward, int limit) const;
    QVariantList keysOf(const Row& r) const;
    // The current index's order known whole; nullptr without an index. With read false, only one
    // already kept: opening, counting and the first screens never pay for the pass over the index.
    const detail::IndexOrder* indexOrder(bool read = true) const;
    // The pass over the current index, started in the background (prepare) so that it is done when
    // a place far from the start is asked for, and waited for (await) before a read transaction
    // that needs it begins.
    void prepareOrder() const;
    void awaitOrder() const;
    // The current row's position: known, in the kept order, or near the start (found by stepping
    // back); with read, also far from the start. Nothing when it takes the pass over the index.
    std::optional<long long> currentPosition(bool read);
    // Places row n on a jump; near the start (read false) without the pass over the index.
    void placeAt(long long n, bool read);
    std::vector<Row> rowById(qint64 rowid) const; // empty when the row is gone
    std::vector<Row> readRows(sqlite3_stmt* st, int limit) const;
    // Re-reads the current row when the database changed. A row whose key (index PRIMARY) is gone
    // from its row id, or taken by another employer, reads as deleted.
    bool refreshCurrent() const;
    const std::vector<int>& primaryKey() const;
    void placeOn(std::vector<Row> rows, int pos, bool ascending);
    void toEnd(bool eof);
    // The first (or last) row in index order, or Empty.
    void moveToEnd(bool first);
    void step(bool forward);
    bool windowFresh() const;
    QVariant keyForBinding(int keyPos, const QVariant& v) const;

    QString table_;
    QString quotedTable_;
    QString selectList_;
    QString indexName_;
    // Fields of the table's key (index PRIMARY), by which refreshCurrentRow reads the current row;
    // empty when the table has none (the rowid serves). Looked up on first use.
    mutable std::optional<std::vector<int>> primaryFields_;
    std::vector<int> keyCols_; // field positions of the current index's columns
    QStringList keyNames_;     // quoted

    At at_ = At::BOF;
    mutable Row cur_;
    mutable bool curDeleted_ = false;
    mutable qint64 curSeq_ = 0;
    std::vector<Row> window_; // rows around the current one, ascending in index order
    int pos_ = -1;
    qint64 windowSeq_ = -1;
    long long absPos_ = -1;
    qint64 absSeq_ = -1;
    long long count_ = -1;
    qint64 countSeq_ = -1;
    int chunk_ = 16;

    mutable detail::StatementCache statements_;
    QHash<QByteArray, sqlite3_stmt*> writeStatements_;  // by changed-field mask
    detail::RowBinder binder_;
    mutable QHash<int, sqlite3_stmt*> levelStatements_; // by scan-step shape, for the current index
};

} // namespace dao
