// The lines of an export file: the header and record lines of the comma-delimited, tab-delimited
// and limited formats, the fixed-length record, and the per-row preparation of the names, address
// and contact fields they share. Pure: the run reads the rows and writes the lines.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

#include <array>

namespace exporting {

enum class ExportFormat { CommaDelimited = 0, TabDelimited = 1, FixedLength = 2, LimitedFields = 3 };

// The fields of an employer row that an export reads, by the names the row source gives them.
enum class Field {
    FILE, SEQUENCE, Omit, NAME1, NAME2, STREET, CITY, ST, ZIP, ZIPEXT, PHONE, FAX, TITLE, CONTACT,
    SIC, EMPLOYEES, SALES, User1, User2, User3, UserPhone, UserFax, UserContact, UserTitle,
    NJPPAP, NJCCPAP, NJAR, ARESTPREM, ARTOTPREM, ARTOTLOSS,
};
constexpr int kFieldCount = int(Field::ARTOTLOSS) + 1;
// The fields a line of a data set reads: the six from NJPPAP on are New Jersey's alone.
constexpr int fieldsRead(bool newJersey) {
    return newJersey ? kFieldCount : int(Field::NJPPAP);
}
QString fieldName(Field field);

// One row of the row source; a field it lacks is Null.
struct SourceRow {
    std::array<QVariant, kFieldCount> values;
    QVariant& operator[](Field f) { return values[size_t(f)]; }
    const QVariant& operator[](Field f) const { return values[size_t(f)]; }
};

// A modification of the employer, newest first: its expiry date and its MOD.
struct ModValue {
    QVariant expire;
    QVariant mod;
};

// A class of the employer: its code, and the class list's code and description when the list
// holds the code (listed false: the code alone, with an empty description).
struct ClassValue {
    QVariant code;
    QVariant description;
    bool listed = false;
};

// What one exported line needs besides the row: the employer's mods and classes, most first.
struct Employer {
    QVector<ModValue> mods;
    QVector<ClassValue> classes;
};

// Mods and classes a line holds at most.
constexpr int kModPairs = 8;
constexpr int kLimitedModPairs = 4;
constexpr int kClassPairs = 11;
int modPairsOf(ExportFormat format);
bool hasClasses(ExportFormat format); // the comma- and tab-delimited formats and the fixed length

// Names, address and contact as a line writes them (the preparation of a row).
struct ExportFields {
    QString NAME1, NAME2, STREET, CITY, CONTACT, TITLE, FAX, PHONE, ZIP;
};

// The user's own contact, title, telephone and fax stand for the released ones when present; the
// ZIP code takes its extension (unless the row comes from the expiry order's copy, whose ZIP holds
// it already); lowerCase puts names, address, contact and title into proper case.
ExportFields prepareExportRow(const SourceRow& row, bool sortedByExpiry, bool lowerCase);

// The employer is left out of every export: Omit is "Y" or Null.
bool isLeftOut(const SourceRow& row);

// A stored value as text: "" for Null, numbers with at most 15 significant digits and "." as the
// decimal point (0.009, 1), dates as MM/DD/YYYY.
QString valueText(const QVariant& value);
// The text written for a mod's expiry: MM/DD/YYYY, "" for the no-date placeholders of 1950 and
// 2050 and for a missing date.
QString modDateText(const QVariant& expire);

// The separator between values of a delimited line: quote, comma or tab, quote; "" for the fixed length.
QString separatorOf(ExportFormat format);

// The header line of a delimited format (none for the fixed length: ""), without its line end.
QString headerLine(ExportFormat format, bool newJersey);
// The record line of a delimited format, without its line end.
QString delimitedLine(ExportFormat format, const SourceRow& row, const ExportFields& fields,
                      const Employer& employer, bool newJersey);
// The fixed-length record, without its line end.
QString fixedLine(const SourceRow& row, const ExportFields& fields, const Employer& employer, bool newJersey);

// A line as the file holds it: Windows-1252, a NUL written as a blank, then CR LF.
void appendLine(QByteArray& out, const QString& line);

} // namespace exporting
