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
#include <QVariantList>
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
    // An earlier file at the backup's name that could not be read as a backup: where it was moved
    // to, and why it was not read. Empty when there was none.
    QString setAside, setAsideReason;
};

enum class EarlierBackup {
    Replaced, // the new backup replaces it
    // It still waits to be restored into this database (its restore marker is there): the new
    // backup keeps its data wherever the database holds none written since (see takenFromSaved).
    Kept,
};
// Kept while folder's restore marker for the data set waits: its backup there is then the only
// copy of what the user had before the update.
EarlierBackup earlierBackupIn(const QString& folder, const QString& stateCode);

// Saves into a new backup database at backupDbPath, replacing the file there (of any letter
// case) when complete: every note that holds at least one character, and the ten user fields of
// every record with a user field that holds at least one character or an Omit of "Y". The state
// database is opened with connect and only read. A file at backupDbPath that cannot be read as a
// backup is moved aside (counts say where), never replaced; so are temporary files left by a run
// that was killed.
BackupCounts backupUserData(const QString& mainDbPath, const QString& backupDbPath, const QString& connect,
                            EarlierBackup earlier = EarlierBackup::Replaced);

enum class NotesPass {
    Replace, // a restore: the backed-up note replaces the record's note
    Append,  // a merge: the backed-up note goes after a note that holds text, on a line of its own
    // The restore an update left pending: what was written into the new database since is kept,
    // and the backup fills only what is still blank there (takenFromSaved).
    Pending,
};

// Of a record's user data as the database holds them (current) and as a backup holds them
// (saved), in the order of restoredUserFields(): which are taken from the backup when a restore
// left pending by an update runs, or when an update saves a data set whose restore still waits.
// A new database comes with every note a blank and no user field, and nothing but the pending
// restore puts the user's data there; so a note or field holding more than blanks was written
// since the update, and is kept. User1 to User3 go together (they may hold an address override);
// the others one by one.
struct TakenFromSaved {
    bool field[8] = {}; // per field of restoredUserFields(); the first three alike
};
TakenFromSaved takenFromSaved(const QVariantList& current);
// True for a note or field that holds more than blanks (Null and "" do not).
bool holdsText(const QVariant& value);

struct UnappliedAddress {
    RecordKey key;
    QString reason;
};

struct RestoreCounts {
    long long notes = 0;  // notes written
    long long fields = 0; // records whose user fields were written
    // A pending restore: notes, and records with fields, written since the update (other than the
    // backup's) and kept.
    long long keptNotes = 0, keptFields = 0;
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
                    const QString& connect, EarlierBackup earlier = EarlierBackup::Replaced);
void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                     const QString& connect);
// The restore an update left pending (NotesPass::Pending), titled "Restore Complete".
void RestorePendingUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                            const QString& connect);
void MergeUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                   const QString& connect);

} // namespace maintenance
