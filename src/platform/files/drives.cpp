#include "platform/files/drives.h"

#include <QDir>
#include <QMap>
#include <QStorageInfo>

namespace files {

namespace {

QString withSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

bool isNetworkShare(const QString& type) {
    static const QStringList kTypes = {QStringLiteral("nfs"),   QStringLiteral("nfs4"),
                                       QStringLiteral("cifs"),  QStringLiteral("smb3"),
                                       QStringLiteral("smbfs"), QStringLiteral("fuse.sshfs")};
    return kTypes.contains(type);
}

// Mounted by the system for itself, never where a user keeps files.
bool isSystemPlace(const QString& root) {
    if (root.startsWith(QLatin1String("/run/media/"))) return false;
    static const QStringList kPlaces = {
        QStringLiteral("/boot"), QStringLiteral("/efi"),  QStringLiteral("/snap"), QStringLiteral("/var"),
        QStringLiteral("/usr"),  QStringLiteral("/proc"), QStringLiteral("/sys"),  QStringLiteral("/dev"),
        QStringLiteral("/run"),  QStringLiteral("/etc"),  QStringLiteral("/tmp")};
    for (const QString& place : kPlaces)
        if (root == place || root.startsWith(place + QLatin1Char('/'))) return true;
    return false;
}

} // namespace

QVector<Drive> pickableDrives(const QVector<Mount>& mounts, const QString& home) {
    QVector<Drive> drives;
    const QString homeFolder = QDir::cleanPath(home);
    if (!home.isEmpty() && homeFolder != QLatin1String("/"))
        drives.append({QStringLiteral("Home (%1)").arg(homeFolder), withSlash(homeFolder)});
    drives.append({QStringLiteral("/"), QStringLiteral("/")});

    QString rootDevice;
    for (const Mount& m : mounts)
        if (QDir::cleanPath(m.root) == QLatin1String("/")) rootDevice = m.device;
    // One root per device, the shortest; in the order first mounted.
    QMap<QString, QString> rootOf;
    QStringList order;
    for (const Mount& m : mounts) {
        const QString root = QDir::cleanPath(m.root);
        if (root == QLatin1String("/") || isSystemPlace(root)) continue;
        if (!m.device.startsWith(QLatin1String("/dev/")) && !isNetworkShare(m.type)) continue;
        if (m.type == QLatin1String("squashfs") || m.device == rootDevice) continue;
        if (!rootOf.contains(m.device)) {
            order.append(m.device);
            rootOf[m.device] = root;
        } else if (root.size() < rootOf[m.device].size()) {
            rootOf[m.device] = root;
        }
    }
    for (const QString& device : std::as_const(order))
        drives.append({rootOf[device], withSlash(rootOf[device])});
    return drives;
}

QVector<Mount> mountedFileSystems() {
    QVector<Mount> mounts;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            mounts.append(
                {v.rootPath(), QString::fromLocal8Bit(v.device()), QString::fromLatin1(v.fileSystemType())});
    return mounts;
}

} // namespace files
