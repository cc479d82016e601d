// The restore marker REST<st>.DAT: left in the program folder when a data set's notes and user
// fields were saved to BACKUP<st>.MDB before an update replaced its database, and taken away once
// they are restored into the new one.
#pragma once

#include <QString>

namespace maintenance {

QString restoreMarkerName(const QString& stateCode); // "REST" + st + ".DAT"

// Writes the marker (one line holding a blank) into folder, replacing one of any letter case.
// Sets error and returns false when it cannot be written.
bool writeRestoreMarker(const QString& folder, const QString& stateCode, QString* error = nullptr);

// True when folder holds the data set's marker (of any letter case) with a length other than 0.
bool restorePending(const QString& folder, const QString& stateCode);

// The restore a marker asks for, run when the workspace dialog accepts the data set: restores the
// data set's notes and user fields from BACKUP<st>.MDB in folder into VELK<st>.MDB there (opened
// with connect), shows the count message, and then removes the marker. Does nothing when no marker
// is pending. A failure throws dao::DaoError and keeps the marker, so the restore is tried again at
// the next choice of the data set.
void runPendingRestore(const QString& folder, const QString& stateCode, const QString& connect);

} // namespace maintenance
