#include "platform/files/quoted_line.h"

#include "platform/files/win1252.h"

namespace files {

namespace {

const QByteArray kTrue = QByteArrayLiteral("#TRUE#");
const QByteArray kFalse = QByteArrayLiteral("#FALSE#");

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Index of the quote that closes a field opened before from: the first quote followed, after
// optional blanks, by a comma or the end of the line. A quote inside the text (the format has no
// escape for one) is therefore kept as part of the text. -1 when the field is not closed.
qsizetype closingQuote(const QByteArray& line, qsizetype from) {
    for (qsizetype q = line.indexOf('"', from); q >= 0; q = line.indexOf('"', q + 1)) {
        qsizetype k = q + 1;
        while (k < line.size() && isBlank(line.at(k)))
            ++k;
        if (k == line.size() || line.at(k) == ',') return q;
    }
    return -1;
}

} // namespace

QByteArray writeQuotedLine(const QVariantList& fields, LineCoding coding) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) line.append(',');
        const QVariant& f = fields.at(i);
        if (f.typeId() == QMetaType::Bool) {
            line.append(f.toBool() ? kTrue : kFalse);
        } else {
            line.append('"');
            line.append(coding == LineCoding::Utf8 ? f.toString().toUtf8() : toWin1252(f.toString()));
            line.append('"');
        }
    }
    line.append("\r\n");
    return line;
}

QVariantList readQuotedLine(const QByteArray& raw, bool* ok, LineCoding coding) {
    const auto decode = [coding](const QByteArray& bytes) {
        return coding == LineCoding::Utf8 ? QString::fromUtf8(bytes) : fromWin1252(bytes);
    };
    QByteArray line = raw;
    while (line.endsWith('\r') || line.endsWith('\n'))
        line.chop(1);
    bool good = true;
    QVariantList fields;
    if (line.trimmed().isEmpty()) {
        if (ok) *ok = true;
        return fields;
    }
    qsizetype i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line.at(i)))
            ++i;
        qsizetype next; // index of the comma that ends the field, or line.size()
        if (i < line.size() && line.at(i) == '"') {
            const qsizetype close = closingQuote(line, i + 1);
            if (close < 0) {
                good = false;
                fields.append(decode(line.mid(i + 1)));
                break;
            }
            fields.append(decode(line.mid(i + 1, close - i - 1)));
            next = line.indexOf(',', close + 1);
            if (next < 0) next = line.size();
        } else {
            next = line.indexOf(',', i);
            if (next < 0) next = line.size();
            const QByteArray text = line.mid(i, next - i).trimmed();
            if (text.compare(kTrue, Qt::CaseInsensitive) == 0)
                fields.append(true);
            else if (text.compare(kFalse, Qt::CaseInsensitive) == 0)
                fields.append(false);
            else
                fields.append(decode(text));
        }
        if (next >= line.size()) break;
        i = next + 1;
    }
    if (ok) *ok = good;
    return fields;
}

QList<QByteArray> splitLines(const QByteArray& contents) {
    QList<QByteArray> lines = contents.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r')) l.chop(1);
    return lines;
}

} // namespace files
