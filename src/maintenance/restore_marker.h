// The restore marker REST<st>.DAT: left in the program folder when a data set's notes and user
// fields were saved to BACKUP<st>.MDB before an update replaced its database, and taken away once
// they are restored into the new one (the workspace dialog does that when the data set is chosen).
#pragma once

#include <QString>

namespace maintenance {

QString restoreMarkerName(const QString& stateCode); // "REST" + st + ".DAT"

// Writes the marker (one line holding a blank) into folder, replacing one of any letter case.
// Sets error and returns false when it cannot be written.
bool writeRestoreMarker(const QString& folder, const QString& stateCode, QString* error = nullptr);

// True when folder holds the data set's marker (of any letter case) with a length other than 0.
bool restorePending(const QString& folder, const QString& stateCode);

// Takes the marker away once its restore is done: removed, or emptied when it cannot be removed
// (an empty marker counts as none). False when neither can be done; the restore would then run
// again at the next choice of the data set, over changes made since.
bool clearRestoreMarker(const QString& folder, const QString& stateCode);

} // namespace maintenance
