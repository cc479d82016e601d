// Reading a small file whole, safely when it is not what its name claims: a FIFO or device is
// refused without blocking, and nothing larger than the caller allows is read into memory.
#pragma once

#include <QByteArray>
#include <QString>

namespace files {

struct BoundedRead {
    enum Outcome { Read, CannotOpen, NotRegular, TooLarge, ReadFailed };
    Outcome outcome = CannotOpen;
    QByteArray bytes; // the contents, when Read
    int error = 0;    // errno of CannotOpen and ReadFailed
    bool ok() const { return outcome == Read; }
    // The system's text for error ("Permission denied").
    QString reason() const;
};

// Reads path whole when it is a regular file of at most maxBytes. With followLinks false a
// symbolic link is refused (CannotOpen, ELOOP) rather than followed.
BoundedRead readRegularFile(const QString& path, qint64 maxBytes, bool followLinks = true);

// What stands at path when it is not a regular file, for a message: "a link to /etc/passwd",
// "a named pipe", "a folder", "a socket", "a device"; "" for a regular file or nothing.
QString irregularKind(const QString& path);

} // namespace files
