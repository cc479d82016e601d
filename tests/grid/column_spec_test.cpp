// Display formats and value items of grid columns.
#include "platform/grid/column_model.h"
#include "platform/grid/column_spec.h"
#include "platform/grid/data_grid.h"
#include "platform/grid/unbound_model.h"

#include <QBrush>
#include <QDate>
#include <QHeaderView>

#include <gtest/gtest.h>

using grid::ColumnSpec;
using grid::displayText;
using grid::formatValue;

TEST(ColumnFormat, DatesInEitherCaseOfMonthDayYear) {
    EXPECT_EQ(formatValue(QDate(1999, 1, 5), "MM/DD/YY"), "01/05/99");
    EXPECT_EQ(formatValue(QDate(2004, 12, 31), "mm/dd/yy"), "12/31/04");
    // Stored ISO text reads as a date too.
    EXPECT_EQ(formatValue(QStringLiteral("2001-07-04"), "MM/DD/YY"), "07/04/01");
    // Not a date: shown as stored.
    EXPECT_EQ(formatValue(QStringLiteral("soon"), "MM/DD/YY"), "soon");
}

TEST(ColumnFormat, NumbersAndNull) {
    EXPECT_EQ(formatValue(0.95, "0.000"), "0.950");
    EXPECT_EQ(formatValue(1.2345, "0.000"), "1.234"); // 1.2345 is stored just below the half
    EXPECT_EQ(formatValue(1234567.891, "Standard"), "1,234,567.89");
    EXPECT_EQ(formatValue(-1234.5, "Standard"), "-1,234.50");
    EXPECT_EQ(formatValue(12, "Standard"), "12.00");
    // A date in a number format: its day serial (30 December 1899 is day 0).
    EXPECT_EQ(formatValue(QDate(1900, 1, 1), "STANDARD"), "2.00");
    EXPECT_EQ(formatValue(QVariant(), "0.000"), "");
    EXPECT_EQ(formatValue(QStringLiteral("ACME "), ""), "ACME ");
}

TEST(ColumnFormat, ValueItemsReplaceMatchingValues) {
    ColumnSpec mod{"MOD", "MOD", "0.000", true, {}, {{9.886, "Debit"}, {8.888, "N/Q"}}};
    EXPECT_EQ(displayText(mod, 9.886), "Debit");
    EXPECT_EQ(displayText(mod, 8.888), "N/Q");
    EXPECT_EQ(displayText(mod, 0.9), "0.900");
    ColumnSpec issue{"Issue", "ISSUE", "mm/dd/yy", true, {}, {{QStringLiteral("01/01/50"), " "}}};
    EXPECT_EQ(displayText(issue, QDate(1950, 1, 1)), " ");
    EXPECT_EQ(displayText(issue, QDate(2050, 1, 1)),
              "01/01/50"); // a real date of 2050 is not the placeholder
    EXPECT_EQ(displayText(issue, QVariant()), "");
}

TEST(UnboundModel, FetchesOnlyCellsInRangeAndNeverEdits) {
    int calls = 0;
    grid::UnboundModel m({{"A", ""}, {"B", "", "0.000"}}, [&](int row, int col) {
        ++calls;
        return QVariant(row * 10 + col);
    });
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_FALSE(m.value(0, 0).isValid());
    m.setRowCount(3);
    EXPECT_EQ(m.data(m.index(2, 1)).toString(), "21.000");
    EXPECT_FALSE(m.value(3, 0).isValid());
    EXPECT_FALSE(m.value(0, 2).isValid());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), "B");
}

TEST(UnboundModel, RowStyleAndHeaderColour) {
    grid::UnboundModel m({{"A", ""}},
                         [](int row, int) { return row == 1 ? QStringLiteral("Y") : QStringLiteral(" "); });
    m.setRowCount(2);
    m.setRowStyle(
        [&](int row) { return m.value(row, 0) == QStringLiteral("Y") ? QColor(255, 0, 0) : QColor(); });
    EXPECT_FALSE(m.data(m.index(0, 0), Qt::ForegroundRole).isValid());
    EXPECT_EQ(m.data(m.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    ColumnSpec c = m.column(0);
    c.headerColor = QColor(Qt::yellow);
    m.setColumn(0, c);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(Qt::yellow));
}

TEST(DataGrid, ASortedFittedColumnShowsItsWholeCaptionAfterTheCaptionChanges) {
    grid::UnboundModel m({{"File", ""}, {"Expires", ""}},
                         [](int, int) { return QStringLiteral("01/01/25"); });
    m.setRowCount(3);
    grid::DataGrid g;
    g.setColumnModel(&m);
    g.fitColumn(1, QStringLiteral("00/00/00"));
    g.setSortColumn(1);
    g.show();
    for (const char* caption : {"Expires", "Anniversary"}) {
        g.setColumnCaption(1, QString::fromLatin1(caption));
        // What the header itself needs for the caption beside its sort indicator.
        EXPECT_GE(g.columnWidth(1), g.horizontalHeader()->sectionSizeHint(1)) << caption;
    }
}
