#include "maintenance/restore_marker.h"

#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"

#include <QFile>
#include <QFileInfo>

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

bool clearRestoreMarker(const QString& folder, const QString& stateCode) {
    const QString marker = files::findFileNoCase(folder, restoreMarkerName(stateCode));
    return !QFileInfo::exists(marker) || QFile::remove(marker) || QFile::resize(marker, 0);
}

} // namespace maintenance
