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

DatabaseUse::Result DatabaseUse::take(const QString& databasePath, Mode mode, QString* error) {
    release();
    const QString lockPath = lockFileFor(databasePath);
    const QByteArray p = QFile::encodeName(lockPath);
    int fd = ::open(p.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        (void)::fchmod(fd, 0666); // every user of the program folder locks in this file
    else if (errno == EEXIST)
        fd = ::open(p.constData(), O_RDWR | O_CLOEXEC);
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
