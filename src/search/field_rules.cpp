#include "search/field_rules.h"

#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "search/search_file.h"
#include "search/sql_builder.h"

#include <array>

namespace search {

namespace {

CategoryTable category(const char* table, const char* code, const char* name, int keyColumn, bool searchFor) {
    CategoryTable c;
    c.table = QString::fromLatin1(table);
    c.codeColumn = QString::fromLatin1(code);
    c.nameColumn = QString::fromLatin1(name);
    c.keyColumn = keyColumn;
    c.searchFor = searchFor;
    return c;
}

CategoryTable meritTable() {
    CategoryTable c = category("MERIT", "CODE", "DESCRIPTION", 0, false);
    c.sorted = false;
    c.codeHidden = true;
    return c;
}

const std::array<LookupField, kFieldCount>& fields() {
    static const std::array<LookupField, kFieldCount> table = {{
        {"Expiration Date", "EXPIRE", true, DataSets::All, std::nullopt},
        {"Experience Mod.", "MOD", true, DataSets::All, std::nullopt},
        {"Employer Name", "NAME1", true, DataSets::All, std::nullopt},
        {"Zip Code", "ZIP", false, DataSets::All, std::nullopt},
        {"County", "COUNTY", false, DataSets::All, category("COUNTY", "CODE", "COUNTY", 1, true)},
        {"Class Code", "CLASS", false, DataSets::All, category("CLASSLIST", "CLASS", "DESC", 1, true)},
        {"SIC Code", "SIC", false, DataSets::All, category("SICCODES", "CODE", "DESC", 1, true)},
        {"# of Employees", "EMPLOYEES", true, DataSets::All,
         category("EMPLOYEES", "CODE", "DESCRIPTION", 0, false)},
        {"Sales", "SALES", true, DataSets::All, category("SALES", "CODE", "DESCRIPTION", 0, false)},
        {"Merit Class", "MERIT", false, DataSets::PmDmOnly, meritTable()},
        {"Area Code", "AREA", false, DataSets::All, std::nullopt},
        {"New Records", "NEWREC", true, DataSets::All, std::nullopt},
        {"NJ A/R Only", "NJARONLY", true, DataSets::NjOnly, std::nullopt},
        {"File #", "FILENUM", true, DataSets::All, std::nullopt},
        {"User1 Field", "User1", true, DataSets::All, std::nullopt},
        {"User2 Field", "User2", true, DataSets::All, std::nullopt},
        {"User3 Field", "User3", true, DataSets::All, std::nullopt},
        {"Issue Year", "ISSUE1", true, DataSets::All, std::nullopt},
    }};
    return table;
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isBandCode(const QString& s) {
    return s.size() == 1 && isDigit(s.at(0));
}

} // namespace

bool isValidField(int pos) {
    return pos >= 0 && pos < kFieldCount;
}

const LookupField& lookupField(int pos) {
    Q_ASSERT(isValidField(pos));
    return fields()[size_t(pos)];
}

QString fieldCaption(int pos, const QString& state) {
    if (pos == kExpire && dataset::isNewYork(state)) return QStringLiteral("Anniversary");
    return lookupField(pos).caption;
}

QStringList fieldCaptions(const QString& state) {
    QStringList out;
    for (int i = 0; i < kFieldCount; ++i)
        out << fieldCaption(i, state);
    return out;
}

QStringList fieldCodes() {
    QStringList out;
    for (const LookupField& f : fields())
        out << f.code;
    return out;
}

QString dataSetMessage(int pos, const QString& state) {
    if (!isValidField(pos)) return QString();
    switch (lookupField(pos).dataSets) {
    case DataSets::PmDmOnly:
        if (!dataset::hasMeritClasses(state)) return QString::fromLatin1(msg::kPmDmOnly);
        break;
    case DataSets::NjOnly:
        if (!dataset::isNewJersey(state)) return QString::fromLatin1(msg::kNjOnly);
        break;
    case DataSets::All:
        break;
    }
    return QString();
}

QString fileNumberThru(const QDate& today) {
    const QDate d = today.addMonths(3);
    return QStringLiteral("%1%2").arg(d.month(), 2, 10, QChar(u'0')).arg(d.year() % 100, 2, 10, QChar(u'0'));
}

FieldDefaults fieldDefaults(int pos, const QDate& today) {
    FieldDefaults d;
    switch (pos) {
    case kExpire:
        d.from = QStringLiteral("0101");
        d.thru = QStringLiteral("1231");
        d.fromSelection = 4;
        break;
    case kMod:
        d.from = QStringLiteral("0.000");
        d.thru = QStringLiteral("9.999");
        d.fromSelection = 5;
        break;
    case kFileNum:
        d.from = QStringLiteral("0795");
        d.thru = fileNumberThru(today);
        break;
    case kIssueYear:
        d.from = QString::number(today.year()).rightJustified(4, u'0');
        d.thru = d.from;
        break;
    case kMerit:
        d.thruShown = false;
        break;
    default:
        break;
    }
    return d;
}

EntryCheck checkFieldValues(int pos, const QString& from, const QString& thru) {
    auto fail = [](const char* text, FocusBox focus) { return EntryCheck{QString::fromLatin1(text), focus}; };
    switch (pos) {
    case kExpire:
    case kNjArOnly: {
        const char* text = pos == kExpire ? msg::kDateMMDD : msg::kDateMMYY;
        if (!isFourDigits(from)) return fail(text, FocusBox::None);
        if (!isFourDigits(thru)) return fail(text, FocusBox::Thru);
        break;
    }
    case kMod:
        if (!isDecimalNumber(from)) return fail(msg::kInvalidMod, FocusBox::None);
        if (!isDecimalNumber(thru)) return fail(msg::kInvalidMod, FocusBox::Thru);
        break;
    case kEmployees:
    case kSales: {
        const char* text = pos == kEmployees ? msg::kInvalidEmployees : msg::kInvalidSales;
        if (!isBandCode(from)) return fail(text, FocusBox::From);
        if (!isBandCode(thru)) return fail(text, FocusBox::Thru);
        break;
    }
    case kZip:
        if (from.trimmed().isEmpty()) return fail(msg::kNoZip, FocusBox::From);
        break;
    default:
        break;
    }
    return EntryCheck{};
}

QString onceOnlyMessage(int pos, const SqlParameters& lookups) {
    if (!isValidField(pos) || !lookupField(pos).onceOnly) return QString();
    const QString& code = lookupField(pos).code;
    for (const SQLPARAMETER& p : lookups) {
        if (p.SQLEXPR == code) return QString::fromLatin1(msg::kOnceOnly);
    }
    return QString();
}

QString adjustedThru(const QString& from, const QString& thru) {
    return thru.trimmed().isEmpty() ? from : thru;
}

QString paddedZip(const QString& from) {
    if (from.isEmpty()) return from;
    return from.leftJustified(5, u'0', false);
}

AcceptResult acceptEntry(int pos, const QString& state, const QString& from, const QString& thru,
                         bool exclude, const SqlParameters& lookups) {
    AcceptResult r;
    if (!isValidField(pos)) {
        r.check = EntryCheck{QString::fromLatin1(msg::kNoFieldSelected), FocusBox::None};
        return r;
    }
    // A lookup the data set cannot run (NJ A/R elsewhere than NJ; merit outside PM and DM, which
    // would search for a MOD of 0) is refused here rather than saved.
    if (const QString m = dataSetMessage(pos, state); !m.isEmpty()) {
        r.check = EntryCheck{m, FocusBox::None};
        return r;
    }
    for (const QString* box : {&from, &thru}) {
        if (const QString m = storableTextProblem(*box); !m.isEmpty()) {
            r.check = EntryCheck{m, box == &from ? FocusBox::From : FocusBox::Thru};
            return r;
        }
    }
    r.check = checkFieldValues(pos, from, thru);
    if (!r.check.ok()) return r;
    if (const QString m = onceOnlyMessage(pos, lookups); !m.isEmpty()) {
        r.check = EntryCheck{m, FocusBox::None};
        return r;
    }
    r.lookup.SQLFIELD = fieldCaption(pos, state);
    r.lookup.SQLFROM = from;
    r.lookup.SQLTHRU = adjustedThru(from, thru);
    r.lookup.SQLEXPR = lookupField(pos).code;
    r.lookup.SQLEXCLUDE = exclude;
    return r;
}

PickResult pickCategory(int pos, const QString& from, const QString& thru, const QString& code,
                        const QString& description) {
    PickResult r{from, thru};
    if (pos == kMerit) {
        r.from = description;
        r.thru = description;
        return r;
    }
    QString* placed = nullptr;
    if (dataset::isEmptyText(from)) {
        r.from = code;
        placed = &r.from;
    } else if (dataset::isEmptyText(thru)) {
        r.thru = code;
        placed = &r.thru;
    }
    if (pos == kSic && placed && placed->endsWith(QLatin1String("00")))
        r.thru = placed->left(2) + QLatin1String("99");
    return r;
}

QString categoryColumn(int pos, int col) {
    if (!isValidField(pos) || !lookupField(pos).category) return QString();
    const CategoryTable& c = *lookupField(pos).category;
    return col == 0 ? c.codeColumn : c.nameColumn;
}

QString categorySql(int pos, int keyColumn) {
    if (!isValidField(pos) || !lookupField(pos).category) return QString();
    const CategoryTable& c = *lookupField(pos).category;
    if (!c.sorted) return QStringLiteral("SELECT * FROM %1").arg(c.table);
    return QStringLiteral("SELECT * FROM %1 ORDER BY %1.%2").arg(c.table, categoryColumn(pos, keyColumn));
}

int findCategoryRow(const QStringList& keys, const QString& text) {
    for (int i = 0; i < keys.size(); ++i) {
        if (QString::compare(keys.at(i), text, Qt::CaseInsensitive) >= 0) return i;
    }
    return -1;
}

} // namespace search
