// A folder of working files that belongs to one running copy of the program, so that two copies of
// one user never write the same scratch file. It is made inside a parent folder, held by a lock on
// its file LOCK for as long as it lives (the kernel drops the lock with a copy that dies), and
// removed when it goes. Making one first removes the folders of copies that are no longer running.
#pragma once

#include <QString>

namespace locks {

class RunFolder {
public:
    // Makes and locks a new folder "run-<pid>-XXXXXX" in parent. ok() tells whether it could be.
    explicit RunFolder(const QString& parent);
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    bool ok() const { return fd_ >= 0; }
    // The folder with a trailing "/"; "" when it could not be made.
    const QString& path() const { return path_; }
    // Why it could not be made.
    const QString& error() const { return error_; }

private:
    QString path_;
    QString error_;
    int fd_ = -1;
};

// Removes the run folders in parent whose copy is no longer running. Returns how many went.
int removeAbandonedRunFolders(const QString& parent);

// The run folder of this process in parent, made on first use and kept until the process ends (or
// another parent is asked for); "" when it cannot be made.
QString runFolder(const QString& parent, QString* error = nullptr);

} // namespace locks
