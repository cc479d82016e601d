#include "results/type_ahead.h"

#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "results/list_grids.h"

namespace results {

SeekResult seekAllRecords(dao::Recordset& table, const QString& index, const QString& text) {
    SeekResult r;
    if (!index.isEmpty() && table.index() != index) {
        table.setIndex(index);
        r.reordered = true;
    }
    if (text.isEmpty()) {
        // An emptied box goes back to the first row, before any whose key is Null.
        table.MoveFirst();
        r.found = !table.atEOF();
        return r;
    }
    table.Seek(QStringLiteral(">="), {text});
    r.found = !table.NoMatch();
    return r;
}

std::optional<int> compareCriterion(const QVariant& v, const QString& text, ResultOrder order) {
    if (order == ResultOrder::ByAnniversary) {
        const QDate d = dao::toDate(v);
        const QString key = d.isValid() ? d.toString(QStringLiteral("MM/dd")) : QString();
        // "3/15" means what the grid shows as 03/15.
        const QString typed = text.size() > 1 && text[1] == u'/' ? u'0' + text : text;
        return dao::compareText(key, typed.left(5));
    }
    if (!v.isValid() || v.isNull()) return -1; // Null sorts first
    if (v.typeId() == QMetaType::QDate) {
        const QDate d = dao::toDate(text);
        if (!d.isValid()) return std::nullopt;
        return v.toDate() < d ? -1 : (v.toDate() > d ? 1 : 0);
    }
    if (v.typeId() == QMetaType::QString) return dao::compareText(v.toString(), text);
    bool ok = false;
    const double x = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    const double y = v.toDouble();
    return y < x ? -1 : (y > x ? 1 : 0);
}

bool findInResults(dao::Recordset& result, const QString& field, const QString& text, ResultOrder order) {
    try {
        if (text.isEmpty() || dataset::isEmptyText(text)) {
            result.MoveFirst();
            return true;
        }
        if (!hasCurrentRow(&result) || field.isEmpty()) return false;
        // A double quote would end the criterion's literal: such a find fails and is skipped.
        if (text.contains(QLatin1Char('"'))) return true;
        const dao::Bookmark start = result.bookmark();
        result.MoveLast();
        const long long count = result.RecordCount();
        // The rows before lo sort before the text, those from hi on do not.
        long long lo = 0, hi = count;
        while (lo < hi) {
            const long long mid = lo + (hi - lo) / 2;
            result.setAbsolutePosition(mid);
            const std::optional<int> c = compareCriterion(result.value(field), text, order);
            if (!c) { // the criterion cannot be evaluated: the find fails
                result.setBookmark(start);
                return true;
            }
            if (*c < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < count)
            result.setAbsolutePosition(lo);
        else
            result.MoveLast(); // every row sorts before the text: the last row is the nearest
    } catch (const dao::DaoError&) {
        // A result that cannot be read leaves the current row where the find stopped: type-ahead
        // moves, it never writes.
    }
    return true;
}

} // namespace results
