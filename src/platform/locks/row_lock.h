// Record locks shared by every copy of the program that uses one state database: advisory
// open-file-description locks on one byte of a lock file beside the database, the byte chosen by
// the record's key. The kernel drops them when their holder closes the file or dies.
#pragma once

#include <QString>

#include <sys/types.h>

#include <vector>

namespace locks {

// "/x/VELKPA.MDB" -> "/x/VELKPA.LDB"
QString lockFileFor(const QString& databasePath);

// Byte of the lock file that stands for a record. Distinct keys share a byte only by a 62-bit hash
// collision, which shows as a false "in use", never as two holders of one note.
off_t lockOffset(const QString& file, const QString& sequence);

// True while the open file fd is the file at path (same device and inode).
bool openFileAtPath(int fd, const QString& path);

class RowLockFile {
public:
    explicit RowLockFile(QString path);
    ~RowLockFile();
    RowLockFile(const RowLockFile&) = delete;
    RowLockFile& operator=(const RowLockFile&) = delete;

    enum class Result { Locked, Busy, Failed };
    // Takes the record's lock without waiting. Busy: another holder (another program, or another
    // RowLockFile in this one) has it. Failed: the lock file cannot be opened for writing or
    // locked; error says why. A lock is only ever reported taken in the file now at the path: when
    // the open file was removed or replaced, it is opened again (which drops this object's other
    // locks, worthless in a file nobody else will open). Failed also while an update in another
    // copy claims the database (possible only when the lock file was removed under this copy's
    // own claim): what would be written is about to be replaced.
    Result tryLock(const QString& file, const QString& sequence, QString* error = nullptr);
    void unlock(const QString& file, const QString& sequence);

    // Byte ranges [start, end) of the lock file that other holders have.
    struct HeldRange {
        off_t start = 0, end = 0;
    };
    // Takes every record's lock that no other holder has: the whole file but the ranges others
    // hold, in a few calls however many records there are. Those ranges go to held (a record
    // whose lockOffset lies in one is busy). Locked or Failed (as tryLock); the locks stay until
    // close().
    Result lockAllFree(std::vector<HeldRange>& held, QString* error = nullptr);
    // Drops every lock this object holds.
    void close();
    // True while the open lock file is the file at the path (same device and inode): the locks
    // taken in it still keep others out.
    bool stillAtPath() const;

    QString path() const { return path_; }

private:
    bool ensureOpen(QString* error);
    Result lockAllFreeOnce(std::vector<HeldRange>& held, QString* error);
    bool beingReplaced(QString* error) const;

    QString path_;
    int fd_ = -1;
};

} // namespace locks
