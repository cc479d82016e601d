#include "loading/release_records.h"

#include "platform/files/win1252.h"

#include <cstring>

namespace loading {

namespace {

// Bytes [from, from + length) counted from 1, clipped to the record.
QByteArray bytesAt(const QByteArray& rec, int from, int length) {
    return rec.mid(from - 1, length);
}

bool isBlank(char c) {
    return c == ' ';
}

QByteArray trimBlanks(const QByteArray& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

// A part of a date text: one or two digits after the blanks around them are removed.
std::optional<int> datePart(const QString& part) {
    const QString t = part.trimmed();
    if (t.isEmpty() || t.size() > 2) return std::nullopt;
    int v = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

// A New York file number: three digit groups joined by single blanks.
QString newYorkFile(const QByteArray& rec, int first, int second, int third) {
    return columns(rec, first, 3) + QLatin1Char(' ') + columns(rec, second, 2) + QLatin1Char(' ') +
           columns(rec, third, 2);
}

} // namespace

bool sortsAfter(const QByteArray& text, const char* filter) {
    const qsizetype flen = qsizetype(std::strlen(filter));
    const qsizetype n = std::min(text.size(), flen);
    for (qsizetype i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(filter[i]);
        if (a != b) return a > b;
    }
    return text.size() > flen;
}

QString columns(const QByteArray& rec, int from, int length) {
    const QByteArray b = bytesAt(rec, from, length);
    return files::fromWin1252(b.constData(), b.size());
}

std::optional<double> readNumber(const QByteArray& text) {
    const QByteArray t = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    double whole = 0, fraction = 0, scale = 1;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale *= 10;
                fraction = fraction * 10 + (c - '0');
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    const double v = whole + fraction / scale;
    return negative ? -v : v;
}

double leadingNumber(const QByteArray& text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    qsizetype end = i;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    bool point = false;
    while (end < text.size()) {
        const char c = text[end];
        if (c >= '0' && c <= '9') {
            ++end;
        } else if (c == '.' && !point) {
            point = true;
            ++end;
        } else {
            break;
        }
    }
    return readNumber(text.mid(i, end - i)).value_or(0.0);
}

QDate fallbackDate() {
    return QDate(1950, 1, 1);
}

int centuryYear(int twoDigitYear) {
    return twoDigitYear >= 50 ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

QDate dateFromText(const QString& mmddyy) {
    const QStringList parts = mmddyy.split(QLatin1Char('/'));
    if (parts.size() != 3) return QDate();
    const auto m = datePart(parts[0]), d = datePart(parts[1]), y = datePart(parts[2]);
    if (!m || !d || !y) return QDate();
    return QDate(centuryYear(*y), *m, *d); // invalid for month 0, day 0, 31 April, ...
}

QString releaseDateText(const QByteArray& six, DateOrder order) {
    const QString s = columns(six, 1, 6).leftJustified(6, QLatin1Char(' '));
    const QString slash = QStringLiteral("/");
    if (order == DateOrder::MonthDayYear) return s.mid(0, 2) + slash + s.mid(2, 2) + slash + s.mid(4, 2);
    return s.mid(2, 2) + slash + s.mid(4, 2) + slash + s.mid(0, 2);
}

QDate releaseDate(const QByteArray& six, DateOrder order) {
    // The same reading as dateFromText(releaseDateText(...)), without building the text.
    const QByteArray s = six.leftJustified(6, ' ', true);
    auto part = [&](int at) -> int {
        QByteArray p = s.mid(at, 2).trimmed();
        if (p.isEmpty()) return -1;
        int v = 0;
        for (char c : p) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    const bool mdy = order == DateOrder::MonthDayYear;
    const int m = part(mdy ? 0 : 2), d = part(mdy ? 2 : 4), y = part(mdy ? 4 : 0);
    if (m < 0 || d < 0 || y < 0) return fallbackDate();
    const QDate date(centuryYear(y), m, d);
    return date.isValid() ? date : fallbackDate();
}

ModSlot parseModSlot(const QByteArray& slot, Layout layout) {
    ModSlot m;
    if (layout == Layout::NewYork)
        m.inUse = sortsAfter(slot.left(2), "  ");
    else
        m.inUse = leadingNumber(slot.mid(8, 2)) > 0;
    if (!m.inUse) return m;
    const DateOrder outer = layout == Layout::NewYork ? DateOrder::MonthDayYear : DateOrder::YearMonthDay;
    m.issue = releaseDate(slot.mid(0, 6), outer);
    m.effective = releaseDate(slot.mid(6, 6), DateOrder::YearMonthDay);
    m.expire = releaseDate(slot.mid(12, 6), outer);
    if (const auto digits = readNumber(slot.mid(18, 4)))
        m.mod = *digits / (layout == Layout::NewYork ? kModDivisorNewYork : kModDivisorStandard);
    return m;
}

EmployerRecord parseEmployerRecord(const QByteArray& rec, Layout layout, bool nj) {
    EmployerRecord r;
    r.state = columns(rec, 1, 2);
    if (layout == Layout::NewYork) {
        r.file = newYorkFile(rec, 3, 6, 8);
        r.sequence = columns(rec, 10, 2);
        r.name1 = columns(rec, 28, 35);
        r.name2 = QStringLiteral(" ");
        r.street = columns(rec, 68, 34);
        r.revised = bytesAt(rec, 355, 1) == "R";
        r.interstate = bytesAt(rec, 356, 1) == "I";
    } else {
        r.file = columns(rec, 3, 7);
        r.sequence = columns(rec, 14, 2);
        r.name1 = columns(rec, 28, 40);
        r.name2 = columns(rec, 68, 38);
        r.street = columns(rec, 106, 40);
    }
    r.city = columns(rec, 146, 22);
    r.st = columns(rec, 168, 2);
    r.zip = columns(rec, 170, 5);
    r.county = columns(rec, 175, 3);
    r.phone = columns(rec, 178, 12);
    r.area = columns(rec, 178, 3);
    r.sic = columns(rec, 191, 4);
    r.associates = bytesAt(rec, 305, 1) == "Y";
    r.contact = columns(rec, 306, 30);
    r.employees = columns(rec, 346, 1);
    r.sales = columns(rec, 347, 1);
    r.title = columns(rec, 401, 30);
    r.zipExt = columns(rec, 431, 4);
    r.fax = columns(rec, 489, 12);
    if (layout == Layout::Standard && nj) {
        r.hasNjFields = true;
        r.conditional = columns(rec, 355, 14);
        r.arEstPrem = columns(rec, 369, 7);
        r.arTotPrem = columns(rec, 376, 7);
        r.arTotLoss = columns(rec, 383, 7);
        const auto month = readNumber(bytesAt(rec, 336, 2));
        const auto year = readNumber(bytesAt(rec, 338, 2));
        if (month && year) r.njar = int(100 * *year + *month);
        r.njPpap = columns(rec, 340, 3);
        r.njCcpap = columns(rec, 343, 3);
    }
    for (int i = 0; i < 5; ++i)
        r.mods[i] = parseModSlot(bytesAt(rec, 195 + 22 * i, 22), layout);
    return r;
}

ClassLine parseClassLine(const QByteArray& rec, Layout layout) {
    ClassLine c;
    c.classCode = columns(rec, 2, 4);
    std::optional<double> digits;
    if (layout == Layout::NewYork) {
        c.file = newYorkFile(rec, 7, 10, 12);
        c.sequence = columns(rec, 14, 2);
        digits = readNumber(bytesAt(rec, 16, 7));
    } else {
        c.file = columns(rec, 7, 7);
        c.sequence = columns(rec, 23, 2);
        digits = readNumber(bytesAt(rec, 18, 5));
    }
    if (digits) c.lossCost = *digits / kLossCostDivisor;
    return c;
}

ClassListEntry parseClassListRecord(const QByteArray& rec) {
    return {columns(rec, 2, 4), columns(rec, 6, 50)};
}

CountyEntry parseCountyRecord(const QByteArray& rec) {
    return {columns(rec, 2, 3), columns(rec, 5, 30)};
}

std::optional<SicEntry> parseSicRecord(const QByteArray& rec) {
    QByteArray code = trimBlanks(bytesAt(rec, 1, 5));
    if (code.size() == 2) code.prepend("00");
    if (code.size() != 4) return std::nullopt;
    return SicEntry{files::fromWin1252(code), columns(rec, 9, 42)};
}

AddressRecord parseAddressRecord(const QByteArray& rec) {
    AddressRecord a;
    a.file = newYorkFile(rec, 3, 6, 8);
    a.sequence = columns(rec, 10, 2);
    for (int k = 0; k < 8; ++k) {
        const int start = 19 + 38 * k;
        if (sortsAfter(bytesAt(rec, start + 1, 34), kFilterBang)) a.lines << columns(rec, start, 35);
    }
    return a;
}

} // namespace loading
