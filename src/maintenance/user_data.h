// Backup, restore and merge of a data set's user data: the notes of table NOTES and the user
// fields of table PRIME, copied between the state database VELK<st>.MDB and a backup database
// BACKUP<st>.MDB (backup_database.h).
//
// Each run is all or nothing. A backup is built under a temporary name beside its target and
// renamed over it only when complete, so the earlier backup stays whole until then; a restore or
// merge writes the state database in one transaction and only reads the backup. A failure throws
// dao::DaoError naming the file and the reason, and leaves both databases as they were.
#pragma once

#include <QString>
#include <QVector>

namespace maintenance {

struct RecordKey {
    QString FILE;
    QString SEQUENCE;
};
// How a message names a record: "1234567-01".
QString recordName(const RecordKey& key);

struct BackupCounts {
    long long notes = 0;  // NOTES rows saved
    long long fields = 0; // PRIME rows saved, one per record however many fields it holds
};

// Saves into a new backup database at backupDbPath, replacing the file there (of any letter
// case) when complete: every note that holds at least one character, and the ten user fields of
// every record with a user field that holds at least one character or an Omit of "Y". The state
// database is opened with connect and only read; a file at backupDbPath that is not a database of
// this program is refused rather than replaced.
BackupCounts backupUserData(const QString& mainDbPath, const QString& backupDbPath, const QString& connect);

enum class NotesPass {
    Replace, // a restore: the backed-up note replaces the record's note
    Append,  // a merge: the backed-up note goes after a note that holds text, on a line of its own
};

struct UnappliedAddress {
    RecordKey key;
    QString reason;
};

struct RestoreCounts {
    long long notes = 0;  // notes written
    long long fields = 0; // records whose user fields were written
    // Notes left as they are because another copy of the program has them open for editing.
    QVector<RecordKey> lockedNotes;
    // Records whose backed-up address override could not be applied; their address stays.
    QVector<UnappliedAddress> unappliedAddresses;
};

// Writes the backup's notes and user fields into the records of the state database with the same
// FILE and SEQUENCE (opened with connect), and applies each address override whose street and
// "City ST Zip" pass the record detail form's checks. Backed-up rows without a record are passed
// over; no row is added. A note whose record lock another holder has is skipped. stateCode is
// the data set written into.
RestoreCounts copyBackupIntoState(const QString& mainDbPath, const QString& backupDbPath,
                                  const QString& stateCode, const QString& connect, NotesPass pass);

// The completion messages.
QString backupMessage(const BackupCounts& counts, const QString& backupDbPath);
QString restoreMessage(const RestoreCounts& counts, const QString& backupDbPath);

// The runs as the backup form and the workspace dialog call them: hourglass, the run, then the
// completion message ("Backup Complete", "Restore Complete" or "Merge Complete"). A failure
// throws dao::DaoError with the pointer back to the default and no message shown.
void BackupUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                    const QString& connect);
void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                     const QString& connect);
void MergeUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                   const QString& connect);

} // namespace maintenance
