// The address a restored USER row puts into its PRIME row: a User1 that begins with "!&" makes
// User2 the street and User3 the "City ST Zip" of the record.
#pragma once

#include <QString>
#include <QVariant>

namespace maintenance {

struct RestoredAddress {
    bool override = false; // User1 begins with "!&"
    // Why the override is not applied ("" when it is): the record detail form's message for the
    // street or the "City ST Zip" text. The released address then stays as it is.
    QString problem;
    // The values to store when the override is applied; ZIPEXT is Null when the text has none.
    QVariant STREET, CITY, ST, ZIP, ZIPEXT;

    bool applies() const { return override && problem.isEmpty(); }
};

// The address of a backed-up row, checked by the rules the record detail form applies when the
// user types it, so that a restore never stores what the form would refuse (and never a Null in
// place of a released address). stateCode is the data set written into: it sets STREET's width.
RestoredAddress restoredAddress(const QVariant& User1, const QVariant& User2, const QVariant& User3,
                                const QString& stateCode);

} // namespace maintenance
