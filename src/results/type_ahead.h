// The type-ahead of the list form's "Search for" box, as rules on recordsets without a window: on
// tab 0 a seek on the order's index, on a search tab a search of the sorted result by halving.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace dao {
class Recordset;
}

namespace results {

// All records: puts table on index when it is on another one (reordered), then seeks the first key
// at or after text; empty text goes to the first row. found is false when every key sorts before text; the
// table then stands past its end and the list stays where it was. Throws dao::DaoError when there is no order
// to seek on.
struct SeekResult {
    bool reordered = false;
    bool found = false;
};
SeekResult seekAllRecords(dao::Recordset& table, const QString& index, const QString& text);

// How a search's result is sorted: by its sort field's value, or (Expires) by the month and day of
// the field's date, whatever the year.
enum class ResultOrder { ByValue, ByAnniversary };

// A search's result sorted by field: moves to the first row whose field is not before the typed
// text in the result's order (the row a walk from the current row towards the text reaches),
// found by halving the result, never by walking it. Text compares without regard to case; in
// anniversary order the text is read as the grid shows the date, "MM/DD" (the year is not part of
// the order). When every row sorts before the text the last row is the nearest. Empty text, or
// text that sorts before "!", goes to the first row; text holding a double quote, or that cannot
// be compared with the field (not a date, not a number), leaves the row where it is. Returns false
// when it did not look (no current row, no sort field), true when the grid must follow the
// recordset. Database failures stop the search where it stands.
bool findInResults(dao::Recordset& result, const QString& field, const QString& text,
                   ResultOrder order = ResultOrder::ByValue);

// How a field's value compares with typed text in a result's order: text as the database orders it
// (dao::compareText), dates and numbers as such, Null before everything; in anniversary order the
// date's "MM/DD" with the text's first five characters. Nothing when they cannot be compared.
std::optional<int> compareCriterion(const QVariant& value, const QString& text,
                                    ResultOrder order = ResultOrder::ByValue);

} // namespace results
