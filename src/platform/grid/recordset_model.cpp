#include "platform/grid/recordset_model.h"

#include <algorithm>

namespace grid {

struct RecordsetModel::Position {
    enum Kind { None, Row, Bof, Eof } kind = None;
    dao::Bookmark bookmark = 0;
};

RecordsetModel::RecordsetModel(DataControl* source, QVector<ColumnSpec> columns, QObject* parent)
    : ColumnModel(std::move(columns), parent), source_(source) {
    connect(source, &DataControl::refreshed, this, &RecordsetModel::reload);
    connect(source, &DataControl::currentRowChanged, this, &RecordsetModel::onCurrentRowChanged);
    connect(this, &ColumnModel::columnsChanged, this, [this] {
        resolveFields();
        clearCache();
    });
    reload();
}

void RecordsetModel::dropBlock(int blockNo) const {
    cache_.remove(blockNo);
    cacheOrder_.removeAll(blockNo);
}

void RecordsetModel::clearCache() const {
    cache_.clear();
    cacheOrder_.clear();
}

void RecordsetModel::resolveFields() {
    fieldIndex_.clear();
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    for (const ColumnSpec& c : columns()) {
        fieldIndex_.append(rs ? rs->fieldIndex(c.field) : -1);
    }
}

void RecordsetModel::reload() {
    beginResetModel();
    clearCache();
    blocksRead_ = 0;
    resolveFields();
    rows_ = 0;
    complete_ = true;
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    // A table's rows lie all over its file in any order but the rowid's: a screen of them is read
    // in small blocks, so that little more than the rows shown is read.
    blockRows_ = rs && rs->type() == dao::RecordsetType::Table ? kTableBlockRows : kBlockRows;
    if (rs) {
        try {
            rows_ = int(rs->RecordCount());
            // A table knows its count; a query's count grows as its rows are reached.
            complete_ = rs->type() == dao::RecordsetType::Table || (rs->atBOF() && rs->atEOF());
        } catch (const dao::DaoError&) {
            rows_ = 0;
        }
    }
    cacheSeq_ = source_ && source_->database() ? source_->database()->changeSeq() : -1;
    cacheIndex_ = rs ? rs->index() : QString();
    endResetModel();
}

void RecordsetModel::refreshRow(int row) {
    if (row < 0 || row >= rows_) return;
    dropBlock(row / blockRows_);
    if (columnCount() > 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RecordsetModel::onCurrentRowChanged() {
    refreshRow(currentRow());
}

int RecordsetModel::currentRow() const {
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (!rs) return -1;
    try {
        if (rs->atBOF() || rs->atEOF()) return -1;
        return int(rs->AbsolutePosition());
    } catch (const dao::DaoError&) {
        return -1;
    }
}

bool RecordsetModel::moveTo(int row) {
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (!rs || row < 0) return false;
    try {
        rs->setAbsolutePosition(row);
        return !rs->atEOF();
    } catch (const dao::DaoError&) {
        return false;
    }
}

void RecordsetModel::reach(int row) {
    if (row < rows_) return;
    int reached = row + 1;
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (rs) {
        try {
            reached = std::max<int>(reached, int(rs->RecordCount()));
        } catch (const dao::DaoError&) {
            // A count the database refuses leaves the rows reached so far; the grid grows as it reads.
        }
    }
    grow(reached);
}

void RecordsetModel::grow(int reached) {
    if (reached <= rows_) return;
    if (rows_ > 0) {
        // The last block may have been read short.
        dropBlock((rows_ - 1) / blockRows_);
    }
    beginInsertRows(QModelIndex(), rows_, reached - 1);
    rows_ = reached;
    endInsertRows();
}

RecordsetModel::Position RecordsetModel::savePosition(dao::Recordset* rs) const {
    Position p;
    if (rs->atBOF() && rs->atEOF()) return p;
    if (rs->atEOF()) {
        p.kind = Position::Eof;
    } else if (rs->atBOF()) {
        p.kind = Position::Bof;
    } else {
        p.kind = Position::Row;
        p.bookmark = rs->bookmark();
    }
    return p;
}

void RecordsetModel::restorePosition(dao::Recordset* rs, const Position& p) const {
    switch (p.kind) {
    case Position::Row:
        rs->setBookmark(p.bookmark);
        break;
    case Position::Eof:
        rs->setAbsolutePosition(std::max<long long>(rs->RecordCount(), rows_));
        break;
    case Position::Bof:
        rs->MoveFirst();
        rs->MovePrevious();
        break;
    case Position::None:
        break;
    }
}

const QVector<QVariantList>* RecordsetModel::block(int blockNo) const {
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (rs && rs->index() != cacheIndex_) {
        // The recordset changed its order without a reload: its places hold other rows now.
        clearCache();
        cacheIndex_ = rs->index();
    }
    auto it = cache_.constFind(blockNo);
    if (it != cache_.constEnd()) return &it.value();
    if (!rs) return nullptr;
    const int start = blockNo * blockRows_;
    const int end = std::min(start + blockRows_, rows_);
    QVector<QVariantList> rows;
    std::optional<std::vector<QVariantList>> places;
    try {
        places = rs->rowsAt(start, end - start, std::vector<int>(fieldIndex_.begin(), fieldIndex_.end()));
    } catch (const dao::DaoError&) {
        places = std::vector<QVariantList>(); // rows that could not be read show empty
    }
    if (places) {
        rows = QVector<QVariantList>(places->begin(), places->end());
        const qint64 seq = source_->database() ? source_->database()->changeSeq() : -1;
        if (seq != cacheSeq_) {
            // These rows are as stored now; the count and the rows read before may not be.
            clearCache();
            cacheSeq_ = seq;
            startOverLater();
        }
    } else if (rs->editing()) {
        return nullptr; // moving would abandon a pending edit of the current row
    } else {
        rows = readByMoving(rs, start, end);
    }
    ++blocksRead_;
    if (cacheOrder_.size() >= kMaxBlocks) cache_.remove(cacheOrder_.takeFirst());
    cacheOrder_.append(blockNo);
    return &*cache_.insert(blockNo, rows);
}

QVector<QVariantList> RecordsetModel::readByMoving(dao::Recordset* rs, int start, int end) const {
    QVector<QVariantList> rows;
    rows.reserve(end - start);
    try {
        const Position saved = savePosition(rs);
        try {
            rs->setAbsolutePosition(start);
            for (int r = start; r < end && !rs->atEOF(); ++r) {
                QVariantList values;
                values.reserve(fieldIndex_.size());
                // A row gone since the list was read keeps its place, marked.
                const bool gone = rs->rowDeleted();
                for (int fi : fieldIndex_) {
                    values.append(gone      ? QVariant(QStringLiteral("#Deleted"))
                                  : fi >= 0 ? rs->value(fi)
                                            : QVariant());
                }
                rows.append(values);
                rs->MoveNext();
            }
        } catch (const dao::DaoError&) {
            // Rows that could not be read show empty.
        }
        restorePosition(rs, saved);
    } catch (const dao::DaoError&) {
        // The position could not be saved or put back: the rows read so far still show. Nothing is
        // written here; the shared recordset's row is set again by the grid's next selection.
    }
    return rows;
}

void RecordsetModel::startOverLater() const {
    if (startingOver_) return;
    startingOver_ = true;
    QMetaObject::invokeMethod(
        const_cast<RecordsetModel*>(this),
        [this] {
            startingOver_ = false;
            if (!source_) return;
            // The current row first, found again by its key, so that the grid follows it to its
            // place now.
            source_->refreshCurrentRow();
            const_cast<RecordsetModel*>(this)->reload();
            source_->notifyMoved();
        },
        Qt::QueuedConnection);
}

QVariant RecordsetModel::value(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= fieldIndex_.size()) return {};
    const QVector<QVariantList>* b = block(row / blockRows_);
    if (!b) return {};
    const int i = row % blockRows_;
    if (i >= b->size()) return {};
    return b->at(i).value(col);
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

bool RecordsetModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !complete_;
}

void RecordsetModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || complete_) return;
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (!rs || rs->editing()) return;
    int reached = rows_;
    try {
        const Position saved = savePosition(rs);
        try {
            rs->setAbsolutePosition(rows_ + 4LL * kBlockRows);
            reached = std::max<int>(rows_, int(rs->RecordCount()));
            complete_ = rs->atEOF() || reached == rows_;
        } catch (const dao::DaoError&) {
            complete_ = true;
        }
        restorePosition(rs, saved);
    } catch (const dao::DaoError&) {
        complete_ = true;
    }
    grow(reached);
}

} // namespace grid
