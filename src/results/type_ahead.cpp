#include "results/type_ahead.h"

#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "results/list_grids.h"

namespace results {

namespace {

enum class Find { Found, NotFound, Failed };

// Walks from the row after (forward) or before the current one to the nearest row whose field is
// not less (forward) or not greater (backward) than text. When the criterion cannot be evaluated
// the recordset goes back to where it was, as a failed find leaves it.
Find findFrom(dao::Recordset& rs, const QString& field, const QString& text, bool forward) {
    const dao::Bookmark start = rs.bookmark();
    auto step = [&] { forward ? rs.MoveNext() : rs.MovePrevious(); };
    for (step(); forward ? !rs.atEOF() : !rs.atBOF(); step()) {
        const QVariant v = rs.value(field);
        const std::optional<int> c = compareCriterion(v, text);
        if (c && (forward ? *c >= 0 : *c <= 0)) return Find::Found;
        if (!c && v.isValid() && !v.isNull()) {
            rs.setBookmark(start);
            return Find::Failed;
        }
    }
    return Find::NotFound;
}

} // namespace

SeekResult seekAllRecords(dao::Recordset& table, const QString& index, const QString& text) {
    SeekResult r;
    if (!index.isEmpty() && table.index() != index) {
        table.setIndex(index);
        r.reordered = true;
    }
    table.Seek(QStringLiteral(">="), {text});
    r.found = !table.NoMatch();
    return r;
}

std::optional<int> compareCriterion(const QVariant& v, const QString& text) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    if (v.typeId() == QMetaType::QDate) {
        const QDate d = dao::toDate(text);
        if (!d.isValid()) return std::nullopt;
        return v.toDate() < d ? -1 : (v.toDate() > d ? 1 : 0);
    }
    if (v.typeId() == QMetaType::QString) return QString::compare(v.toString(), text, Qt::CaseInsensitive);
    bool ok = false;
    const double x = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    const double y = v.toDouble();
    return y < x ? -1 : (y > x ? 1 : 0);
}

bool findInResults(dao::Recordset& result, const QString& field, const QString& text) {
    try {
        if (text.isEmpty() || dataset::isEmptyText(text)) {
            result.MoveFirst();
            return true;
        }
        if (!hasCurrentRow(&result) || field.isEmpty()) return false;
        const QString current = result.text(field).toUpper();
        // The finds compare without regard to case, so the direction must too: a lower-case "b"
        // typed at a name starting with M lies behind, not ahead.
        const QString key = text.toUpper();
        // A double quote would end the criterion's literal: such a find fails and is skipped.
        const bool criterionValid = !text.contains(QLatin1Char('"'));
        if (QString::compare(key, current, Qt::CaseSensitive) > 0) {
            // Every later row sorts before the text: the last row is the nearest.
            if (criterionValid && findFrom(result, field, text, true) == Find::NotFound) result.MoveLast();
        } else {
            if (criterionValid && findFrom(result, field, text, false) == Find::NotFound) {
                // Every earlier row sorts after the text: the first row is the one wanted.
                result.MoveFirst();
                return true;
            }
            if (hasCurrentRow(&result) &&
                QString::compare(result.text(field).toUpper(), key, Qt::CaseSensitive) < 0) {
                result.MoveNext();
                if (result.atEOF()) result.MoveLast();
            }
        }
    } catch (const dao::DaoError&) {
    }
    return true;
}

} // namespace results
