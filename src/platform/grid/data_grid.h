// Read-only grid view: columns from ColumnSpec (captions, formats, visibility, header colours),
// one current row, header clicks. Bound to a data control it follows the recordset's current row
// and moves the recordset when the user picks a row.
#pragma once

#include "platform/grid/column_model.h"
#include "platform/grid/data_control.h"
#include "platform/grid/recordset_model.h"

#include <QHash>
#include <QTableView>

#include <functional>

namespace grid {

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    // Shows any column model (e.g. an UnboundModel); the grid does not take ownership.
    void setColumnModel(ColumnModel* model);
    ColumnModel* columnModel() const { return model_; }

    // Binds to a data control through a RecordsetModel owned by the grid, with these columns.
    void bind(DataControl* source, QVector<ColumnSpec> columns);
    RecordsetModel* boundModel() const { return bound_; }
    // Reads the bound recordset again (count, rows) and follows its current row.
    void rebind();
    // Makes the bound recordset's current row the grid's current row.
    void followRecordset();

    // Column properties, kept in the model.
    void setColumnCaption(int col, const QString& caption);
    void setColumnFormat(int col, const QString& format);
    void setColumnVisible(int col, bool visible);
    void setHeaderColor(int col, const QColor& color);
    // The column by which the rows are ordered, shown by the header's sort indicator (-1: none).
    // A header click leaves it to the handler of headClick to change it.
    void setSortColumn(int col);
    int sortColumn() const { return sortColumn_; }
    // Column widths: a column fitting its caption (with room for the sort indicator) and sample,
    // a text as wide as its widest value, also when its caption changes later; the stretch column
    // takes the rest of the width.
    void fitColumn(int col, const QString& sample);
    void setStretchColumn(int col);
    const ColumnSpec& columnSpec(int col) const { return model_->column(col); }

    int currentRow() const;
    // Makes row current and visible (a bound grid moves its recordset there); -1 clears the
    // current row. Emits rowColChange when it changes.
    void setCurrentRow(int row);

    // The grid's own type-ahead would read every row: the forms have their own search box.
    void keyboardSearch(const QString&) override {}

signals:
    void headClick(int col);
    void rowColChange(int row);

private:
    void applyColumns();
    void editColumn(int col, const std::function<void(ColumnSpec&)>& change);
    void markCurrent(int row); // without moving the recordset
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);

    ColumnModel* model_ = nullptr;
    RecordsetModel* bound_ = nullptr;
    bool byCode_ = false;
    int sortColumn_ = -1;
    QHash<int, QString> fitSamples_;
};

} // namespace grid
