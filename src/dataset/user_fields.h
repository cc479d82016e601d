// The seven user fields of a PRIME row: their input lengths, the value a box writes and the
// captions that follow the address override marker.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace dataset {

// The user fields in the order the detail form fills them.
QStringList userFieldNames();

// Longest input of the box for a user field: 50 for User1-User3, 30 for UserContact and UserTitle,
// 12 for UserPhone and UserFax; 0 for a name that is not a user field.
int userFieldMaxLength(const QString& field);

// The value a box writes into its field: no value for an empty box, otherwise the text without
// leading and trailing blanks (so a box of blanks stores an empty text).
QVariant userFieldValue(const QString& boxText);

// True when text begins with exactly "!&" (case-sensitive; a blank in front defeats it).
bool hasOverrideMarker(const QString& user1Text);

// Captions of the labels over User2 and User3 for the text of User1.
struct UserCaptions {
    QString lblUser2;
    QString lblUser3;
};
UserCaptions userCaptions(const QString& user1Text);

} // namespace dataset
