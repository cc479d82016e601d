// Reading and extracting zip archives (libzip). An archive is opened and checked as a whole
// before anything is written; entries are written under hidden temporary names and renamed into
// place when whole, so an interrupted or failed extraction never leaves a half-written file where
// a good one was.
#pragma once

#include "platform/archive/entry_path.h"
#include "platform/files/folders.h"

#include <QList>
#include <QString>

#include <functional>

struct zip;

namespace files {
class ReplacingFile;
}

namespace archive {

struct Entry {
    QString name;          // exactly as stored in the archive
    qint64 size = 0;       // bytes once extracted
    bool directory = false;
    unsigned mode = 0;     // permission bits the archive records (0777 at most); 0 when it records none
    EntryPath path;        // the name as a relative path
    QString refusal;       // why the entry may not be extracted anywhere; empty when it may
};

struct Progress {
    int entry = 0;         // index of the entry being read or written
    int entryCount = 0;    // entries of the archive
    QString name;
    qint64 entryDone = 0;  // bytes of this entry done so far
    qint64 entrySize = 0;
    qint64 totalDone = 0;  // bytes done in this run (one entry, or the whole archive)
    qint64 totalSize = 0;
};

// Called when an entry starts and as its data are read. Returning false cancels the run.
using ProgressFn = std::function<bool(const Progress&)>;
// Called with a file entry's destination once its data are written whole, just before they take
// its place.
using BeforeReplaceFn = std::function<void(const QString& path)>;

class ZipArchive {
public:
    enum class Error {
        None,
        Open,      // missing, unreadable, not a zip archive, damaged table of contents
        Damaged,   // an entry's data cannot be read back whole (found by verify or extraction)
        Refused,   // an entry may not be written into the folder
        Write,     // the folder or a file in it cannot be written
        Cancelled,
    };

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive and reads its table of contents: a missing, unreadable, truncated or
    // foreign file fails here, with the reason.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return zip_ != nullptr; }
    const QString& path() const { return path_; }

    int count() const { return int(entries_.size()); }
    const Entry& entry(int index) const { return entries_.at(index); }
    const QList<Entry>& entries() const { return entries_; }

    // Reads the data of every entry through, checking each against its recorded checksum and
    // size, and writes nothing. Damage inside the data is found only by reading it.
    bool verify(const ProgressFn& progress = {});

    // The bytes of all its files once extracted, as the archive records them (extraction never
    // writes more).
    qint64 expandedSize() const;

    // Where an entry lands in folder (see resolveDestination), or why it may not be written.
    Destination destination(int index, const QString& folder) const;
    // True when every entry may be written into folder; otherwise names the first that may not.
    // Refused as well: two entries that land on one file, and an archive that expands far more
    // than real files shrink.
    bool check(const QString& folder);

    // Writes one entry into folder, creating the folders its name holds. A file of the same name
    // found there without regard to case is replaced and keeps its spelling and permissions; a new
    // file takes the permissions the archive records. A failure or a cancel leaves it as it was.
    bool extract(int index, const QString& folder, const ProgressFn& progress = {},
                 const BeforeReplaceFn& beforeReplace = {});
    // check(folder), then every entry in order, stopping at the first failure (the entries written
    // before it stay written).
    bool extractAll(const QString& folder, const ProgressFn& progress = {});

    Error error() const { return error_; }
    // A sentence naming the archive, the entry where there is one, and the reason.
    const QString& errorString() const { return errorString_; }

private:
    bool begin();
    bool fail(Error error, const QString& message);
    bool failEntry(Error error, int index, const QString& reason);
    bool readEntry(int index, files::ReplacingFile* out, Progress& progress, const ProgressFn& report);
    bool extractEntry(int index, const QString& folder, Progress& progress, const ProgressFn& report,
                      const BeforeReplaceFn& beforeReplace = {});
    void noteCreated(const QString& folder, const QString& path);

    zip* zip_ = nullptr;
    QString path_;
    qint64 fileSize_ = 0;
    QList<Entry> entries_;
    // The target folder's names, listed once for all entries rather than once for each.
    mutable files::NoCaseLookup lookup_;
    Error error_ = Error::None;
    QString errorString_;
};

} // namespace archive
