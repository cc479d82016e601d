#include "platform/files/bounded_read.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

QString BoundedRead::reason() const {
    return QString::fromLocal8Bit(std::strerror(error));
}

BoundedRead readRegularFile(const QString& path, qint64 maxBytes, bool followLinks) {
    BoundedRead r;
    // Non-blocking, so that opening a FIFO cannot hold the program; it is refused below.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) {
        r.error = errno;
        return r;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.outcome = BoundedRead::NotRegular;
    } else if (st.st_size > maxBytes) {
        r.outcome = BoundedRead::TooLarge;
    } else {
        // One byte more than allowed is asked for, so a file that grew since fstat is still caught.
        r.bytes.resize(qsizetype(maxBytes + 1));
        qsizetype got = 0;
        r.outcome = BoundedRead::Read;
        while (got < r.bytes.size()) {
            const ssize_t n = ::read(fd, r.bytes.data() + got, size_t(r.bytes.size() - got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                r.outcome = BoundedRead::ReadFailed;
                r.error = errno;
                break;
            }
            if (n == 0) break;
            got += n;
        }
        if (r.outcome == BoundedRead::Read && got > maxBytes) r.outcome = BoundedRead::TooLarge;
        r.bytes.truncate(r.outcome == BoundedRead::Read ? got : 0);
    }
    ::close(fd);
    return r;
}

QString irregularKind(const QString& path) {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode)) return QString();
    if (S_ISLNK(st.st_mode)) {
        const QString target = QFile::symLinkTarget(path);
        return target.isEmpty() ? QStringLiteral("a link") : QStringLiteral("a link to %1").arg(target);
    }
    if (S_ISDIR(st.st_mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(st.st_mode)) return QStringLiteral("a named pipe");
    if (S_ISSOCK(st.st_mode)) return QStringLiteral("a socket");
    return QStringLiteral("a device");
}

} // namespace files
