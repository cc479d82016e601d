// Program folder, per-user temporary folder and case-insensitive file lookup.
#pragma once

#include <QHash>
#include <QString>

namespace files {

// The folder of the running executable, or the one injected by setProgramFolder (tests).
// Returned without a trailing separator.
QString programFolder();
void setProgramFolder(const QString& folder);

// The per-user private folder standing in for the Windows temporary folder: it survives a reboot
// ($XDG_STATE_HOME/velk or ~/.local/state/velk), is created with mode 0700 and is returned with a
// trailing "/". "" when it cannot be had, or when what stands at its path is not a folder of this
// user's that only they can write (a symbolic link is refused, not followed). Files in it are
// opened without following links. setTempDirOverride("") restores the default.
QString GetTempDir();
void setTempDirOverride(const QString& folder);

// Path of the entry of folder whose name equals name without regard to case; when there is none,
// folder + "/" + name with the given spelling (so a new file gets the fixed spelling).
QString findFileNoCase(const QString& folder, const QString& name);
// findFileNoCase for many names in few folders: each folder is listed once, at its first look-up,
// so the look-ups cost no more than the names. What is created in a folder after its listing is
// found in another spelling only once it has been told (created).
class NoCaseLookup {
public:
    QString find(const QString& folder, const QString& name);
    void created(const QString& path);
    void clear() { listings_.clear(); }

private:
    QHash<QString, QHash<QString, QString>> listings_; // folder -> case-folded name -> name
};
// True when an entry matching name without regard to case exists in folder.
bool existsNoCase(const QString& folder, const QString& name);

// Bytes this user may still write on the file system that holds folder; -1 when it cannot be told.
qint64 freeSpace(const QString& folder);
// Tests: freeSpace reports bytes for every folder; -1 brings back the real figure.
void setFreeSpaceOverride(qint64 bytes);

// Length of a file in bytes; 0 when it is missing.
qint64 fileLength(const QString& path);

// True when both paths name one existing file, however each is spelled (links, "..", "//").
bool sameFile(const QString& a, const QString& b);

// Joins a folder and a name with exactly one separator.
QString joinPath(const QString& folder, const QString& name);

} // namespace files
