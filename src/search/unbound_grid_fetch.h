// Rows of an unbound grid asked for by bookmark. A bookmark is null (before the first or after the
// last row) or the text of a row index: one blank and the digits ("  0" style of the original's
// Str$), a minus sign in place of the blank for a negative index. The form answers for one cell at
// a time through OldStyleFetch.
#pragma once

#include "platform/grid/unbound_model.h"

#include <QVariant>

namespace UnboundGridFetch {

// Marks a bookmark that names no row.
inline constexpr qint32 kInvalidRow = -2000;

// What a form must offer to be served: the value of cell (Row, Col) stored into Value.
class FetchForm {
public:
    virtual ~FetchForm() = default;
    virtual void OldStyleFetch(qint16 Row, qint16 Col, QVariant& Value) = 0;
};

QVariant MakeBookmark(qint32 Index);
// Row index of Bookmark: MaxRows (ReadPriorRows) or -1 for a null bookmark, kInvalidRow when the
// number it holds is not a row.
qint32 IndexFromBookmark(const QVariant& Bookmark, bool ReadPriorRows, qint16 MaxRows);
// The cell's value from the form, or null outside the rows and columns.
QVariant GetUserData(FetchForm& Form, const QVariant& Bookmark, qint16 Col, qint16 MaxRows, qint16 MaxCols);
// The bookmark RelPos rows away from Bookmark, or null past either end.
QVariant GetRelativeBookmark(const QVariant& Bookmark, qint16 RelPos, qint16 MaxRows);

// A grid model whose cells come from form through the functions above: rows are walked forwards
// from a null bookmark and each cell is asked for by its row's bookmark. Call reload() after the
// form's rows changed.
class FetchModel : public grid::UnboundModel {
    Q_OBJECT
public:
    FetchModel(FetchForm& form, QVector<grid::ColumnSpec> columns, QObject* parent = nullptr);

    // Takes the new number of rows from the form and fetches every shown cell again.
    void reload(int rowCount);

private:
    FetchForm& form_;
};

} // namespace UnboundGridFetch
