#include "maintenance/restore_marker.h"

#include "dataset/data_set.h"
#include "maintenance/backup_database.h"
#include "maintenance/user_data.h"
#include "platform/dao/dao.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"

#include <QFile>

namespace maintenance {

QString restoreMarkerName(const QString& stateCode) {
    return QStringLiteral("REST") + stateCode + QStringLiteral(".DAT");
}

bool writeRestoreMarker(const QString& folder, const QString& stateCode, QString* error) {
    return files::atomicWrite(files::findFileNoCase(folder, restoreMarkerName(stateCode)),
                              QByteArray(" \r\n"), error);
}

bool restorePending(const QString& folder, const QString& stateCode) {
    return files::fileLength(files::findFileNoCase(folder, restoreMarkerName(stateCode))) > 0;
}

void runPendingRestore(const QString& folder, const QString& stateCode, const QString& connect) {
    if (!restorePending(folder, stateCode)) return;
    RestoreUserData(files::findFileNoCase(folder, dataset::stateDatabaseName(stateCode)),
                    files::findFileNoCase(folder, backupDatabaseName(stateCode)), stateCode, connect);
    // A marker left behind would restore the backup again over notes written since; one emptied
    // counts as none.
    const QString marker = files::findFileNoCase(folder, restoreMarkerName(stateCode));
    if (!QFile::remove(marker) && !QFile::resize(marker, 0))
        throw dao::DaoError(
            marker, QStringLiteral("Remove the restore marker"),
            QStringLiteral("the notes and fields were restored, but the marker cannot be removed; "
                           "remove it before this data set is chosen again, or they will be restored "
                           "again over later changes"));
}

} // namespace maintenance
