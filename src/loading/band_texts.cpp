#include "loading/band_texts.h"

namespace loading {

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
} // namespace

QString employeesText(const QVariant& code) {
    return bandText(code, kEmployees);
}

QString salesText(const QVariant& code) {
    return bandText(code, kSales);
}

} // namespace loading
