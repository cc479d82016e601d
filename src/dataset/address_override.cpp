#include "dataset/address_override.h"

#include "dataset/data_set.h"
#include "dataset/text_rules.h"

namespace dataset {

using dataset::trimBlanks;

AddressParts parseCityStZip(const QString& user3Text) {
    AddressParts parts;
    QString s = trimBlanks(user3Text);
    // Positions below are 1-based as in the rule: character p is s.at(p - 1).
    qsizetype len = s.size();
    if (len > 5 && s.at(len - 5) == QLatin1Char('-')) {
        parts.ZIPEXT = s.right(4);
        s = trimBlanks(s.left(len - 5));
        len = s.size();
    }
    if (len > 6 && s.at(len - 6) == QLatin1Char(' ')) {
        parts.ZIP = s.right(5);
        s = trimBlanks(s.left(len - 5));
        len = s.size();
    }
    if (len > 3 && s.at(len - 3) == QLatin1Char(' ')) {
        parts.ST = s.right(2);
        s = trimBlanks(s.left(len - 2));
    }
    parts.CITY = s;
    return parts;
}

int streetWidth(const QString& stateCode) {
    return dataset::isNewYork(stateCode) ? 34 : 40;
}

namespace {
QString tooLong(const char* what, int width) {
    return QStringLiteral("%1 Too Long, At Most %2 Characters").arg(QLatin1String(what)).arg(width);
}
} // namespace

QString streetWidthProblem(const QString& street, const QString& stateCode) {
    return street.size() > streetWidth(stateCode) ? tooLong("Street Address", streetWidth(stateCode))
                                                  : QString();
}

QString streetProblem(const QString& street, const QString& stateCode) {
    if (trimBlanks(street).isEmpty()) return QStringLiteral("Missing Street Address");
    return streetWidthProblem(street, stateCode);
}

QString cityWidthProblem(const AddressParts& parts) {
    return parts.CITY.size() > kCityWidth ? tooLong("City", kCityWidth) : QString();
}

QString cityStZipProblem(const AddressParts& parts) {
    if (trimBlanks(parts.CITY).isEmpty()) return QStringLiteral("Missing City, Format Must be City ST Zip");
    if (trimBlanks(parts.ST).isEmpty()) return QStringLiteral("Missing State, Format Must be City ST Zip");
    if (trimBlanks(parts.ZIP).isEmpty())
        return QStringLiteral("Missing Zip Code, Format Must be City ST Zip");
    return cityWidthProblem(parts);
}

} // namespace dataset
