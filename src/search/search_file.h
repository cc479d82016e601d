// The saved-search files SEARCH<n>.VKD and UNTITLED.VKD of a workspace folder.
//
// One line per lookup, Windows-1252, CR LF, no header and no trailing empty line:
//   "North","County","001","005","COUNTY",#FALSE#
// Fields 1 to 5 are written between double quotes as they stand (the format has no escape),
// field 6 is #TRUE# (excluded) or #FALSE# (included).
#pragma once

#include "search/lookup_parameter.h"

#include <QByteArray>
#include <QString>

namespace search {

inline constexpr int kMaxNamedSearches = 8; // SEARCH1.VKD to SEARCH8.VKD
inline const char* const kUntitledFile = "UNTITLED.VKD";
inline const char* const kUntitledTitle = "UNTITLED";
// A saved search is a few short lines per lookup; a file larger than this is none the editor
// wrote, and is refused before it is read.
inline constexpr qint64 kMaxSearchFileBytes = 64 * 1024;

// "SEARCH" & n & ".VKD".
QString searchFileName(int n);
// The twin of a search file: its name less the last three characters & "XCL" (SEARCH3.VKD -> SEARCH3.XCL).
QString twinName(const QString& fileName);

// Why text cannot be stored in a field of the file ("" when it can): the format has no escape for a
// double quote, and it holds only Windows-1252 text on one line. The lookup editor refuses such
// text as it is typed, and the file is never written with it.
QString storableTextProblem(const QString& text);
// text without the characters storableTextProblem objects to.
QString withoutUnstorable(const QString& text);

// The file's bytes for a search: every line carries title as field 1 (SQLDESC of the lookups is ignored).
QByteArray formatSearchFile(const QString& title, const SqlParameters& lookups);

// Writes path atomically (a temporary file renamed into place), so an edited search is never lost
// half way: the old file stays whole until the new one is complete. Refuses text that could not be
// read back (storableTextProblem). Returns false and sets error (naming the file) on failure.
bool writeSearchFile(const QString& path, const QString& title, const SqlParameters& lookups,
                     QString* error = nullptr);

// Parses a file's bytes (CR LF or LF line ends). An empty file is an empty list. A line that is not
// five quoted texts and a Boolean makes the whole file unreadable: returns false and sets error
// (naming the line number).
bool parseSearchFile(const QByteArray& contents, SqlParameters* lookups, QString* error = nullptr);

// Reads path into lookups (emptied first). Returns false and sets error (naming the file) when it
// cannot be opened or parsed, is not a regular file, or is larger than kMaxSearchFileBytes.
bool readSearchFile(const QString& path, SqlParameters* lookups, QString* error = nullptr);

// Field 1 of the first line: the title shown on the search's tab. Returns false and sets error when
// the file cannot be opened, is empty or its first line is malformed.
bool readSearchTitle(const QString& path, QString* title, QString* error = nullptr);

} // namespace search
