#include "platform/files/atomic_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

bool failWith(QString* error, const QString& path, const QString& what, int err) {
    if (error)
        *error = QStringLiteral("Cannot write %1: %2 (%3)")
                     .arg(path, what, QString::fromLocal8Bit(std::strerror(err)));
    return false;
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

mode_t currentUmask() {
    const mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

} // namespace

bool atomicWrite(const QString& path, const QByteArray& contents, QString* error) {
    const QByteArray target = QFile::encodeName(path);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);

    // The replacement keeps the permissions of the file it replaces; a new file gets the usual ones.
    struct stat st;
    const mode_t mode = ::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode)
                            ? (st.st_mode & 07777)
                            : (0666 & ~currentUmask());

    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(error, path, QStringLiteral("no temporary file can be created beside it"), errno);

    auto abandon = [&](const QString& what) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.constData());
        return failWith(error, path, what, err);
    };
    if (!writeAll(fd, contents.constData(), contents.size()))
        return abandon(QStringLiteral("writing failed"));
    if (::fchmod(fd, mode) != 0) return abandon(QStringLiteral("setting its permissions failed"));
    if (::fsync(fd) != 0) return abandon(QStringLiteral("flushing failed"));
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return failWith(error, path, QStringLiteral("closing failed"), err);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return failWith(error, path, QStringLiteral("it cannot be replaced"), err);
    }
    // Make the rename itself durable.
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace files
