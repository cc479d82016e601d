#include "platform/locks/row_lock.h"

#include "platform/locks/database_use.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace locks {

QString lockFileFor(const QString& databasePath) {
    const QFileInfo fi(databasePath);
    return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".LDB"));
}

off_t lockOffset(const QString& file, const QString& sequence) {
    // FNV-1a over the key; the unit separator keeps ("12","3") apart from ("1","23").
    const QByteArray key = file.toUtf8() + '\x1f' + sequence.toUtf8();
    quint64 h = 1469598103934665603ULL;
    for (char c : key) {
        h ^= quint8(c);
        h *= 1099511628211ULL;
    }
    return off_t(h & ((quint64(1) << 62) - 1));
}

namespace {
// Locks or unlocks one byte for this open file description, without waiting.
int setByte(int fd, short type, off_t offset) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &fl);
}
} // namespace

RowLockFile::RowLockFile(QString path) : path_(std::move(path)) {}

RowLockFile::~RowLockFile() {
    close();
}

bool RowLockFile::ensureOpen(QString* error) {
    if (fd_ >= 0) return true;
    const QByteArray p = QFile::encodeName(path_);
    // Created with the user's umask: a lock file others may write is the folder owner's choice,
    // never a world-writable file made here.
    fd_ = ::open(p.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ < 0 && error) {
        *error = QStringLiteral("the lock file %1 cannot be opened for writing (%2)")
                     .arg(path_, QString::fromLocal8Bit(strerror(errno)));
    }
    return fd_ >= 0;
}

bool openFileAtPath(int fd, const QString& path) {
    struct stat open, named;
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool RowLockFile::stillAtPath() const {
    return fd_ >= 0 && openFileAtPath(fd_, path_);
}

bool RowLockFile::beingReplaced(QString* error) const {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = databaseUseOffset();
    fl.l_len = 1;
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) return false;
    if (error) *error = QStringLiteral("an update in another copy of VELK is replacing the database");
    return true;
}

RowLockFile::Result RowLockFile::tryLock(const QString& file, const QString& sequence, QString* error) {
    // A lock in a file that was removed or replaced since it was opened keeps nobody out: the
    // others lock in the file now at the path. Take it again there.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!ensureOpen(error)) return Result::Failed;
        if (setByte(fd_, F_WRLCK, lockOffset(file, sequence)) != 0) {
            if (errno == EAGAIN || errno == EACCES) {
                if (stillAtPath()) return Result::Busy;
                close();
                continue;
            }
            if (error) {
                *error = QStringLiteral("a record cannot be locked in %1 (%2)")
                             .arg(path_, QString::fromLocal8Bit(strerror(errno)));
            }
            return Result::Failed;
        }
        if (stillAtPath()) {
            if (!beingReplaced(error)) return Result::Locked;
            unlock(file, sequence);
            return Result::Failed;
        }
        close();
    }
    if (error) *error = QStringLiteral("the lock file %1 keeps being replaced").arg(path_);
    return Result::Failed;
}

RowLockFile::Result RowLockFile::lockAllFree(std::vector<HeldRange>& held, QString* error) {
    // As in tryLock: locks in a file no longer at the path are taken again in the one that is.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Result r = lockAllFreeOnce(held, error);
        if (r != Result::Locked) return r;
        if (stillAtPath()) {
            if (!beingReplaced(error)) return r;
            close();
            held.clear();
            return Result::Failed;
        }
        close();
    }
    held.clear();
    if (error) *error = QStringLiteral("the lock file %1 keeps being replaced").arg(path_);
    return Result::Failed;
}

RowLockFile::Result RowLockFile::lockAllFreeOnce(std::vector<HeldRange>& held, QString* error) {
    held.clear();
    if (!ensureOpen(error)) return Result::Failed;
    // lockOffset gives offsets below 2^62; the ranges to take are split around each range another
    // holder has, so the work grows with what others hold, not with the records.
    std::vector<HeldRange> todo{{0, off_t(1) << 62}};
    int retries = 0;
    auto failed = [&](const char* what) {
        if (error)
            *error = QStringLiteral("Cannot lock the records in %1: %2").arg(path_, QLatin1String(what));
        close(); // drops what was taken so far
        held.clear();
        return Result::Failed;
    };
    while (!todo.empty()) {
        const HeldRange r = todo.back();
        todo.pop_back();
        if (r.start >= r.end) continue;
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = r.start;
        fl.l_len = r.end - r.start;
        if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return failed(strerror(errno));
        if (fl.l_type == F_UNLCK) {
            fl.l_type = F_WRLCK;
            fl.l_start = r.start;
            fl.l_len = r.end - r.start;
            if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) continue;
            if (errno != EAGAIN && errno != EACCES) return failed(strerror(errno));
            // Someone took a lock in the range since it was looked at: look again.
            if (++retries > 1000) return failed("other users keep taking locks");
            todo.push_back(r);
            continue;
        }
        const off_t start = std::max(fl.l_start, r.start);
        const off_t end = fl.l_len == 0 ? r.end : std::min(off_t(fl.l_start + fl.l_len), r.end);
        held.push_back({start, end});
        todo.push_back({r.start, start});
        todo.push_back({end, r.end});
    }
    return Result::Locked;
}

void RowLockFile::unlock(const QString& file, const QString& sequence) {
    if (fd_ < 0) return;
    setByte(fd_, F_UNLCK, lockOffset(file, sequence));
}

void RowLockFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace locks
