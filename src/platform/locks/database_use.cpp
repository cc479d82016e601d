#include "platform/locks/database_use.h"

#include "platform/locks/row_lock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace locks {

off_t databaseUseOffset() {
    // Record locks lie below 2^62, and the restore's take-everything covers exactly that range.
    return off_t(1) << 62;
}

DatabaseUse::~DatabaseUse() {
    release();
}

void DatabaseUse::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool DatabaseUse::stillAtPath() const {
    return fd_ >= 0 && openFileAtPath(fd_, lockFileFor(path_));
}

DatabaseUse::Result DatabaseUse::take(const QString& databasePath, Mode mode, QString* error) {
    // As with the record locks: a claim in a lock file that was removed or replaced meanwhile
    // keeps nobody out, so it is taken again in the file now at the path.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Result r = takeOnce(databasePath, mode, error);
        if (r != Result::Taken || stillAtPath()) return r;
        release();
    }
    if (error)
        *error = QStringLiteral("The lock file %1 keeps being replaced.").arg(lockFileFor(databasePath));
    return Result::Failed;
}

DatabaseUse::Result DatabaseUse::takeOnce(const QString& databasePath, Mode mode, QString* error) {
    release();
    const QString lockPath = lockFileFor(databasePath);
    const QByteArray p = QFile::encodeName(lockPath);
    // Created with the user's umask, like the record locks' file: the same file.
    const int fd = ::open(p.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("Cannot open the lock file %1: %2")
                         .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Failed;
    }
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = mode == Mode::Working ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = databaseUseOffset();
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EAGAIN || err == EACCES) return Result::Busy;
        if (error)
            *error = QStringLiteral("Cannot lock %1: %2")
                         .arg(lockPath, QString::fromLocal8Bit(std::strerror(err)));
        return Result::Failed;
    }
    fd_ = fd;
    path_ = databasePath;
    return Result::Taken;
}

} // namespace locks
