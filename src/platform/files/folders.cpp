#include "platform/files/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace files {

namespace {

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString& tempDirOverride() {
    static QString folder;
    return folder;
}

qint64& freeSpaceOverride() {
    static qint64 bytes = -1;
    return bytes;
}

QString withoutTrailingSlash(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString homeFolder() {
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    if (!home.isEmpty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return QString::fromLocal8Bit(pw->pw_dir);
    return QString();
}

QString defaultTempDir() {
    const QString xdg = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    // A relative XDG_STATE_HOME is invalid and must be ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return joinPath(xdg, QStringLiteral("velk"));
    const QString home = homeFolder();
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) return QString();
    return joinPath(home, QStringLiteral(".local/state/velk"));
}

// Creates every missing component of path with mode 0700 (the parents too, as the XDG base
// directory rules ask for state folders).
bool makePrivatePath(const QByteArray& path) {
    struct stat st;
    if (::lstat(path.constData(), &st) == 0) return true; // what it is, isPrivateFolder judges
    if (errno != ENOENT) return false;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0) {
        const QByteArray parent = path.left(slash);
        // A parent may be a link of the user's own (a home on another disk); only the folder itself may not.
        if (::stat(parent.constData(), &st) != 0 && !makePrivatePath(parent)) return false;
    }
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

// The folder may hold the last choice of workspace and copies of the user's data: accept it only
// when it is a folder of ours that nobody else can write into, and not a link to one (lstat): a
// link planted where the folder belongs would lead the files elsewhere.
bool isPrivateFolder(const QByteArray& path) {
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

QString programFolder() {
    if (!programFolderOverride().isEmpty()) return programFolderOverride();
    if (QCoreApplication::instance()) return withoutTrailingSlash(QCoreApplication::applicationDirPath());
    return withoutTrailingSlash(QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path());
}

void setProgramFolder(const QString& folder) {
    programFolderOverride() = withoutTrailingSlash(folder);
}

QString GetTempDir() {
    QString folder = tempDirOverride().isEmpty() ? defaultTempDir() : tempDirOverride();
    if (folder.isEmpty()) return QString();
    folder = withoutTrailingSlash(QDir::cleanPath(folder));
    const QByteArray native = QFile::encodeName(folder);
    if (!makePrivatePath(native) || !isPrivateFolder(native)) return QString();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

void setTempDirOverride(const QString& folder) {
    tempDirOverride() = folder;
}

QString findFileNoCase(const QString& folder, const QString& name) {
    const QString exact = joinPath(folder, name);
    if (QFileInfo::exists(exact)) return exact;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return joinPath(folder, entry);
    return exact;
}

QString NoCaseLookup::find(const QString& folder, const QString& name) {
    const QString exact = joinPath(folder, name);
    if (QFileInfo::exists(exact)) return exact;
    const QString key = withoutTrailingSlash(folder);
    auto listing = listings_.find(key);
    if (listing == listings_.end()) {
        listing = listings_.insert(key, {});
        const QStringList entries =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& entry : entries)
            listing->insert(entry.toCaseFolded(), entry);
    }
    const auto found = listing->constFind(name.toCaseFolded());
    return found == listing->cend() ? exact : joinPath(folder, *found);
}

void NoCaseLookup::created(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return;
    const auto listing = listings_.find(slash == 0 ? QStringLiteral("/") : path.left(slash));
    if (listing != listings_.end()) listing->insert(path.mid(slash + 1).toCaseFolded(), path.mid(slash + 1));
}

bool existsNoCase(const QString& folder, const QString& name) {
    return QFileInfo::exists(findFileNoCase(folder, name));
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

qint64 freeSpace(const QString& folder) {
    if (freeSpaceOverride() >= 0) return freeSpaceOverride();
    struct statvfs vfs;
    if (::statvfs(QFile::encodeName(folder).constData(), &vfs) != 0) return -1;
    return qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
}

void setFreeSpaceOverride(qint64 bytes) {
    freeSpaceOverride() = bytes;
}

qint64 fileLength(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return st.st_size;
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    qsizetype start = 0;
    while (start < name.size() && name.at(start) == QLatin1Char('/'))
        ++start;
    QString base = folder;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1Char('/') + name.mid(start);
}

} // namespace files
