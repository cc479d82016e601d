#include "platform/grid/data_grid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace grid {

namespace {

// Released texts carry trailing blanks to their full width. They are drawn without them, so a
// text that fits is not cut short with "…"; one that does not fit is told whole as a tool tip.
class TrimmedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        qsizetype n = option->text.size();
        while (n > 0 && option->text.at(n - 1) == QLatin1Char(' '))
            --n;
        option->text.truncate(n);
    }
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, view) + 1);
        if (opt.fontMetrics.horizontalAdvance(opt.text) > opt.rect.width() - margins)
            QToolTip::showText(event->globalPos(), opt.text, view, opt.rect);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new TrimmedTextDelegate(this));
    setCornerButtonEnabled(false);
    // Whole rows, whatever the style prefers: a row found by a search stands at the top, never
    // under half a row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Fixed row heights keep a header of hundreds of thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsMovable(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
        emit headClick(col);
        // The header flips its indicator on any click; it shows the order the handler chose.
        setSortColumn(sortColumn_);
    });
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
    // A fitted column makes room for its new caption.
    if (fitSamples_.contains(col)) fitColumn(col, fitSamples_.value(col));
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

void DataGrid::setSortColumn(int col) {
    sortColumn_ = col;
    horizontalHeader()->setSortIndicatorShown(col >= 0);
    horizontalHeader()->setSortIndicator(col, Qt::AscendingOrder);
}

void DataGrid::fitColumn(int col, const QString& sample) {
    fitSamples_.insert(col, sample);
    QHeaderView* header = horizontalHeader();
    // The caption's section as the header reckons it, sort indicator included (and in bold, as
    // the header measures): a sorted column keeps its whole caption.
    QStyleOptionHeader option;
    option.initFrom(header);
    QFont bold = header->font();
    bold.setBold(true);
    option.fontMetrics = QFontMetrics(bold);
    option.text = model_ ? model_->headerData(col, Qt::Horizontal).toString() : QString();
    option.section = col;
    option.sortIndicator = QStyleOptionHeader::SortDown;
    const int captionWidth =
        style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, header);
    const int sampleWidth = fontMetrics().horizontalAdvance(sample) + 2 * margin;
    header->setSectionResizeMode(col, QHeaderView::Interactive);
    setColumnWidth(col, qMax(captionWidth, sampleWidth));
}

void DataGrid::setStretchColumn(int col) {
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(col, QHeaderView::Stretch);
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
