// Windows-1252 codec, lossless for all 256 bytes: the five undefined bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 code points of the same value.
#pragma once

#include <QByteArray>
#include <QString>

namespace files {

QString fromWin1252(const QByteArray& bytes);
QString fromWin1252(const char* data, qsizetype len);
// Characters without a Windows-1252 byte become "?"; ok (when given) tells whether all were encodable.
QByteArray toWin1252(const QString& text, bool* ok = nullptr);
// toWin1252 onto the end of out; false when a character had no byte.
bool appendWin1252(QByteArray& out, const QString& text);
bool isWin1252Encodable(const QString& text);

// True when bytes are well-formed UTF-8. Text written in Windows-1252 with any byte above 0x7F is
// almost never well-formed UTF-8, so this tells the two apart in a file that may hold either.
bool isValidUtf8(const QByteArray& bytes);

} // namespace files
