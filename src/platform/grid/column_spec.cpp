#include "platform/grid/column_spec.h"

#include "platform/dao/dao.h"

#include <QDate>

#include <cmath>

namespace grid {

namespace {

bool asNumber(const QVariant& v, double* out) {
    if (dao::isNumber(v)) {
        *out = v.toDouble();
        return true;
    }
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok;
    }
    return false;
}

// "1234567.891" -> "1,234,567.89"
QString standardNumber(double x) {
    QString digits = QString::number(std::fabs(x), 'f', 2);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    for (qsizetype i = point - 3; i > 0; i -= 3) {
        digits.insert(i, QLatin1Char(','));
    }
    // -0.00 shows as 0.00
    if (x < 0 && digits != QLatin1String("0.00")) digits.prepend(QLatin1Char('-'));
    return digits;
}

QString plainText(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("M/d/yyyy"));
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

} // namespace

QString formatValue(const QVariant& value, const QString& format) {
    if (!value.isValid() || value.isNull()) return QString();
    const QString f = format.toLower();
    if (f == QLatin1String("mm/dd/yy")) {
        const QDate d = dao::toDate(value);
        return d.isValid() ? d.toString(QStringLiteral("MM/dd/yy")) : plainText(value);
    }
    if (f == QLatin1String("standard")) {
        double x = 0;
        if (asNumber(value, &x)) return standardNumber(x);
        const QDate d = dao::toDate(value);
        // A date in a number format shows as its day serial (days since 30 December 1899).
        if (d.isValid()) return standardNumber(double(QDate(1899, 12, 30).daysTo(d)));
        return plainText(value);
    }
    if (f == QLatin1String(".00")) {
        // Two decimals and no leading zero: 0.5 shows as ".50".
        double x = 0;
        if (!asNumber(value, &x)) return plainText(value);
        QString s = QString::number(x, 'f', 2);
        if (s.startsWith(QLatin1String("0.")))
            s.remove(0, 1);
        else if (s.startsWith(QLatin1String("-0.")))
            s.remove(1, 1);
        return s == QLatin1String("-.00") ? QStringLiteral(".00") : s;
    }
    if (f == QLatin1String("0.000")) {
        double x = 0;
        if (asNumber(value, &x)) return QString::number(x, 'f', 3);
        return plainText(value);
    }
    return plainText(value);
}

bool sameValue(const QVariant& stored, const QVariant& item) {
    if (!stored.isValid() || stored.isNull()) return !item.isValid() || item.isNull();
    if (!item.isValid() || item.isNull()) return false;
    const bool storedIsDate = stored.typeId() == QMetaType::QDate || stored.typeId() == QMetaType::QDateTime;
    if (storedIsDate) {
        const QDate a = dao::toDate(stored), b = dao::toDate(item);
        return a.isValid() && a == b;
    }
    if (dao::isNumber(stored)) {
        double b = 0;
        return asNumber(item, &b) && std::fabs(stored.toDouble() - b) < 1e-6;
    }
    return stored.toString() == item.toString();
}

QString displayText(const ColumnSpec& column, const QVariant& value) {
    for (const ValueItem& item : column.valueItems) {
        if (sameValue(value, item.value)) return item.display;
    }
    return formatValue(value, column.format);
}

} // namespace grid
