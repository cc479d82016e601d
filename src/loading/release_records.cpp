#include "loading/release_records.h"

#include "platform/files/win1252.h"

#include <algorithm>
#include <cstring>

namespace loading {

namespace {

bool isBlank(char c) {
    return c == ' ';
}

QByteArrayView trimBlanks(QByteArrayView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

// A part of a date text: one or two digits after the blanks around them are removed; -1 otherwise.
int datePart(QByteArrayView part) {
    const QByteArrayView t = trimBlanks(part);
    if (t.isEmpty()) return -1;
    int v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The date of six release characters, or an invalid date when they are not one.
QDate readReleaseDate(QByteArrayView six, DateOrder order) {
    if (six.size() < 6) return QDate();
    const bool mdy = order == DateOrder::MonthDayYear;
    const int m = datePart(six.sliced(mdy ? 0 : 2, 2)), d = datePart(six.sliced(mdy ? 2 : 4, 2)),
              y = datePart(six.sliced(mdy ? 4 : 0, 2));
    if (m < 0 || d < 0 || y < 0) return QDate();
    return QDate(centuryYear(y), m, d); // invalid for month 0, day 0, 30 February, ...
}

} // namespace

bool sortsAfter(QByteArrayView text, const char* filter) {
    const qsizetype flen = qsizetype(std::strlen(filter));
    const qsizetype n = std::min(text.size(), flen);
    for (qsizetype i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(filter[i]);
        if (a != b) return a > b;
    }
    return text.size() > flen;
}

QByteArrayView bytesAt(QByteArrayView rec, int from, int length) {
    const qsizetype start = std::min<qsizetype>(from - 1, rec.size());
    return rec.sliced(start, std::min<qsizetype>(length, rec.size() - start));
}

QString columns(const QByteArray& rec, int from, int length) {
    const QByteArrayView b = bytesAt(rec, from, length);
    return files::fromWin1252(b.data(), b.size());
}

std::optional<double> readNumber(QByteArrayView text) {
    const QByteArrayView t = trimBlanks(text);
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

double leadingNumber(QByteArrayView text) {
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
    return readNumber(text.sliced(i, end - i)).value_or(0.0);
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
    for (const QString& p : parts)
        if (p.trimmed().size() > 2) return QDate();
    const QByteArray m = parts[0].toLatin1(), d = parts[1].toLatin1(), y = parts[2].toLatin1();
    const int mm = datePart(m), dd = datePart(d), yy = datePart(y);
    if (mm < 0 || dd < 0 || yy < 0) return QDate();
    return QDate(centuryYear(yy), mm, dd);
}

QString releaseDateText(QByteArrayView six, DateOrder order) {
    const QString s = files::fromWin1252(six.data(), six.size()).leftJustified(6, QLatin1Char(' '));
    const QString slash = QStringLiteral("/");
    if (order == DateOrder::MonthDayYear) return s.mid(0, 2) + slash + s.mid(2, 2) + slash + s.mid(4, 2);
    return s.mid(2, 2) + slash + s.mid(4, 2) + slash + s.mid(0, 2);
}

QDate releaseDate(QByteArrayView six, DateOrder order) {
    // The same reading as dateFromText(releaseDateText(...)), without building the text.
    const QDate date = readReleaseDate(six, order);
    return date.isValid() ? date : fallbackDate();
}

bool hasControlByte(QByteArrayView text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f) return true;
    }
    return false;
}

bool isMissingDate(QByteArrayView six) {
    return std::all_of(six.begin(), six.end(), [](char c) { return c == ' ' || c == '0'; });
}

void RecordKey::set(QByteArrayView file, QByteArrayView sequence) {
    fileLength_ = std::min<qsizetype>(file.size(), 12);
    sequenceLength_ = std::min<qsizetype>(sequence.size(), qsizetype(buf_.size()) - fileLength_);
    std::memcpy(buf_.data(), file.data(), size_t(fileLength_));
    std::memcpy(buf_.data() + fileLength_, sequence.data(), size_t(sequenceLength_));
}

void RecordKey::setGroups(QByteArrayView first, QByteArrayView second, QByteArrayView third,
                          QByteArrayView sequence) {
    char joined[12];
    qsizetype n = 0;
    for (QByteArrayView group : {first, second, third}) {
        if (n > 0) joined[n++] = ' ';
        const qsizetype take = std::min<qsizetype>(group.size(), 3);
        std::memcpy(joined + n, group.data(), size_t(take));
        n += take;
    }
    set(QByteArrayView(joined, n), sequence);
}

ModSlot parseModSlot(QByteArrayView slot, Layout layout) {
    ModSlot m;
    if (layout == Layout::NewYork)
        m.inUse = sortsAfter(slot.first(std::min<qsizetype>(2, slot.size())), "  ");
    else
        m.inUse = leadingNumber(bytesAt(slot, 9, 2)) > 0;
    if (!m.inUse) return m;
    const DateOrder outer = layout == Layout::NewYork ? DateOrder::MonthDayYear : DateOrder::YearMonthDay;
    const auto date = [&](int offset, DateOrder order) {
        const QByteArrayView six = bytesAt(slot, offset + 1, 6);
        const QDate d = readReleaseDate(six, order);
        if (d.isValid()) return d;
        if (!isMissingDate(six)) ++m.notDates;
        return fallbackDate();
    };
    m.issue = date(0, outer);
    m.effective = date(6, DateOrder::YearMonthDay);
    m.expire = date(12, outer);
    if (const auto digits = readNumber(bytesAt(slot, 19, 4)))
        m.mod = *digits / (layout == Layout::NewYork ? kModDivisorNewYork : kModDivisorStandard);
    return m;
}

namespace {

void setEmployerKey(RecordKey& key, const QByteArray& rec, Layout layout) {
    if (layout == Layout::NewYork)
        key.setGroups(bytesAt(rec, 3, 3), bytesAt(rec, 6, 2), bytesAt(rec, 8, 2), bytesAt(rec, 10, 2));
    else
        key.set(bytesAt(rec, 3, 7), bytesAt(rec, 14, 2));
}

} // namespace

EmployerRecord parseEmployerRecord(const QByteArray& rec, Layout layout, bool nj) {
    EmployerRecord r;
    r.state = bytesAt(rec, 1, 2);
    setEmployerKey(r.key, rec, layout);
    if (layout == Layout::NewYork) {
        r.name1 = bytesAt(rec, 28, 35);
        r.name2 = " ";
        r.street = bytesAt(rec, 68, 34);
        r.revised = bytesAt(rec, 355, 1) == "R";
        r.interstate = bytesAt(rec, 356, 1) == "I";
    } else {
        r.name1 = bytesAt(rec, 28, 40);
        r.name2 = bytesAt(rec, 68, 38);
        r.street = bytesAt(rec, 106, 40);
    }
    r.city = bytesAt(rec, 146, 22);
    r.st = bytesAt(rec, 168, 2);
    r.zip = bytesAt(rec, 170, 5);
    r.county = bytesAt(rec, 175, 3);
    r.phone = bytesAt(rec, 178, 12);
    r.area = bytesAt(rec, 178, 3);
    r.sic = bytesAt(rec, 191, 4);
    r.associates = bytesAt(rec, 305, 1) == "Y";
    r.contact = bytesAt(rec, 306, 30);
    r.employees = bytesAt(rec, 346, 1);
    r.sales = bytesAt(rec, 347, 1);
    r.title = bytesAt(rec, 401, 30);
    r.zipExt = bytesAt(rec, 431, 4);
    r.fax = bytesAt(rec, 489, 12);
    if (layout == Layout::Standard && nj) {
        r.hasNjFields = true;
        r.conditional = bytesAt(rec, 355, 14);
        r.arEstPrem = bytesAt(rec, 369, 7);
        r.arTotPrem = bytesAt(rec, 376, 7);
        r.arTotLoss = bytesAt(rec, 383, 7);
        const auto month = readNumber(bytesAt(rec, 336, 2));
        const auto year = readNumber(bytesAt(rec, 338, 2));
        if (month && year) r.njar = int(100 * *year + *month);
        r.njPpap = bytesAt(rec, 340, 3);
        r.njCcpap = bytesAt(rec, 343, 3);
    }
    for (int i = 0; i < 5; ++i)
        r.mods[i] = parseModSlot(bytesAt(rec, 195 + 22 * i, 22), layout);
    return r;
}

bool yieldsEmployer(const QByteArray& rec, Layout layout) {
    if (!sortsAfter(rec, kFilterBang)) return false;
    RecordKey key;
    setEmployerKey(key, rec, layout);
    return key.printable();
}

ClassLine parseClassLine(const QByteArray& rec, Layout layout) {
    ClassLine c;
    c.classCode = bytesAt(rec, 2, 4);
    std::optional<double> digits;
    if (layout == Layout::NewYork) {
        c.key.setGroups(bytesAt(rec, 7, 3), bytesAt(rec, 10, 2), bytesAt(rec, 12, 2), bytesAt(rec, 14, 2));
        digits = readNumber(bytesAt(rec, 16, 7));
    } else {
        c.key.set(bytesAt(rec, 7, 7), bytesAt(rec, 23, 2));
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
    QByteArray code = trimBlanks(bytesAt(rec, 1, 5)).toByteArray();
    if (code.size() == 2) code.prepend("00");
    if (code.size() != 4) return std::nullopt;
    return SicEntry{files::fromWin1252(code), columns(rec, 9, 42)};
}

AddressRecord parseAddressRecord(const QByteArray& rec) {
    AddressRecord a;
    a.key.setGroups(bytesAt(rec, 3, 3), bytesAt(rec, 6, 2), bytesAt(rec, 8, 2), bytesAt(rec, 10, 2));
    for (int k = 0; k < 8; ++k) {
        const int start = 19 + 38 * k;
        if (sortsAfter(bytesAt(rec, start + 1, 34), kFilterBang))
            a.lines[a.lineCount++] = bytesAt(rec, start, 35);
    }
    return a;
}

} // namespace loading
