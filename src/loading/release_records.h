// Record layouts of the release files and their parsing into plain structs.
//
// Every parser takes one record exactly as read (CR LF included), counts columns from 1 and keeps
// text fields as they stand: no trimming, no case change. Bytes are Windows-1252.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace loading {

enum class Layout { NewYork, Standard };

// Record lengths, CR LF included.
inline constexpr int kSicRecordLength = 52;
inline constexpr int kClassListRecordLength = 57;
inline constexpr int kCountyRecordLength = 36;
inline constexpr int kClassLineRecordLength = 52;
inline constexpr int kEmployerRecordLength = 502;
inline constexpr int kAddressRecordLength = 327;

// Record filters: a record is handled only when it sorts after the filter by byte value.
inline constexpr char kFilterBang[] = "!";
inline constexpr char kFilterBlankBang[] = " !";
bool sortsAfter(QByteArrayView text, const char* filter);

// Bytes of columns [from, from + length) counted from 1; short records give what is there.
QByteArrayView bytesAt(QByteArrayView rec, int from, int length);
// The same as text.
QString columns(const QByteArray& rec, int from, int length);

// A number as a strict conversion reads it: blanks around it, an optional sign, digits with at
// most one decimal point. nullopt when the text is not a number (a blank text is not one).
std::optional<double> readNumber(QByteArrayView text);
// The lenient reading: leading blanks skipped, reading stops at the first character that does not
// belong to a number, nothing readable gives 0.
double leadingNumber(QByteArrayView text);

// The earliest date: what a date field gets before its text is stored, and keeps when the text is
// not a date.
QDate fallbackDate();
// Two-digit years: 50-99 are 19xx, 00-49 are 20xx.
int centuryYear(int twoDigitYear);
// "MM/DD/YY" as a date; an invalid QDate when the text is not one.
QDate dateFromText(const QString& mmddyy);

enum class DateOrder { MonthDayYear, YearMonthDay };
// The "MM/DD/YY" text of a six-character release date, its parts taken as they stand.
QString releaseDateText(QByteArrayView six, DateOrder order);
// The date of a six-character release date, or fallbackDate() when its text is not a date.
QDate releaseDate(QByteArrayView six, DateOrder order);

// Bytes that a text must not hold to be taken as text: C0 controls (NUL included) and DEL.
bool hasControlByte(QByteArrayView text);
// A date's six release characters say nothing: all blanks or zeros (an empty slot part).
bool isMissingDate(QByteArrayView six);

// One of the five modification slots of an employer record.
struct ModSlot {
    bool inUse = false;
    QDate issue, effective, expire; // fallbackDate() where the text is not a date
    std::optional<double> mod;      // nullopt when the MOD columns are not a number
    int notDates = 0;               // dates whose text is neither missing nor a date
};

// The fields of a record are views of the record's bytes (Windows-1252, as they stand): the record
// must outlive them. A key is copied into the record's own buffer, where FILE and SEQUENCE lie
// side by side, so that FILESEQ is a view as well.
class RecordKey {
public:
    void set(QByteArrayView file, QByteArrayView sequence);
    // A New York file number: three digit groups joined by single blanks.
    void setGroups(QByteArrayView first, QByteArrayView second, QByteArrayView third,
                   QByteArrayView sequence);
    QByteArrayView file() const { return {buf_.data(), fileLength_}; }
    QByteArrayView sequence() const { return {buf_.data() + fileLength_, sequenceLength_}; }
    QByteArrayView fileSeq() const { return {buf_.data(), fileLength_ + sequenceLength_}; }
    bool printable() const { return !hasControlByte(fileSeq()); }

private:
    std::array<char, 16> buf_{};
    qsizetype fileLength_ = 0, sequenceLength_ = 0;
};

struct EmployerRecord {
    QByteArrayView state;
    RecordKey key;
    QByteArrayView name1, name2, street, city, st, zip, county, phone, area, sic;
    QByteArrayView contact, title, zipExt, fax, employees, sales;
    bool associates = false;
    bool interstate = false, revised = false; // New York layout only
    // Filled only for the standard layout of the NJ data set.
    bool hasNjFields = false;
    QByteArrayView conditional, arEstPrem, arTotPrem, arTotLoss, njPpap, njCcpap;
    std::optional<int> njar;     // year * 100 + month; nullopt when a part is not a number
    std::array<ModSlot, 5> mods; // the five ModEntry slots
};

// nj: the standard record carries the New Jersey fields (data set NJ).
EmployerRecord parseEmployerRecord(const QByteArray& rec, Layout layout, bool nj);
ModSlot parseModSlot(QByteArrayView slot22, Layout layout);
// A record that makes an employer row: it passes the record filter and its key is text.
bool yieldsEmployer(const QByteArray& rec, Layout layout);

struct ClassLine {
    RecordKey key;
    QByteArrayView classCode;
    std::optional<double> lossCost; // nullopt when the loss-cost columns are not a number
};
ClassLine parseClassLine(const QByteArray& rec, Layout layout);

struct ClassListEntry {
    QString classCode, desc;
};
ClassListEntry parseClassListRecord(const QByteArray& rec);

struct CountyEntry {
    QString code, name;
};
CountyEntry parseCountyRecord(const QByteArray& rec);

struct SicEntry {
    QString code, desc;
};
// nullopt for a record whose code, blanks removed and "00" put before a two-character one, is not
// four characters long.
std::optional<SicEntry> parseSicRecord(const QByteArray& rec);

struct AddressRecord {
    RecordKey key;
    std::array<QByteArrayView, 8> lines; // the present lines, 35 characters each, in slot order
    int lineCount = 0;
};
AddressRecord parseAddressRecord(const QByteArray& rec);

// Divisors of the scaled numbers: the stored value is digits / divisor, so that a literal such
// as 9.886 finds the stored value.
inline constexpr double kModDivisorNewYork = 100.0;
inline constexpr double kModDivisorStandard = 1000.0;
inline constexpr double kLossCostDivisor = 100.0;

} // namespace loading
