// The address override: a PRIME row whose User1 begins with "!&" carries its own street in User2
// and "City ST Zip" (with an optional "-" and four-digit extension) in User3.
#pragma once

#include <QString>

namespace dataset {

// The parts of a "City ST Zip" text; each is empty when the text does not give it.
struct AddressParts {
    QString CITY;
    QString ST;
    QString ZIP;
    QString ZIPEXT;
};

// Splits a "City ST Zip[-Ext]" text from the right: a "-" fifth from the end takes the extension,
// a blank sixth from the end the ZIP code, a blank third from the end the state; the rest is the city.
AddressParts parseCityStZip(const QString& user3Text);

// Widths of the PRIME address columns; STREET is 34 wide in New York, 40 elsewhere.
int streetWidth(const QString& stateCode);
inline constexpr int kCityWidth = 22;

// Why a street cannot be stored under the override ("" when it can): missing, or wider than STREET.
QString streetProblem(const QString& street, const QString& stateCode);
// Only the width: "" when street fits STREET.
QString streetWidthProblem(const QString& street, const QString& stateCode);

// Why parsed parts cannot be stored under the override ("" when they can): the first missing part
// in the order city, state, ZIP, then a city wider than CITY.
QString cityStZipProblem(const AddressParts& parts);
// Only the width: "" when the parts fit their columns. The parser takes exactly as many characters
// as ST, ZIP and ZIPEXT hold, so only the city can overflow.
QString cityWidthProblem(const AddressParts& parts);

} // namespace dataset
