#include "platform/grid/unbound_model.h"

namespace grid {

UnboundModel::UnboundModel(QVector<ColumnSpec> columns, Fetch fetch, QObject* parent)
    : ColumnModel(std::move(columns), parent), fetch_(std::move(fetch)) {}

void UnboundModel::setFetch(Fetch fetch) {
    fetch_ = std::move(fetch);
    refresh();
}

void UnboundModel::setRowCount(int rows) {
    beginResetModel();
    rows_ = rows < 0 ? 0 : rows;
    endResetModel();
}

void UnboundModel::refresh() {
    if (rows_ > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void UnboundModel::refreshRow(int row) {
    if (row >= 0 && row < rows_ && columnCount() > 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

QVariant UnboundModel::value(int row, int col) const {
    if (!fetch_ || row < 0 || row >= rows_ || col < 0 || col >= columnCount()) return {};
    return fetch_(row, col);
}

int UnboundModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

} // namespace grid
