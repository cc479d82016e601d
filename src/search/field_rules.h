// The eighteen fields of the lookup editor and the rules each one follows: the values put into
// FROM and THRU when it is chosen, the category table that helps pick values, the data sets it
// belongs to, the checks made when an entry is accepted and whether it may appear once only.
// No widgets here: the editor calls these and shows what they return.
#pragma once

#include "search/lookup_parameter.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace search {

// Title of every warning the lookup editor shows.
inline const char* const kLookupTitle = "Enter Selection Parameters";

namespace msg {
inline const char* const kNoFieldSelected = "No field selected!";
inline const char* const kDateMMDD = "Date must be in the form MMDD!";
inline const char* const kInvalidMod = "Invalid mod!";
inline const char* const kInvalidEmployees = "Invalid employee category!";
inline const char* const kInvalidSales = "Invalid sales category!";
inline const char* const kDateMMYY = "Date must be in the form MMYY!";
inline const char* const kOnceOnly = "This field cannot be used more than once in a search.";
inline const char* const kPmDmOnly = "This field can only be used with PM & DM Databases.";
inline const char* const kNjOnly = "This field can only be used with New Jersey.";
inline const char* const kNoZip = "No zip code entered!";
inline const char* const kNoParameters = "No parameters selected for this search!";
inline const char* const kNoTitle = "No title entered for this search!";
inline const char* const kMaxSearches =
    "Cannot write search information to disk!  Maximum searches is 8 named searches and 1 untitled search.";
} // namespace msg

// Positions in the field list (List1 / List3).
enum FieldPos : int {
    kExpire = 0,
    kMod = 1,
    kName = 2,
    kZip = 3,
    kCounty = 4,
    kClass = 5,
    kSic = 6,
    kEmployees = 7,
    kSales = 8,
    kMerit = 9,
    kArea = 10,
    kNewRecords = 11,
    kNjArOnly = 12,
    kFileNum = 13,
    kUser1 = 14,
    kUser2 = 15,
    kUser3 = 16,
    kIssueYear = 17,
    kFieldCount = 18,
};

// The category table behind a field: its two columns and the column it is sorted by at first.
struct CategoryTable {
    QString table;
    QString codeColumn;
    QString nameColumn;
    int keyColumn = 0;      // 0 code, 1 name
    bool sorted = true;     // MERIT is listed as stored
    bool searchFor = false; // "Search for" box shown
    bool codeHidden = false;
};

enum class DataSets { All, NjOnly, PmDmOnly };

struct LookupField {
    QString caption; // as listed outside NY
    QString code;    // SQLEXPR
    bool onceOnly = false;
    DataSets dataSets = DataSets::All;
    std::optional<CategoryTable> category;
};

// The field at pos (0..17); pos must be valid.
const LookupField& lookupField(int pos);
bool isValidField(int pos);

// Caption shown for pos in the data set: field 0 reads "Anniversary" in NY.
QString fieldCaption(int pos, const QString& state);
QStringList fieldCaptions(const QString& state);
QStringList fieldCodes();

// The data-set warning for choosing (or accepting) pos in state, "" when the field belongs there.
QString dataSetMessage(int pos, const QString& state);

// What choosing a field puts into the boxes.
struct FieldDefaults {
    QString from;
    QString thru;
    int fromSelection = 0; // characters of FROM selected from its start
    bool thruShown = true; // false: THRU hidden and disabled (merit)
};
FieldDefaults fieldDefaults(int pos, const QDate& today);

// Default THRU of "File #": month and two-digit year of the date three months after today ("0326").
QString fileNumberThru(const QDate& today);

// Which box gets the focus after a refused entry.
enum class FocusBox { None, From, Thru };

struct EntryCheck {
    QString message; // "" when accepted
    FocusBox focus = FocusBox::None;
    bool ok() const { return message.isEmpty(); }
};

// The per-field check of FROM and THRU as they stand (fields 0, 1, 7, 8 and 12; an empty ZIP).
// Expiry and NJ A/R values must be four digits and mod values plain decimals: they go into the SQL
// unquoted, and the list form refuses to run a search whose values are of another form.
EntryCheck checkFieldValues(int pos, const QString& from, const QString& thru);

// "This field cannot be used more than once in a search." when pos is once-only and a lookup of the
// same field code is already in the list; "" otherwise. Codes, not captions, are compared: the
// caption of field 0 differs between data sets.
QString onceOnlyMessage(int pos, const SqlParameters& lookups);

// THRU as stored: FROM's text when THRU is empty after trimming blanks.
QString adjustedThru(const QString& from, const QString& thru);

// FROM of "Zip Code" after it loses the focus: padded with "0" on the right to 5 characters.
// An empty box stays empty (padding it would make a range "00000").
QString paddedZip(const QString& from);

// Accepting an entry: every rule in order. On success lookup is the new record (SQLDESC empty).
struct AcceptResult {
    EntryCheck check;
    SQLPARAMETER lookup;
};
AcceptResult acceptEntry(int pos, const QString& state, const QString& from, const QString& thru,
                         bool exclude, const SqlParameters& lookups);

// Picking a category row: where the row's value goes (into FROM when it is empty, else into THRU
// when that is; empty as dataset::isEmptyText says).
struct PickResult {
    QString from;
    QString thru;
};
PickResult pickCategory(int pos, const QString& from, const QString& thru, const QString& code,
                        const QString& description);

// Record source of the category grid for pos with keyColumn (0 code, 1 name) as its sort column;
// "" for a field without a category table.
QString categorySql(int pos, int keyColumn);
// Data field of column col (0 code, 1 name) of pos's category table.
QString categoryColumn(int pos, int col);

// First row whose key sorts at or after text without regard to case (the rows are in key order);
// -1 when there is none. What the user types is matched in memory, never put into SQL.
int findCategoryRow(const QStringList& keys, const QString& text);

} // namespace search
