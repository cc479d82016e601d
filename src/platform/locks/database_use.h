// Whether some copy of the program is working on a state database. While the list form (or a data
// load) has VELK<st>.MDB open, its copy holds a shared lock on one byte of the notes' lock file
// VELK<st>.LDB, a byte no record's lock uses. An update that would replace the database takes that
// byte exclusively first, which fails while any copy holds it, and keeps it until the new file is
// in place, so no copy opens the old one meanwhile. The kernel drops the lock with its holder.
#pragma once

#include <QString>

#include <sys/types.h>

namespace locks {

// The byte of the lock file that stands for the whole database: just past every record's byte.
off_t databaseUseOffset();

class DatabaseUse {
public:
    enum class Mode {
        Working,   // shared: the database is open in this copy
        Replacing, // exclusive: an update is about to replace the file
    };
    enum class Result {
        Taken,
        Busy,   // Working: an update is replacing it; Replacing: a copy has it open
        Failed, // the lock file cannot be opened or locked; error says why
    };

    DatabaseUse() = default;
    ~DatabaseUse();
    DatabaseUse(const DatabaseUse&) = delete;
    DatabaseUse& operator=(const DatabaseUse&) = delete;

    // Takes the lock for databasePath without waiting, dropping one held before.
    Result take(const QString& databasePath, Mode mode, QString* error = nullptr);
    void release();
    bool held() const { return fd_ >= 0; }
    // True while the claim is in the lock file now at its path. A claim in a file removed or
    // replaced since keeps no other copy out: an update checks it before it replaces the database.
    bool stillAtPath() const;
    // The database the lock stands for; empty when none is held.
    const QString& databasePath() const { return path_; }

private:
    Result takeOnce(const QString& databasePath, Mode mode, QString* error);

    int fd_ = -1;
    QString path_;
};

} // namespace locks
