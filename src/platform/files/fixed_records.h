// Reader of the release files: fixed-length records ending in CR LF.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace files {

// A release file that is not a sequence of N-byte CR LF records.
class MalformedFile : public std::runtime_error {
public:
    MalformedFile(const QString& path, long long recordNumber, const QString& reason);
    QString path() const { return path_; }
    long long recordNumber() const { return record_; } // 1-based
    QString reason() const { return reason_; }
    QString message() const; // names the file, the record number and the reason

private:
    QString path_;
    long long record_;
    QString reason_;
};

class FixedRecordReader {
public:
    // recordLength includes the closing CR LF. Throws MalformedFile (record 0) when the file cannot
    // be opened or is not a regular file (a link, a pipe, a device).
    FixedRecordReader(const QString& path, int recordLength);
    ~FixedRecordReader();

    // Reads the next record into rec (recordLength bytes, CR LF included). Returns false at the end.
    // A trailing remainder of only Ctrl-Z, CR, LF or blanks is the end; any other short remainder,
    // a record not ending in CR LF (an LF-only file, a wrong length) throws MalformedFile.
    bool next(QByteArray& rec);
    long long recordNumber() const { return count_; } // 1-based number of the last record read
    qint64 fileSize() const { return size_; }
    qint64 bytesRead() const { return consumed_; }

private:
    bool fill();
    bool restIsFiller();
    QString path_;
    int len_;
    std::FILE* f_ = nullptr;
    QByteArray buf_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    long long count_ = 0;
    qint64 size_ = 0, consumed_ = 0;
};

} // namespace files
