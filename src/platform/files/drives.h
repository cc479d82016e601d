// The "drives" a folder chooser offers: the places a user picks from, out of everything mounted.
#pragma once

#include <QString>
#include <QVector>

namespace files {

// A mounted file system as the system lists it.
struct Mount {
    QString root;   // where it is mounted
    QString device; // "/dev/sdb1", "server:/export", "proc", ...
    QString type;   // "ext4", "nfs4", "tmpfs", ...
};

struct Drive {
    QString label;
    QString root; // with a trailing "/"
};

// The home folder first, then the whole file system "/", then every other volume that holds the
// user's files: a disk or removable medium, or a network share. System and virtual file systems
// (/proc, /sys, tmpfs, /boot, snaps) are left out, and a device mounted in several places (a bind
// mount) is offered once, at its shortest root.
QVector<Drive> pickableDrives(const QVector<Mount>& mounts, const QString& home);

// The mounted file systems of this machine.
QVector<Mount> mountedFileSystems();

} // namespace files
