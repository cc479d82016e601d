#include "results/list_grids.h"

#include "dataset/categories.h"
#include "platform/dao/dao.h"
#include "platform/grid/data_grid.h"

namespace results {

namespace {
constexpr Qt::Alignment kNumber = grid::kNumberAlignment;
} // namespace

QVector<grid::ColumnSpec> allRecordsColumns() {
    return {
        {QStringLiteral("File #"), QStringLiteral("FILE"), {}, true, {}, {}},
        {QStringLiteral("Seq"), QStringLiteral("SEQUENCE"), {}, true, {}, {}},
        {QStringLiteral("Company Name"), QStringLiteral("NAME1"), {}, true, {}, {}},
        {QStringLiteral("County"), QStringLiteral("COUNTYNAME"), {}, true, {}, {}},
        {QStringLiteral("Omit"), QStringLiteral("Omit"), {}, true, {}, {}},
    };
}

QVector<grid::ColumnSpec> searchColumns() {
    return {
        {QStringLiteral("File"), QStringLiteral("FILE"), {}, true, {}, {}},
        {QStringLiteral("Seq"), QStringLiteral("SEQUENCE"), {}, true, {}, {}},
        {QStringLiteral("Name"), QStringLiteral("NAME1"), {}, true, {}, {}},
        {QStringLiteral("Expires"), QStringLiteral("EXPIRE"), QStringLiteral("MM/DD/YY"), true, {}, {}},
        {QStringLiteral("Omit"), QStringLiteral("Omit"), {}, true, {}, {}},
    };
}

QVector<grid::ColumnSpec> modsColumns() {
    // The loaders store 01/01/50 for a missing date; the grid shows it as a blank.
    const QVector<grid::ValueItem> noDate = {{QStringLiteral("01/01/50"), QStringLiteral(" ")}};
    QVector<grid::ValueItem> merit;
    for (const dataset::CategoryRow& c : dataset::meritClasses())
        merit.append({c.code.toDouble(), c.description});
    return {
        {QStringLiteral("Issue"), QStringLiteral("ISSUE"), QStringLiteral("mm/dd/yy"), true, {}, noDate},
        {QStringLiteral("Effective"), QStringLiteral("EFFECTIVE"), QStringLiteral("Standard"), true, {}, {}},
        {QStringLiteral("Expires"), QStringLiteral("EXPIRE"), QStringLiteral("mm/dd/yy"), true, {}, noDate},
        {QStringLiteral("MOD"), QStringLiteral("MOD"), QStringLiteral("0.000"), true, {}, merit, kNumber},
    };
}

void markSortColumn(grid::DataGrid& grid, int column) {
    for (int c = 0; c <= 3; ++c)
        grid.setHeaderColor(c, grid.palette().color(QPalette::Button));
    grid.setHeaderColor(column, sortedHeaderColor(grid.palette()));
    grid.setSortColumn(column);
}

QColor sortedHeaderColor(const QPalette& palette) {
    const QColor face = palette.color(QPalette::Button), mark = palette.color(QPalette::Highlight);
    constexpr double share = 0.35; // of the selection colour: clearly tinted, captions still read
    return QColor::fromRgbF(float(face.redF() + (mark.redF() - face.redF()) * share),
                            float(face.greenF() + (mark.greenF() - face.greenF()) * share),
                            float(face.blueF() + (mark.blueF() - face.blueF()) * share));
}

void fitListColumns(grid::DataGrid& grid, const QString& lastSample) {
    grid.fitColumn(0, QStringLiteral("000 000 000 "));
    grid.fitColumn(1, QStringLiteral("000"));
    grid.setStretchColumn(2);
    grid.fitColumn(3, lastSample);
}

void countAllRows(dao::Recordset& rs) {
    if (rs.atBOF() && rs.atEOF()) return;
    rs.MoveLast();
    rs.MoveFirst();
}

bool hasCurrentRow(const dao::Recordset* rs) {
    return rs && rs->isOpen() && !rs->atBOF() && !rs->atEOF();
}

} // namespace results
