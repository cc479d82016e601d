#include "platform/files/fixed_records.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

constexpr qsizetype kReadSize = 1 << 20;

QString composeMessage(const QString& path, long long record, const QString& reason) {
    if (record <= 0) return QStringLiteral("%1: %2").arg(path, reason);
    return QStringLiteral("%1, record %2: %3").arg(path).arg(record).arg(reason);
}

// What may follow the last record: the DOS end-of-file mark, stray line ends and blanks.
bool isFiller(const char* p, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] != '\x1a' && p[i] != '\r' && p[i] != '\n' && p[i] != ' ') return false;
    return true;
}

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

MalformedFile::MalformedFile(const QString& path, long long recordNumber, const QString& reason)
    : std::runtime_error(composeMessage(path, recordNumber, reason).toStdString()), path_(path),
      record_(recordNumber), reason_(reason) {}

QString MalformedFile::message() const {
    return composeMessage(path_, record_, reason_);
}

FixedRecordReader::FixedRecordReader(const QString& path, int recordLength)
    : path_(path), len_(recordLength) {
    if (len_ < 2) throw MalformedFile(path_, 0, QStringLiteral("invalid record length %1").arg(len_));
    // A link is not followed and a pipe or device is not waited on: only a regular file is read.
    const int fd =
        ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        throw MalformedFile(path_, 0,
                            err == ELOOP ? QStringLiteral("is a link, not a regular file")
                                         : QStringLiteral("cannot be opened (%1)").arg(errnoText(err)));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw MalformedFile(path_, 0, QStringLiteral("is not a regular file"));
    }
    size_ = st.st_size;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    f_ = ::fdopen(fd, "rb");
    if (!f_) {
        const int err = errno;
        ::close(fd);
        throw MalformedFile(path_, 0, QStringLiteral("cannot be opened (%1)").arg(errnoText(err)));
    }
}

FixedRecordReader::~FixedRecordReader() {
    if (f_) std::fclose(f_);
}

// Appends the next chunk to the unread bytes; false at the end of the file.
bool FixedRecordReader::fill() {
    if (eof_) return false;
    if (pos_ > 0) {
        buf_.remove(0, pos_);
        pos_ = 0;
    }
    // A whole number of records per read keeps records from straddling most refills.
    const qsizetype chunk = qMax<qsizetype>(len_, kReadSize / len_ * len_);
    const qsizetype have = buf_.size();
    buf_.resize(have + chunk);
    const size_t got = std::fread(buf_.data() + have, 1, size_t(chunk), f_);
    buf_.resize(have + qsizetype(got));
    if (got < size_t(chunk)) {
        if (std::ferror(f_))
            throw MalformedFile(path_, count_ + 1, QStringLiteral("read error (%1)").arg(errnoText(errno)));
        eof_ = true;
    }
    return got > 0;
}

// A tail of filler longer than one record is still only filler. Reads on to the end of the file.
bool FixedRecordReader::restIsFiller() {
    do {
        if (!isFiller(buf_.constData() + pos_, buf_.size() - pos_)) return false;
        pos_ = buf_.size();
    } while (fill());
    return true;
}

bool FixedRecordReader::next(QByteArray& rec) {
    while (buf_.size() - pos_ < len_ && fill()) {
    }
    const qsizetype avail = buf_.size() - pos_;
    const char* p = buf_.constData() + pos_;
    if (avail < len_) {
        if (isFiller(p, avail)) {
            consumed_ += avail;
            pos_ += avail;
            return false;
        }
        throw MalformedFile(
            path_, count_ + 1,
            QStringLiteral("the last record is %1 bytes long instead of %2").arg(avail).arg(len_));
    }
    if (p[len_ - 2] != '\r' || p[len_ - 1] != '\n') {
        const qsizetype lf = QByteArrayView(p, len_ - 1).indexOf('\n');
        const QString reason =
            lf >= 0 ? QStringLiteral("a line ends after %1 bytes instead of %2 (the file has LF line ends or "
                                     "records of the wrong length)")
                          .arg(lf + 1)
                          .arg(len_)
                    : QStringLiteral("the record does not end in CR LF after %1 bytes").arg(len_);
        if (restIsFiller()) {
            consumed_ = size_;
            return false;
        }
        throw MalformedFile(path_, count_ + 1, reason);
    }
    rec.resize(len_); // the caller's buffer is reused from record to record
    std::memcpy(rec.data(), p, size_t(len_));
    pos_ += len_;
    consumed_ += len_;
    ++count_;
    return true;
}

} // namespace files
