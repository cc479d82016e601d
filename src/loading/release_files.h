// The release files as files in the program folder: whether they can be read as release files
// and deleted after the load, checked before anything is changed.
#pragma once

#include "loading/release_records.h"
#include "platform/files/bounded_read.h"

#include <QString>
#include <QStringList>

namespace loading {

// The entries of folder whose names equal name without regard to case, in name order.
QStringList entriesNoCase(const QString& folder, const QString& name);

using files::irregularKind;

// What decides whether the user may delete a file of a folder.
struct DeletionRights {
    bool folderWritable = true; // the user may write in the folder and pass through it
    bool folderSticky = false;  // only a file's owner (or the folder's) may delete it
    unsigned folderOwner = 0, fileOwner = 0, user = 0;
    QString fileOwnerName; // for the message
};
DeletionRights deletionRights(const QString& folder, const QString& path);
// Why the user could not delete the file, "" when they can.
QString deletionBlocker(const DeletionRights& rights, const QString& folder);

// Why an employer file yields no employer (it holds none, or a record before the first one is not
// a record of the layout), as a line naming the file; "" when it yields one. Reads up to its
// first employer.
QString employerFileProblem(const QString& path, Layout layout);

} // namespace loading
