// The list form's grids: their columns, the heading that marks the sorted column, and the rows of
// the recordsets behind them.
#pragma once

#include "platform/grid/column_spec.h"

#include <QColor>
#include <QPalette>
#include <QVector>

namespace dao {
class Recordset;
}
namespace grid {
class DataGrid;
}

namespace results {

// All records (TDBGrid1): File #, Seq, Company Name, County and the hidden Omit.
QVector<grid::ColumnSpec> allRecordsColumns();
// A search's result (TDBGrid4): File, Seq, Name, Expires and the hidden Omit.
QVector<grid::ColumnSpec> searchColumns();
// The record's mods (TDBGrid2): Issue, Effective, Expires and MOD, whose merit values show by name.
QVector<grid::ColumnSpec> modsColumns();

// The headings of columns 0 to 3 in the button face, the sorted column's in sortedHeaderColor and
// with the header's sort indicator.
void markSortColumn(grid::DataGrid& grid, int column);
// A tint of the selection colour that stands out from the other headings.
QColor sortedHeaderColor(const QPalette& palette);
// The list grids' columns: file, sequence and the last column fit their values, the name takes
// the rest of the width.
void fitListColumns(grid::DataGrid& grid, const QString& lastSample);

// Reaches the last row, which makes RecordCount exact, and goes back to the first.
void countAllRows(dao::Recordset& rs);
// rs is open and stands on a row.
bool hasCurrentRow(const dao::Recordset* rs);

} // namespace results
