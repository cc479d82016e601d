#include "platform/locks/run_folder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace locks {

namespace {

const char kLockName[] = "LOCK";
const char kPrefix[] = "run-";
// A folder still without its lock file is being made; one that stays so this long was left by a
// copy that died in the middle of making it.
constexpr time_t kUnfinishedSeconds = 3600;

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString systemReason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// An exclusive lock on the whole of fd's file without waiting: 0, or the errno.
int lockWhole(int fd) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0 ? 0 : errno;
}

} // namespace

RunFolder::RunFolder(const QString& parent) {
    QByteArray name =
        QFile::encodeName(withSlash(parent)) + kPrefix + QByteArray::number(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(name.data())) {
        error_ = QStringLiteral("No working folder can be made in %1: %2").arg(parent, systemReason(errno));
        return;
    }
    // The lock is taken before the file gets its name, so that no other copy ever finds the folder's
    // lock free while this one lives.
    const QByteArray unnamed = name + "/.LOCK";
    const int fd = ::open(unnamed.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    const int err = fd < 0 ? errno : lockWhole(fd);
    if (err == 0 && ::rename(unnamed.constData(), (name + '/' + kLockName).constData()) == 0) {
        fd_ = fd;
        path_ = withSlash(QFile::decodeName(name));
        return;
    }
    error_ = QStringLiteral("The working folder %1 cannot be locked: %2")
                 .arg(QFile::decodeName(name), systemReason(err ? err : errno));
    if (fd >= 0) ::close(fd);
    QDir(QFile::decodeName(name)).removeRecursively();
}

RunFolder::~RunFolder() {
    if (fd_ < 0) return;
    QDir(path_).removeRecursively();
    ::close(fd_);
}

int removeAbandonedRunFolders(const QString& parent) {
    const QByteArray base = QFile::encodeName(withSlash(parent));
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(base.constData()), &::closedir);
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        if (std::strncmp(e->d_name, kPrefix, sizeof kPrefix - 1) != 0) continue;
        const QByteArray folder = base + e->d_name;
        struct stat st;
        if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        const int fd = ::open((folder + '/' + kLockName).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        bool abandoned = false;
        if (fd < 0)
            abandoned = errno == ENOENT && std::time(nullptr) - st.st_mtime > kUnfinishedSeconds;
        else
            abandoned = lockWhole(fd) == 0; // its copy is gone: nobody holds the lock
        // Removed while the lock is held, so that no other copy removes it at the same time.
        if (abandoned && QDir(QFile::decodeName(folder)).removeRecursively()) ++removed;
        if (fd >= 0) ::close(fd);
    }
    return removed;
}

QString runFolder(const QString& parent, QString* error) {
    static std::unique_ptr<RunFolder> folder;
    static QString folderParent;
    struct stat st;
    // Made again when it failed before, when another parent is asked for, or when it was removed
    // from under the program.
    if (!folder || !folder->ok() || folderParent != parent ||
        ::stat(QFile::encodeName(folder->path()).constData(), &st) != 0) {
        folder.reset();
        removeAbandonedRunFolders(parent);
        folder = std::make_unique<RunFolder>(parent);
        folderParent = parent;
    }
    if (error) *error = folder->error();
    return folder->path();
}

} // namespace locks
