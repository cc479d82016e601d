// The quoted comma line format of VELK.INI and the saved-search files: "a","b",#TRUE# CR LF.
// Strings are written between double quotes with no escaping; Booleans as #TRUE# / #FALSE#.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace files {

// The saved-search files are Windows-1252; VELK.INI is UTF-8, so that any workspace name survives.
enum class LineCoding { Win1252, Utf8 };

// One field: a QString (quoted) or a bool (#TRUE#/#FALSE#). Returns the line with CR LF.
QByteArray writeQuotedLine(const QVariantList& fields, LineCoding coding = LineCoding::Win1252);
// Splits one line (without its line end) into fields: quoted strings as QString, #TRUE#/#FALSE# as
// bool, anything else as its trimmed text. ok is false for an unterminated quote.
QVariantList readQuotedLine(const QByteArray& line, bool* ok = nullptr,
                            LineCoding coding = LineCoding::Win1252);
// Lines of a file's contents, tolerating CR LF or LF; a last empty line is dropped.
QList<QByteArray> splitLines(const QByteArray& contents);

} // namespace files
