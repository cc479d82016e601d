// Column definitions shared by the bound and unbound grid models: what a column shows and how.
#pragma once

#include <QColor>
#include <QString>
#include <QVariant>
#include <QVector>

namespace grid {

// A stored value shown as another text (a grid's "value items", e.g. 9.886 shown as "Debit").
struct ValueItem {
    QVariant value{};
    QString display{};
};

// How a column of numbers stands: right, so that the digits line up.
inline constexpr Qt::Alignment kNumberAlignment = Qt::AlignRight | Qt::AlignVCenter;

struct ColumnSpec {
    QString caption{};
    QString field{};  // the recordset field a bound column reads; unused by unbound grids
    QString format{}; // "" (as stored), "MM/DD/YY" or "mm/dd/yy", "Standard", "0.000", ".00"
    bool visible = true;
    QColor headerColor{}; // invalid: the style's default
    QVector<ValueItem> valueItems{};
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter; // numbers: kNumberAlignment
};

// Text of value in a display format. Null gives "". Dates take "MM/DD/YY" (either case);
// numbers take "Standard" (two decimals, thousands separated), "0.000" and ".00" (two decimals,
// no leading zero). A value the format does not apply to is shown as stored.
QString formatValue(const QVariant& value, const QString& format);

// True when a stored value equals a value item's value: dates as dates, numbers as numbers
// (to a millionth), anything else as text.
bool sameValue(const QVariant& stored, const QVariant& item);

// What a cell of column shows for value: the first matching value item, else the formatted value.
QString displayText(const ColumnSpec& column, const QVariant& value);

} // namespace grid
