// The type-ahead of the list form's "Search for" box, as rules on recordsets without a window: on
// tab 0 a seek on the order's index, on a search tab a walk from the current row towards the text.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace dao {
class Recordset;
}

namespace results {

// All records: puts table on index when it is on another one (reordered), then seeks the first key
// at or after text. found is false when every key sorts before text; the table then stands past
// its end and the list stays where it was. Throws dao::DaoError when there is no order to seek on.
struct SeekResult {
    bool reordered = false;
    bool found = false;
};
SeekResult seekAllRecords(dao::Recordset& table, const QString& index, const QString& text);

// A search's result sorted by field: moves to the row the typed text belongs at, searching from
// the current row in the text's direction, without regard to case. Empty text, or text that sorts
// before "!", goes to the first row. Returns false when it did not look (no current row, no sort
// field), true when the grid must follow the recordset. Database failures stop the search where it
// stands.
bool findInResults(dao::Recordset& result, const QString& field, const QString& text);

// How a field's value compares with typed text, as the database compares them in a criterion:
// text without regard to case, dates and numbers as such. Nothing when they cannot be compared.
std::optional<int> compareCriterion(const QVariant& value, const QString& text);

} // namespace results
