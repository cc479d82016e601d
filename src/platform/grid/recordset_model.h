// Grid model over a data control's recordset. Rows are read lazily in blocks keyed by the
// recordset's absolute position, so a grid over a whole table opens and scrolls without reading
// every row. A table gives a block's places at once (Recordset::rowsAt), only the fields shown,
// without moving its current row; when they show that the data changed under the blocks read
// before, the grid starts over. A query's recordset is moved to read a block and put back on the
// row it was on.
#pragma once

#include "platform/grid/column_model.h"
#include "platform/grid/data_control.h"

#include <QHash>
#include <QPointer>

namespace grid {

class RecordsetModel : public ColumnModel {
    Q_OBJECT
public:
    explicit RecordsetModel(DataControl* source, QVector<ColumnSpec> columns = {}, QObject* parent = nullptr);

    DataControl* source() const { return source_; }

    // Reads the row count again and drops every cached row.
    void reload();
    // Drops the cached values of one row so that it is read again.
    void refreshRow(int row);

    // The recordset's current row, -1 when it has none.
    int currentRow() const;
    // Makes row the recordset's current row; false when the row does not exist.
    bool moveTo(int row);
    // Counts rows up to row when code moved a query's recordset beyond the rows reached so far.
    void reach(int row);

    QVariant value(int row, int col) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Dynasets and snapshots count only the rows reached so far: the grid reaches further on demand.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    static constexpr int kBlockRows = 64;
    static constexpr int kTableBlockRows = 16;
    static constexpr int kMaxBlocks = 64;
    // Number of blocks read from the recordset since the last reload (lazy reading, for tests).
    int blocksRead() const { return blocksRead_; }

private:
    struct Position;
    Position savePosition(dao::Recordset* rs) const;
    void restorePosition(dao::Recordset* rs, const Position& p) const;
    const QVector<QVariantList>* block(int blockNo) const;
    // A block read by moving the recordset, for a recordset that does not give rows at their places.
    QVector<QVariantList> readByMoving(dao::Recordset* rs, int start, int end) const;
    void resolveFields();
    void onCurrentRowChanged();
    void grow(int reached); // counts rows up to reached
    // The data changed under the blocks read before: the grid reads its count and rows again, once
    // the paint that found it is over.
    void startOverLater() const;

    QPointer<DataControl> source_;
    int rows_ = 0;
    int blockRows_ = kBlockRows;
    bool complete_ = true;
    QVector<int> fieldIndex_;
    // The cached blocks and their order of reading (the oldest goes first); the two change together.
    void dropBlock(int blockNo) const;
    void clearCache() const;
    mutable QHash<int, QVector<QVariantList>> cache_;
    mutable QVector<int> cacheOrder_;
    mutable qint64 cacheSeq_ = -1; // the connection's count of changes the cached blocks show
    mutable QString cacheIndex_;   // the table's index that ordered them
    mutable bool startingOver_ = false;
    mutable int blocksRead_ = 0;
};

} // namespace grid
