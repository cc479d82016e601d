#include "platform/grid/recordset_model.h"

#include <algorithm>
#include <cstdlib>

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

void RecordsetModel::openReader() {
    reader_.reset();
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (!rs || rs->type() != dao::RecordsetType::Table || !source_->database()) return;
    try {
        reader_ = source_->database()->OpenTable(source_->RecordSource);
        if (!rs->index().isEmpty()) reader_->setIndex(rs->index());
    } catch (const dao::DaoError&) {
        reader_.reset(); // read through the shared recordset instead
    }
}

void RecordsetModel::reload() {
    beginResetModel();
    anchor_ = Anchor();
    openReader();
    clearCache();
    blocksRead_ = 0;
    resolveFields();
    rows_ = 0;
    complete_ = true;
    dao::Recordset* rs = source_ ? source_->Recordset() : nullptr;
    if (rs) {
        try {
            rows_ = int(rs->RecordCount());
            // A table knows its count; a query's count grows as its rows are reached.
            complete_ = rs->type() == dao::RecordsetType::Table || (rs->atBOF() && rs->atEOF());
        } catch (const dao::DaoError&) {
            rows_ = 0;
        }
    }
    endResetModel();
}

void RecordsetModel::refreshRow(int row) {
    if (row < 0 || row >= rows_) return;
    dropBlock(row / kBlockRows);
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
        const int row = int(rs->AbsolutePosition());
        if (reader_) anchor_ = {row, rs->bookmark()};
        return row;
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
        dropBlock((rows_ - 1) / kBlockRows);
    }
    beginInsertRows(QModelIndex(), rows_, reached - 1);
    rows_ = reached;
    endInsertRows();
}

bool RecordsetModel::placeReader(int start) const {
    constexpr int kReach = 512;
    if (anchor_.row >= 0 && std::abs(start - anchor_.row) <= kReach) {
        try {
            reader_->setBookmark(anchor_.bookmark);
            int row = anchor_.row;
            while (row > start && !reader_->atBOF()) {
                reader_->MovePrevious();
                --row;
            }
            while (row < start && !reader_->atEOF()) {
                reader_->MoveNext();
                ++row;
            }
            if (!reader_->atBOF()) return true;
        } catch (const dao::DaoError&) {
            anchor_ = Anchor(); // the row went away: count from the start
        }
    }
    reader_->setAbsolutePosition(start);
    return true;
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
    dao::Recordset* shared = source_ ? source_->Recordset() : nullptr;
    if (reader_ && shared && reader_->index() != shared->index()) {
        // The shared recordset changed its order without a reload: follow it.
        try {
            reader_->setIndex(shared->index());
        } catch (const dao::DaoError&) {
            return nullptr;
        }
        clearCache();
    }
    auto it = cache_.constFind(blockNo);
    if (it != cache_.constEnd()) return &it.value();
    dao::Recordset* rs = reader_ ? reader_.get() : (source_ ? source_->Recordset() : nullptr);
    // Moving would abandon a pending edit of the current row.
    if (!rs || rs->editing()) return nullptr;
    const int start = blockNo * kBlockRows;
    const int end = std::min(start + kBlockRows, rows_);
    QVector<QVariantList> rows;
    rows.reserve(end - start);
    try {
        const Position saved = reader_ ? Position() : savePosition(rs);
        try {
            if (reader_) {
                placeReader(start);
                if (!rs->atEOF() && !rs->atBOF()) anchor_ = {start, rs->bookmark()};
            } else {
                rs->setAbsolutePosition(start);
            }
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
    ++blocksRead_;
    if (cacheOrder_.size() >= kMaxBlocks) cache_.remove(cacheOrder_.takeFirst());
    cacheOrder_.append(blockNo);
    return &*cache_.insert(blockNo, rows);
}

QVariant RecordsetModel::value(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= fieldIndex_.size()) return {};
    const QVector<QVariantList>* b = block(row / kBlockRows);
    if (!b) return {};
    const int i = row % kBlockRows;
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
