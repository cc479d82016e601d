#include "platform/files/atomic_file.h"

#include "platform/files/bounded_read.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

mode_t currentUmask() {
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

// Makes a rename into the folder of path durable.
void syncFolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Files in the making carry this mark, so that those a killed run left can be told from the user's.
constexpr char kTempMark[] = ".velk-XXXXXX";

// Removes the files in the making that killed runs left in dir: each is locked by its writer as
// long as that runs, and a file just made is given a minute, in case it is not locked yet. Once per
// folder and process: an install writes thousands of files into one folder.
void removeAbandoned(const QByteArray& dir) {
    static std::mutex mutex;
    static QSet<QByteArray> done;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (done.contains(dir)) return;
        done.insert(dir);
    }
    static const QRegularExpression temp(QStringLiteral("^\\..+\\.velk-[A-Za-z0-9]{6}$"));
    const QDir folder(QFile::decodeName(dir));
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!temp.match(name).hasMatch()) continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_mtime < std::time(nullptr) - 60 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

} // namespace

ReplacingFile::ReplacingFile(const QString& target, mode_t newFileMode)
    : target_(QFile::encodeName(target)), newFileMode_(newFileMode) {
    const qsizetype slash = target_.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : target_.left(slash + 1);
    const QByteArray base = slash < 0 ? target_ : target_.mid(slash + 1);
    // Hidden, so that a listing of the folder never offers a half-written file.
    temp_ = (slash < 0 ? QByteArray() : dir) + '.' + (base.size() <= 200 ? base : QByteArray("replacement")) +
            kTempMark;
    removeAbandoned(dir);
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail("no temporary file can be created beside it", errno);
        temp_.clear();
        return;
    }
    // Held until the file is in place or removed: it tells a running writer from a killed one.
    ::flock(fd_, LOCK_EX | LOCK_NB);
}

ReplacingFile::~ReplacingFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
}

QString ReplacingFile::tempPath() const {
    return QFile::decodeName(temp_);
}

bool ReplacingFile::fail(const char* what, int err) {
    if (what_.isEmpty()) {
        what_ = QString::fromUtf8(what);
        err_ = err;
    }
    return false;
}

QString ReplacingFile::reason() const {
    return QStringLiteral("%1 (%2)").arg(what_, QString::fromLocal8Bit(std::strerror(err_)));
}

bool ReplacingFile::write(const char* data, qint64 size) {
    if (!ok() || fd_ < 0) return fail("writing failed", EBADF);
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("writing failed", errno);
        }
        data += n;
        size -= n;
    }
    return true;
}

bool ReplacingFile::commit() {
    if (!ok() || fd_ < 0) return fail("writing failed", EBADF);
    struct stat st;
    // lstat: a link in the target's place is replaced, so its target's permissions are not copied.
    const mode_t mode = ::lstat(target_.constData(), &st) == 0 && S_ISREG(st.st_mode)
                            ? (st.st_mode & 07777)
                            : (newFileMode_ & ~currentUmask());
    if (::fchmod(fd_, mode) != 0) return fail("setting its permissions failed", errno);
    if (::fsync(fd_) != 0) return fail("flushing failed", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail("closing failed", errno);
    if (::rename(temp_.constData(), target_.constData()) != 0) return fail("it cannot be replaced", errno);
    temp_.clear();
    syncFolderOf(target_);
    return true;
}

QString notAFile(const QString& path) {
    const QFileInfo target(path);
    return target.exists() && !target.isFile() ? irregularKind(path) : QString();
}

bool atomicWrite(const QString& path, const QByteArray& contents, QString* error) {
    ReplacingFile file(path);
    if (file.write(contents.constData(), contents.size()) && file.commit()) return true;
    if (error) *error = QStringLiteral("Cannot write %1: %2").arg(path, file.reason());
    return false;
}

QString moveIntoPlace(const QString& temp, const QString& target) {
    QFile::remove(target + QStringLiteral("-journal"));
    const QByteArray to = QFile::encodeName(target);
    if (::rename(QFile::encodeName(temp).constData(), to.constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    syncFolderOf(to);
    return QString();
}

QString copyIntoPlace(const QString& source, const QString& target, QFileDevice::Permissions permissions) {
    const QString temp = target + QStringLiteral(".new-%1").arg(::getpid());
    QFile::remove(temp);
    QFile in(source);
    if (!in.copy(temp)) {
        QFile::remove(temp);
        return QStringLiteral("%1 cannot be copied to %2: %3").arg(source, temp, in.errorString());
    }
    QFile::setPermissions(temp, permissions);
    if (const QString reason = moveIntoPlace(temp, target); !reason.isEmpty()) {
        QFile::remove(temp);
        return QStringLiteral("%1 cannot be replaced: %2").arg(target, reason);
    }
    return QString();
}

} // namespace files
