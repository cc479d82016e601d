#include "search/unbound_grid_fetch.h"

#include <cmath>
#include <limits>

namespace UnboundGridFetch {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The number at the start of text, as the original's Val reads it: leading blanks skipped,
// reading stops at the first character that cannot continue a number, no number is 0.
double leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    qsizetype end = i;
    bool digits = false;
    while (i < n && isDigit(text[i]))
        end = ++i, digits = true;
    if (i < n && text[i] == u'.') {
        ++i;
        if (digits) end = i;
        while (i < n && isDigit(text[i]))
            end = ++i, digits = true;
    }
    if (!digits) return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double v = text.mid(start, end - start).toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace

QVariant MakeBookmark(qint32 Index) {
    if (Index < 0) return QString::number(Index);
    return QStringLiteral(" ") + QString::number(Index);
}

qint32 IndexFromBookmark(const QVariant& Bookmark, bool ReadPriorRows, qint16 MaxRows) {
    if (!Bookmark.isValid() || Bookmark.isNull()) return ReadPriorRows ? MaxRows : -1;
    // Nearest whole number, halves to even, as the original's conversion to an integer.
    const double row = std::nearbyint(leadingNumber(Bookmark.toString()));
    if (!(row >= 0.0) || row >= double(MaxRows)) return kInvalidRow;
    return qint32(row);
}

QVariant GetUserData(FetchForm& Form, const QVariant& Bookmark, qint16 Col, qint16 MaxRows, qint16 MaxCols) {
    const qint32 row = IndexFromBookmark(Bookmark, false, MaxRows);
    if (Col >= 0 && Col < MaxCols && row >= 0 && row < MaxRows) {
        QVariant value;
        Form.OldStyleFetch(qint16(row), Col, value);
        return value;
    }
    return QVariant();
}

QVariant GetRelativeBookmark(const QVariant& Bookmark, qint16 RelPos, qint16 MaxRows) {
    const qint32 row = IndexFromBookmark(Bookmark, false, MaxRows) + RelPos;
    if (row >= 0 && row < MaxRows) return MakeBookmark(row);
    return QVariant();
}

FetchModel::FetchModel(FetchForm& form, QVector<grid::ColumnSpec> columns, QObject* parent)
    : grid::UnboundModel(std::move(columns), {}, parent), form_(form) {
    setFetch([this](int row, int col) {
        const qint16 maxRows = qint16(rows());
        // Row r is reached from the place before the first row (a null bookmark), r + 1 rows on.
        const QVariant bookmark = GetRelativeBookmark(QVariant(), qint16(row + 1), maxRows);
        return GetUserData(form_, bookmark, qint16(col), maxRows, qint16(columnCount()));
    });
}

void FetchModel::reload(int rowCount) {
    setRowCount(qBound(0, rowCount, int(std::numeric_limits<qint16>::max()) - 1));
}

} // namespace UnboundGridFetch
