// The users' notes of a state database: one NOTES row per record, read for counting, opened for
// editing under the record's lock and written back. Two users never edit one note at once: the
// lock is the lock file's (row_lock.h), never anything stored in the note.
#pragma once

#include "platform/dao/dao.h"
#include "platform/locks/row_lock.h"

#include <QString>

#include <memory>
#include <optional>

namespace results {

class NotesStore {
public:
    // Opens a table recordset on NOTES (index PRIMARY). lockPath is the shared lock file,
    // normally locks::lockFileFor(db.name()). Throws dao::DaoError.
    NotesStore(dao::Database& db, const QString& lockPath);
    ~NotesStore();

    // Length of the record's note without leading and trailing blanks. A record without a row
    // counts 0. Nothing when it cannot be counted: another user has the note open, the note is
    // Null or longer than 32,767 characters, or the database fails. Abandons an open note first.
    // Without a writable lock file the note is counted unlocked: reading it harms nobody.
    std::optional<int> noteLength(const QString& file, const QString& sequence);

    enum class OpenResult { Opened, ReadOnly, Busy, Failed };
    struct Opened {
        OpenResult result = OpenResult::Failed;
        std::optional<QString> text; // the stored note; nothing for a Null note or a missing row
        QString error;               // ReadOnly and Failed: why
    };
    // Takes the record's lock and reads its note; the lock stays until write() or cancel().
    // Abandons a note opened before. ReadOnly: the lock file cannot be written (a read-only
    // folder, a lock file of another user's), so the note is read without being opened for
    // editing; write() refuses it.
    Opened open(const QString& file, const QString& sequence);

    enum class WriteResult { Written, Busy, Changed };
    // Writes text into the opened record (an empty text is stored as one blank, and text becomes
    // that blank), creating the NOTES row when it has none, then releases the lock. When the lock
    // was not held all along (the open edit was abandoned, or the lock file was removed or
    // replaced), it is taken again first: Busy when another user has it, Changed when the stored
    // note is no longer the one that was opened (nothing written; a second write stores text over
    // it). Throws dao::DaoError when nothing was opened for editing or the database fails (the lock
    // is then kept).
    WriteResult write(QString& text);

    // Abandons an open note without writing; releases its lock.
    void cancel();
    bool isOpen() const { return editing_; }
    QString openFile() const { return file_; }
    QString openSequence() const { return sequence_; }

    // Closes the recordset and drops every lock.
    void close();

private:
    bool seek(const QString& file, const QString& sequence);
    // The stored note of the record: nothing for a Null note or a missing row.
    std::optional<QString> storedNote(const QString& file, const QString& sequence);

    std::unique_ptr<dao::Recordset> notes_;
    locks::RowLockFile lock_;
    QString file_, sequence_;       // the record of the last open() for editing
    std::optional<QString> opened_; // its note as it was read
    bool editing_ = false;
};

} // namespace results
