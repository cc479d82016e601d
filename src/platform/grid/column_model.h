// Read-only table model base: columns from ColumnSpec, cells from a subclass, optional row colours.
#pragma once

#include "platform/grid/column_spec.h"

#include <QAbstractTableModel>

#include <functional>

namespace grid {

class ColumnModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Colour of a row's text, or an invalid QColor for the default (the grid's FetchRowStyle).
    using RowStyle = std::function<QColor(int row)>;

    explicit ColumnModel(QVector<ColumnSpec> columns = {}, QObject* parent = nullptr);

    const QVector<ColumnSpec>& columns() const { return columns_; }
    const ColumnSpec& column(int col) const { return columns_.at(col); }
    void setColumn(int col, ColumnSpec spec);
    void setRowStyle(RowStyle style);

    // The stored (unformatted) value of a cell; invalid for a row or column out of range.
    virtual QVariant value(int row, int col) const = 0;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Never editable: the grids show data, changes go through the forms' own commands.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Captions, formats, visibility or header colours changed.
    void columnsChanged();

private:
    QVector<ColumnSpec> columns_;
    RowStyle rowStyle_;
};

} // namespace grid
