#include "loading/row_statement.h"

#include "platform/files/win1252.h"

namespace loading {

namespace {

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

void appendUtf8(QByteArray& out, QByteArrayView win1252) {
    if (isAscii(win1252))
        out.append(win1252);
    else
        out.append(files::fromWin1252(win1252.data(), win1252.size()).toUtf8());
}

QByteArray& RowStatement::buffer(int i) {
    if (size_t(i) >= buffers_.size()) buffers_.resize(size_t(i) + 1);
    return buffers_[size_t(i)];
}

void RowStatement::text(int i, QByteArrayView win1252) {
    if (isAscii(win1252)) {
        // An empty view may carry no pointer, and a null pointer would bind Null.
        stmt_.bindUtf8(i, win1252.isEmpty() ? "" : win1252.data(), win1252.size());
        return;
    }
    QByteArray& b = buffer(i);
    b.clear();
    appendUtf8(b, win1252);
    stmt_.bindUtf8(i, b.constData(), b.size());
}

void RowStatement::date(int i, const QDate& d) {
    if (!d.isValid()) {
        stmt_.bind(i, QVariant());
        return;
    }
    QByteArray& b = buffer(i);
    b.resize(10);
    char* p = b.data();
    const auto put = [&](int value, int width, int at) {
        for (int k = at + width - 1; k >= at; --k, value /= 10)
            p[k] = char('0' + value % 10);
    };
    put(d.year(), 4, 0);
    p[4] = '-';
    put(d.month(), 2, 5);
    p[7] = '-';
    put(d.day(), 2, 8);
    stmt_.bindUtf8(i, b.constData(), b.size());
}

} // namespace loading
