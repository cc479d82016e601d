#include "platform/files/win1252.h"

#include <QHash>
#include <QStringDecoder>

namespace files {

namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined keep their own value (a C1 control),
// so that every byte survives a round trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const QHash<char16_t, char>& reverseHigh() {
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 32; ++i)
            t.insert(kHigh[i], char(0x80 + i));
        return t;
    }();
    return table;
}

// Byte for one UTF-16 unit, or -1 when it has none.
int byteFor(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    auto it = reverseHigh().constFind(u);
    return it == reverseHigh().constEnd() ? -1 : int(static_cast<unsigned char>(*it));
}

} // namespace

QString fromWin1252(const char* data, qsizetype len) {
    QString out(len, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < len; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

QString fromWin1252(const QByteArray& bytes) {
    return fromWin1252(bytes.constData(), bytes.size());
}

bool appendWin1252(QByteArray& out, const QString& text) {
    // One byte per unit at most, written in place rather than appended one by one (exports of
    // many megabytes go through here).
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* d = out.data() + start;
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    bool all = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] < 0x80) {
            *d++ = char(s[i]);
            continue;
        }
        const int b = byteFor(s[i]);
        if (b >= 0) {
            *d++ = char(b);
            continue;
        }
        all = false;
        *d++ = '?';
        // One character outside the Basic Multilingual Plane is one "?", not two.
        if (QChar::isHighSurrogate(s[i]) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) ++i;
    }
    out.truncate(d - out.constData());
    return all;
}

QByteArray toWin1252(const QString& text, bool* ok) {
    QByteArray out;
    const bool all = appendWin1252(out, text);
    if (ok) *ok = all;
    return out;
}

bool isWin1252Encodable(const QString& text) {
    for (QChar c : text)
        if (byteFor(c.unicode()) < 0) return false;
    return true;
}

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)decoder.decode(bytes).operator QString();
    return !decoder.hasError();
}

} // namespace files
