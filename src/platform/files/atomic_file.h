// Writing a file that replaces another: written under a hidden temporary name beside it, flushed,
// then renamed into place, so a failure leaves the old file whole.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <sys/types.h>

namespace files {

// The streaming form, for contents that arrive in pieces (an archive entry, a download). The
// temporary file is created at construction; commit() puts it in place of target. Destroyed
// without a successful commit, it removes the temporary file and target stays as it was. The first
// one made in a folder removes what runs killed meanwhile left there.
class ReplacingFile {
public:
    // A new file gets newFileMode less the umask; a replaced one keeps its own permissions.
    explicit ReplacingFile(const QString& target, mode_t newFileMode = 0666);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool ok() const { return what_.isEmpty(); }
    // The temporary file, for a writer that opens files by name; "" when it could not be made.
    QString tempPath() const;
    bool write(const char* data, qint64 size);
    bool commit();
    // What failed and the system's reason, e.g. "writing failed (No space left on device)".
    QString reason() const;

private:
    bool fail(const char* what, int err);

    QByteArray target_;
    QByteArray temp_;
    mode_t newFileMode_;
    int fd_ = -1;
    QString what_;
    int err_ = 0;
};

// What stands at path when, links followed, it is no file that can be replaced: "a folder", "a
// named pipe", "a link to /dev/sda"...; "" for a regular file (or a link to one) or nothing.
QString notAFile(const QString& path);

// Returns false and sets error (a readable reason) when the file could not be written.
bool atomicWrite(const QString& path, const QByteArray& contents, QString* error = nullptr);

// Moves the finished file temp over target and makes the rename durable. A rollback journal left
// beside target by an interrupted writer is deleted first: played back, it would undo the new
// file. "" when done, else the system's reason.
QString moveIntoPlace(const QString& temp, const QString& target);

// Copies source over target through a temporary name beside it, with these permissions, so that a
// failure leaves target as it was. "" when done, else why not.
QString copyIntoPlace(const QString& source, const QString& target, QFileDevice::Permissions permissions);

} // namespace files
