#include "export/export_records.h"

#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "platform/files/win1252.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace exporting {

namespace {

using dataset::isPresent;
using dataset::trimBlanks;

QString text(const SourceRow& row, Field f) {
    return valueText(row[f]);
}

// A value as text without a copy when it is stored as text; any other through valueText, into
// scratch.
QStringView textOf(const QVariant& value, QString& scratch) {
    if (value.typeId() == QMetaType::QString) return *static_cast<const QString*>(value.constData());
    scratch = valueText(value);
    return scratch;
}

// The key that starts every line: FILE-SEQUENCE as stored, not padded.
QString keyOf(const SourceRow& row) {
    return text(row, Field::FILE) + QLatin1Char('-') + text(row, Field::SEQUENCE);
}

// The values of a delimited line, joined and closed: every value between double quotes, a quote
// inside a value doubled. The characters are written straight into the line: it holds some sixty
// values, and appending each piece costs more than the copy.
class DelimitedLine {
public:
    explicit DelimitedLine(ExportFormat format)
        : separator_(format == ExportFormat::TabDelimited ? u'\t' : u',') {
        line_.resize(1024);
        at_ = line_.data();
    }
    void add(QStringView value) {
        open(value.size() * 2);
        put(value);
    }
    void add(const QString& value) { add(QStringView(value)); }
    // A stored value as text, trimmed or not.
    void add(const QVariant& value, bool trim = false) {
        const QStringView v = textOf(value, scratch_);
        add(trim ? trimBlanks(v) : v);
    }
    // The key that starts every line: FILE-SEQUENCE as stored, not padded.
    void addKey(const SourceRow& row) {
        const QStringView file = textOf(row[Field::FILE], scratch_);
        const QStringView sequence = textOf(row[Field::SEQUENCE], scratch2_);
        open((file.size() + sequence.size() + 1) * 2);
        put(file);
        *at_++ = u'-';
        put(sequence);
    }
    QString finish() {
        if (first_) return QString();
        room(1);
        *at_++ = u'"';
        line_.truncate(at_ - line_.constData());
        return std::move(line_);
    }

private:
    // Makes room for the opening of a value and up to more characters of it, and opens it.
    void open(qsizetype more) {
        room(more + 3);
        if (!first_) {
            *at_++ = u'"';
            *at_++ = separator_;
        }
        *at_++ = u'"';
        first_ = false;
    }
    void put(QStringView value) {
        for (QChar c : value) {
            *at_++ = c;
            if (c == u'"') *at_++ = c;
        }
    }
    void room(qsizetype n) {
        const qsizetype used = at_ - line_.constData();
        if (used + n <= line_.size()) return;
        line_.resize(std::max(line_.size() * 2, used + n));
        at_ = line_.data() + used;
    }

    QChar separator_;
    bool first_ = true;
    QString line_;
    QChar* at_;
    QString scratch_, scratch2_;
};

// A value in its fixed column: cut to the width, so later columns stay in place, then padded.
void column(QString& line, const QString& value, int width) {
    if (value.size() >= width) {
        line += QStringView(value).left(width);
        return;
    }
    line += value;
    line += QString(width - value.size(), QLatin1Char(' '));
}

// A number of at most four decimals (a MOD of 0.87, most stored numbers) as the general conversion
// below writes it, from its whole ten-thousandths rather than through it; null for any other.
QString shortDecimal(double d) {
    if (!(std::fabs(d) < 1e9)) return QString();
    const long long k = std::llround(d * 10000);
    if (double(k) / 10000 != d) return QString();
    // Digits from the last: the decimals without their trailing zeros, then the whole part.
    char text[32];
    char* const end = text + sizeof text;
    char* at = end;
    unsigned long long rest = std::llabs(k);
    bool written = false;
    for (int i = 0; i < 4; ++i, rest /= 10)
        if (written || rest % 10) {
            *--at = char('0' + rest % 10);
            written = true;
        }
    if (written) *--at = '.';
    do {
        *--at = char('0' + rest % 10);
        rest /= 10;
    } while (rest);
    if (k < 0) *--at = '-';
    return QString::fromLatin1(at, end - at);
}

constexpr Field kNewJerseyFields[] = {Field::NJPPAP,    Field::NJCCPAP,   Field::NJAR,
                                      Field::ARESTPREM, Field::ARTOTPREM, Field::ARTOTLOSS};

} // namespace

