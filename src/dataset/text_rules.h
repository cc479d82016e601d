// Rules for the texts the data sets hold: when a text counts as present or empty, blank trimming
// and proper case. Texts compare by character code, case-sensitive.
#pragma once

#include <QString>
#include <QVariant>

namespace dataset {

// The presence rule: a text is present when it sorts after "!", so the single blank that the
// loaders store for "nothing" and any text that starts with a blank or a control character are
// not. Rules that speak of an "empty" text test for one that sorts before "!"; "!" itself is
// neither present nor empty.
bool isPresent(const QVariant& text); // Null is not present
bool isEmptyText(const QString& text);
// v sorts after threshold; Null sorts after nothing.
bool sortsAfter(const QVariant& v, const QString& threshold);

// text without its blanks (the space character only; tabs and line breaks stay) at both ends, or
// at the end only.
enum class BlankEnds { Both, Trailing };
QString trimBlanks(const QString& text, BlankEnds ends = BlankEnds::Both);
QStringView trimBlanks(QStringView text, BlankEnds ends = BlankEnds::Both);

// Lower case, then the first character and every character after a blank raised.
QString properCase(const QString& text);

} // namespace dataset
