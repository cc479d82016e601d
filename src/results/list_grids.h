// The list form's grids: their columns, the heading that marks the sorted column, and the rows of
// the recordsets behind them.
#pragma once

#include "platform/grid/column_spec.h"

#include <QColor>
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

// The headings of columns 0 to 3 in face, the sorted column's in marked.
void markSortColumn(grid::DataGrid& grid, int column, const QColor& face, const QColor& marked);

// Reaches the last row, which makes RecordCount exact, and goes back to the first.
void countAllRows(dao::Recordset& rs);
// rs is open and stands on a row.
bool hasCurrentRow(const dao::Recordset* rs);

} // namespace results