QString fieldName(Field field) {
    static const char* const names[kFieldCount] = {
        "FILE",      "SEQUENCE",  "Omit",     "NAME1",       "NAME2",     "STREET", "CITY",   "ST",
        "ZIP",       "ZIPEXT",    "PHONE",    "FAX",         "TITLE",     "CONTACT", "SIC",   "EMPLOYEES",
        "SALES",     "User1",     "User2",    "User3",       "UserPhone", "UserFax", "UserContact",
        "UserTitle", "NJPPAP",    "NJCCPAP",  "NJAR",        "ARESTPREM", "ARTOTPREM", "ARTOTLOSS",
    };
    return QString::fromLatin1(names[int(field)]);
}

int modPairsOf(ExportFormat format) {
    return format == ExportFormat::LimitedFields ? kLimitedModPairs : kModPairs;
}

bool hasClasses(ExportFormat format) {
    return format != ExportFormat::LimitedFields;
}

ExportFields prepareExportRow(const SourceRow& row, bool sortedByExpiry, bool lowerCase) {
    ExportFields f;
    f.NAME1 = text(row, Field::NAME1);
    f.NAME2 = text(row, Field::NAME2);
    f.STREET = text(row, Field::STREET);
    f.CITY = text(row, Field::CITY);
    f.CONTACT = isPresent(row[Field::UserContact]) ? text(row, Field::UserContact) : text(row, Field::CONTACT);
    f.TITLE = isPresent(row[Field::UserTitle]) ? text(row, Field::UserTitle) : text(row, Field::TITLE);
    f.FAX = isPresent(row[Field::UserFax]) ? trimBlanks(text(row, Field::UserFax)) : text(row, Field::FAX);
    f.PHONE = trimBlanks(isPresent(row[Field::UserPhone]) ? text(row, Field::UserPhone) : text(row, Field::PHONE));
    f.ZIP = text(row, Field::ZIP);
    // The expiry order's copy holds the ZIP code joined already.
    if (!sortedByExpiry && isPresent(row[Field::ZIPEXT]))
        f.ZIP += QLatin1Char('-') + text(row, Field::ZIPEXT);
    if (lowerCase)
        for (QString* s : {&f.NAME1, &f.NAME2, &f.STREET, &f.CITY, &f.CONTACT, &f.TITLE})
            *s = dataset::properCase(*s);
    return f;
}

bool isLeftOut(const SourceRow& row) {
    const QVariant& omit = row[Field::Omit];
    return !omit.isValid() || omit.isNull() || omit.toString() == QLatin1String("Y");
}

QString valueText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == 0) return QStringLiteral("0");
        if (QString s = shortDecimal(d); !s.isNull()) return s;
        QString s = QString::number(d, 'g', 15);
        if (!s.contains(QLatin1Char('e'))) return s;
        // Written out in full, never with an exponent.
        const int exponent = int(std::floor(std::log10(std::fabs(d))));
        s = QString::number(d, 'f', std::max(0, 14 - exponent));
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.'))) s.chop(1);
        }
        return s;
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (d.year() < 1000 || d.year() > 9999) return d.toString(QStringLiteral("MM/dd/yyyy"));
        // MM/DD/YYYY put together directly: the locale's formatting costs more than the line.
        const int digits[8] = {d.month() / 10,  d.month() % 10,      d.day() / 10,       d.day() % 10,
                               d.year() / 1000, d.year() / 100 % 10, d.year() / 10 % 10, d.year() % 10};
        QString text(10, u'/');
        for (int i = 0, at = 0; i < 8; ++i, ++at) {
            if (at == 2 || at == 5) ++at;
            text[at] = QChar(u'0' + digits[i]);
        }
        return text;
    }
    default:
        return value.toString();
    }
}

QString modDateText(const QVariant& expire) {
    // Dates are stored as YYYY-MM-DD: read without the general parser, a line holds eight.
    QDate d = expire.typeId() == QMetaType::QString
                  ? dao::dateFromStorage(*static_cast<const QString*>(expire.constData()))
                  : QDate();
    if (!d.isValid()) d = dao::toDate(expire);
    if (!d.isValid() || (d.month() == 1 && d.day() == 1 && (d.year() == 1950 || d.year() == 2050)))
        return QString();
    return valueText(d);
}

QString separatorOf(ExportFormat format) {
    switch (format) {
    case ExportFormat::CommaDelimited:
    case ExportFormat::LimitedFields:
        return QStringLiteral("\",\"");
    case ExportFormat::TabDelimited:
        return QStringLiteral("\"\t\"");
    case ExportFormat::FixedLength:
        break;
    }
    return QString();
}

