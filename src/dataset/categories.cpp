#include "dataset/categories.h"

namespace dataset {

namespace {

const char* const kEmployees[] = {"Unknown", "1 - 4",     "5 - 9",     "10 - 19",   "20 - 49",
                                  "50 - 99", "100 - 249", "250 - 499", "500 - 999", "1000+"};
const char* const kSales[] = {"Unknown",         "Under 1 million", "1MM - 4.9MM",    "5MM - 9.9MM",
                              "10MM - 24.9MM",   "25MM - 74.9MM",   "75MM - 199.9MM", "200MM - 499.9MM",
                              "500MM - 999.9MM", "1 Billion +"};

QString bandText(const QVariant& code, const char* const (&texts)[10]) {
    const QString c = code.toString();
    if (c.size() == 1 && c.at(0) >= QLatin1Char('0') && c.at(0) <= QLatin1Char('9'))
        return QString::fromLatin1(texts[c.at(0).unicode() - '0']);
    return QString();
}

// The shipped band tables carry the texts the record detail form has built in.
QVector<CategoryRow> bandRows(QString (*text)(const QVariant&)) {
    QVector<CategoryRow> rows;
    for (char c = '0'; c <= '9'; ++c)
        rows.append({QString(QLatin1Char(c)), text(QString(QLatin1Char(c)))});
    return rows;
}

} // namespace

QString employeesText(const QVariant& code) {
    return bandText(code, kEmployees);
}

QString salesText(const QVariant& code) {
    return bandText(code, kSales);
}

const QVector<CategoryRow>& employeeBands() {
    static const QVector<CategoryRow> rows = bandRows(employeesText);
    return rows;
}

const QVector<CategoryRow>& salesBands() {
    static const QVector<CategoryRow> rows = bandRows(salesText);
    return rows;
}

const QVector<CategoryRow>& meritClasses() {
    static const QVector<CategoryRow> rows{
        {"9.884", "Neutral"},
        {"9.885", "Credit"},
        {"9.886", "Debit"},
        {"8.888", "N/Q"},
    };
    return rows;
}

} // namespace dataset
