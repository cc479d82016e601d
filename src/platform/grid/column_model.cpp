#include "platform/grid/column_model.h"

#include <QBrush>

namespace grid {

ColumnModel::ColumnModel(QVector<ColumnSpec> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void ColumnModel::setColumn(int col, ColumnSpec spec) {
    if (col < 0 || col >= columns_.size()) return;
    columns_[col] = std::move(spec);
    emit headerDataChanged(Qt::Horizontal, col, col);
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0, col), index(rows - 1, col));
    emit columnsChanged();
}

void ColumnModel::setRowStyle(RowStyle style) {
    rowStyle_ = std::move(style);
    const int rows = rowCount();
    if (rows > 0 && !columns_.isEmpty()) {
        emit dataChanged(index(0, 0), index(rows - 1, int(columns_.size()) - 1), {Qt::ForegroundRole});
    }
}

int ColumnModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ColumnModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columns_.size()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(columns_.at(index.column()), value(index.row(), index.column()));
    case Qt::EditRole:
        return value(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_.at(index.column()).alignment);
    case Qt::ForegroundRole:
        if (rowStyle_) {
            const QColor c = rowStyle_(index.row());
            if (c.isValid()) return QBrush(c);
        }
        return {};
    default:
        return {};
    }
}

QVariant ColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant()
                                       : QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= columns_.size()) return {};
    const ColumnSpec& c = columns_.at(section);
    if (role == Qt::DisplayRole) return c.caption;
    if (role == Qt::BackgroundRole && c.headerColor.isValid()) return QBrush(c.headerColor);
    return {};
}

Qt::ItemFlags ColumnModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

} // namespace grid