QString headerLine(ExportFormat format, bool newJersey) {
    if (format == ExportFormat::FixedLength) return QString();
    DelimitedLine line(format);
    for (const char* name : {"FILE", "NAME1", "NAME2", "STREET", "CITY", "STATE", "ZIP", "PHONE", "FAX", "TITLE",
                             "CONTACT", "SIC", "EMPLOYEES", "SALES", "User1", "User2", "User3"})
        line.add(QString::fromLatin1(name));
    for (int k = 1; k <= modPairsOf(format); ++k) {
        line.add(QStringLiteral("EXPIRE") + QString::number(k));
        line.add(QStringLiteral("MOD") + QString::number(k));
    }
    if (hasClasses(format))
        for (int k = 1; k <= kClassPairs; ++k) {
            line.add(QStringLiteral("CLASS") + QString::number(k));
            line.add(QStringLiteral("CLASSDESC") + QString::number(k));
        }
    if (newJersey)
        for (Field f : kNewJerseyFields)
            line.add(fieldName(f));
    return line.finish();
}

QString delimitedLine(ExportFormat format, const SourceRow& row, const ExportFields& fields,
                      const Employer& employer, bool newJersey) {
    if (format == ExportFormat::FixedLength) return QString();
    DelimitedLine line(format);
    line.addKey(row);
    for (const QString* s : {&fields.NAME1, &fields.NAME2, &fields.STREET, &fields.CITY})
        line.add(trimBlanks(QStringView(*s)));
    line.add(row[Field::ST], true);
    line.add(trimBlanks(QStringView(fields.ZIP)));
    line.add(fields.PHONE);
    line.add(trimBlanks(QStringView(fields.FAX)));
    line.add(trimBlanks(QStringView(fields.TITLE)));
    line.add(trimBlanks(QStringView(fields.CONTACT)));
    for (Field f : {Field::SIC, Field::EMPLOYEES, Field::SALES, Field::User1, Field::User2, Field::User3})
        line.add(row[f]);

    const int mods = modPairsOf(format);
    for (int k = 0; k < mods; ++k) {
        if (k < employer.mods.size()) {
            line.add(modDateText(employer.mods[k].expire));
            line.add(employer.mods[k].mod);
        } else {
            line.add(QStringView());
            line.add(QStringView());
        }
    }
    if (hasClasses(format))
        for (int k = 0; k < kClassPairs; ++k) {
            if (k < employer.classes.size()) {
                line.add(employer.classes[k].code);
                if (employer.classes[k].listed)
                    line.add(employer.classes[k].description, true);
                else
                    line.add(QStringView());
            } else {
                line.add(QStringView());
                line.add(QStringView());
            }
        }
    if (newJersey)
        for (Field f : kNewJerseyFields)
            line.add(row[f]);
    return line.finish();
}

QString fixedLine(const SourceRow& row, const ExportFields& fields, const Employer& employer, bool newJersey) {
    QString line = keyOf(row);
    line.reserve(line.size() + 1005);
    column(line, fields.NAME1, 40);
    column(line, fields.NAME2, 38);
    column(line, fields.STREET, 40);
    column(line, fields.CITY, 30);
    column(line, text(row, Field::ST), 2);
    column(line, fields.ZIP, 10);
    column(line, text(row, Field::SIC), 4);
    for (Field f : {Field::EMPLOYEES, Field::SALES, Field::User1, Field::User2, Field::User3})
        column(line, text(row, f), 1);
    column(line, fields.PHONE, 12);
    column(line, fields.FAX, 12);
    column(line, fields.TITLE, 30);
    column(line, fields.CONTACT, 30);
    for (int k = 0; k < kModPairs; ++k) {
        const bool has = k < employer.mods.size();
        column(line, has ? modDateText(employer.mods[k].expire) : QString(), 10);
        column(line, has ? valueText(employer.mods[k].mod) : QString(), 5);
    }
    for (int k = 0; k < kClassPairs; ++k) {
        const bool has = k < employer.classes.size();
        column(line, has ? valueText(employer.classes[k].code) : QString(), 4);
        // The description as the class list stores it, not trimmed.
        column(line, has && employer.classes[k].listed ? valueText(employer.classes[k].description) : QString(),
               50);
    }
    if (newJersey) {
        constexpr int widths[] = {3, 3, 5, 9, 9, 9};
        int i = 0;
        for (Field f : kNewJerseyFields) {
            // A value that does not sort after one blank (empty, blank or missing) is a blank.
            const QString v = text(row, f);
            column(line, QString::compare(v, QLatin1String(" ")) > 0 ? v : QStringLiteral(" "), widths[i++]);
        }
    }
    return line;
}

void appendLine(QByteArray& out, const QString& line) {
    const qsizetype start = out.size();
    files::appendWin1252(out, line);
    // Programs that read text take a NUL for the end of the line or of the file; a blank keeps
    // the fixed-length columns in place.
    if (std::memchr(out.constData() + start, '\0', size_t(out.size() - start)))
        std::replace(out.begin() + start, out.end(), '\0', ' ');
    out += "\r\n";
}

} // namespace exporting
