#include "platform/grid/data_grid.h"

#include <QHeaderView>

namespace grid {

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // Released texts carry trailing blanks to their full width: clip them, never show "...".
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    // Fixed row heights keep a header of hundreds of thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsMovable(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DataGrid::headClick);
}

void DataGrid::setColumnModel(ColumnModel* model) {
    if (model_) disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    setModel(model);
    if (!model) return;
    connect(model, &ColumnModel::columnsChanged, this, &DataGrid::applyColumns);
    connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::applyColumns);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::onCurrentChanged);
    applyColumns();
}

void DataGrid::bind(DataControl* source, QVector<ColumnSpec> columns) {
    auto* m = new RecordsetModel(source, std::move(columns), this);
    RecordsetModel* old = bound_;
    bound_ = m;
    setColumnModel(m);
    if (old) old->deleteLater();
    connect(source, &DataControl::refreshed, this, &DataGrid::followRecordset);
    connect(source, &DataControl::moved, this, &DataGrid::followRecordset);
    followRecordset();
}

void DataGrid::rebind() {
    if (!bound_) return;
    bound_->reload();
    followRecordset();
}

void DataGrid::followRecordset() {
    if (!bound_) return;
    const int row = bound_->currentRow();
    if (row >= 0) bound_->reach(row);
    markCurrent(row);
}

void DataGrid::applyColumns() {
    if (!model_) return;
    for (int c = 0; c < model_->columnCount(); ++c) {
        setColumnHidden(c, !model_->column(c).visible);
    }
    horizontalHeader()->viewport()->update();
}

void DataGrid::editColumn(int col, const std::function<void(ColumnSpec&)>& change) {
    if (!model_ || col < 0 || col >= model_->columnCount()) return;
    ColumnSpec s = model_->column(col);
    change(s);
    model_->setColumn(col, s);
}

void DataGrid::setColumnCaption(int col, const QString& caption) {
    editColumn(col, [&](ColumnSpec& s) { s.caption = caption; });
}

void DataGrid::setColumnFormat(int col, const QString& format) {
    editColumn(col, [&](ColumnSpec& s) { s.format = format; });
}

void DataGrid::setColumnVisible(int col, bool visible) {
    editColumn(col, [&](ColumnSpec& s) { s.visible = visible; });
}

void DataGrid::setHeaderColor(int col, const QColor& color) {
    editColumn(col, [&](ColumnSpec& s) { s.headerColor = color; });
}

int DataGrid::currentRow() const {
    const QModelIndex i = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    return i.isValid() ? i.row() : -1;
}

void DataGrid::setCurrentRow(int row) {
    if (bound_ && row >= 0) {
        bound_->moveTo(row);
        followRecordset();
        return;
    }
    markCurrent(row);
}

void DataGrid::markCurrent(int row) {
    if (!model_ || !selectionModel()) return;
    while (row >= model_->rowCount() && model_->canFetchMore({}))
        model_->fetchMore({});
    byCode_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        const bool had = currentRow() >= 0;
        selectionModel()->clear();
        byCode_ = false;
        if (had) emit rowColChange(-1);
        return;
    }
    int col = 0;
    while (col < model_->columnCount() - 1 && isColumnHidden(col))
        ++col;
    const QModelIndex idx = model_->index(row, col);
    // A row found far away comes to the top, as a list positioned by a search shows it.
    const bool shown = viewport()->rect().contains(visualRect(idx));
    const auto how = selectionMode() == NoSelection
                         ? QItemSelectionModel::NoUpdate
                         : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(idx, how);
    scrollTo(idx, shown ? EnsureVisible : PositionAtTop);
    byCode_ = false;
}

void DataGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (current.isValid() && previous.isValid() && current.row() == previous.row()) return;
    if (!byCode_ && bound_ && current.isValid()) bound_->moveTo(current.row());
    emit rowColChange(current.isValid() ? current.row() : -1);
}

} // namespace grid
