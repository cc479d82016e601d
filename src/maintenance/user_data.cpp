#include "maintenance/user_data.h"

#include "dataset/text_rules.h"
#include "maintenance/backup_database.h"
#include "maintenance/restore_marker.h"
#include "maintenance/restored_address.h"
#include "platform/dao/dao.h"
#include "platform/dao/indexes_aside.h"
#include "platform/dao/statement.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"
#include "platform/locks/database_use.h"
#include "platform/locks/row_lock.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace maintenance {

namespace {

const QString kFILE = QStringLiteral("FILE");
const QString kSEQUENCE = QStringLiteral("SEQUENCE");
const QString kNOTES = QStringLiteral("NOTES");
constexpr int kNamedAtMost = 10;

// The file's own spelling when one of another letter case is there.
QString existingSpelling(const QString& path) {
    const QFileInfo fi(path);
    return files::findFileNoCase(fi.path(), fi.fileName());
}

void removeDatabaseFiles(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// Puts the finished file temp in place of target; the replacement keeps target's permissions.
void replaceFile(const QString& temp, const QString& target) {
    const QByteArray t = QFile::encodeName(temp), f = QFile::encodeName(target);
    struct stat st;
    if (::stat(f.constData(), &st) == 0 && S_ISREG(st.st_mode))
        (void)::chmod(t.constData(), st.st_mode & 07777);
    if (const QString reason = files::moveIntoPlace(temp, target); !reason.isEmpty())
        throw dao::DaoError(target, QStringLiteral("replace"), reason);
}

// The fields as a select list, each qualified by prefix ("p.") when one is given.
QString columnList(const QStringList& fields, const QString& prefix = QString()) {
    QStringList qualified;
    for (const QString& f : fields)
        qualified << prefix + f;
    return qualified.join(QStringLiteral(", "));
}

// Copies the rows a query on from gives (its columns named fields) into table of to; returns how many.
long long copyRows(dao::Database& from, const QString& where, const QString& fromTable, dao::Database& to,
                   const QString& table, const QStringList& fields) {
    dao::Statement read(
        from, QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(columnList(fields), fromTable, where));
    dao::Statement insert(
        to, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                .arg(table, columnList(fields),
                     QStringList(fields.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
    long long n = 0;
    while (read.step()) {
        for (int i = 0; i < fields.size(); ++i)
            insert.bind(i + 1, read.column(i));
        insert.run();
        ++n;
    }
    return n;
}

// A backup database as the restore and the backup read it: both tables there, or a DaoError.
std::unique_ptr<dao::Database> openBackup(const QString& path, const QString& operation) {
    auto db = dao::Database::open(path, false, true);
    for (const QString& table : {QStringLiteral("USER"), kNOTES}) {
        if (!db->tableExists(table))
            throw dao::DaoError(
                path, operation,
                QStringLiteral("It is not a backup of user notes and fields: it has no table %1.")
                    .arg(table));
    }
    return db;
}

QString keyOf(const QVariant& file, const QVariant& sequence) {
    return file.toString() + QLatin1Char('\x1f') + sequence.toString();
}

// The temporary backups of runs that were killed: "<backup>.new-<pid>" of no running process.
void removeStaleTemporaries(const QString& target) {
    const QFileInfo fi(target);
    const QString prefix = fi.fileName() + QStringLiteral(".new-");
    for (const QString& name :
         QDir(fi.path()).entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        bool number = false;
        const pid_t pid = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toInt(&number);
        if (number && pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM)) continue;
        QFile::remove(fi.dir().filePath(name));
    }
}

// Moves an unreadable earlier backup out of the new one's way: "BACKUPPA-DAMAGED-20240501-093000.MDB".
QString setAside(const QString& path) {
    const QFileInfo fi(path);
    const QString stem = fi.completeBaseName() + QStringLiteral("-DAMAGED-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix();
    for (int n = 1; n < 1000; ++n) {
        const QString aside =
            fi.dir().filePath(stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + suffix);
        if (QFileInfo::exists(aside)) continue;
        if (const QString reason = files::moveIntoPlace(path, aside); !reason.isEmpty())
            throw dao::DaoError(path, QStringLiteral("move aside"), reason);
        return aside;
    }
    throw dao::DaoError(path, QStringLiteral("move aside"), QStringLiteral("every name for it is taken"));
}

// Whether a PRIME row holds user data written into it, in SQL: a user field holding more than
// blanks or an Omit of "Y" (of either case: such a row is looked at by takenFromSaved). prefix
// qualifies the columns ("p.").
QString userDataRule(const QString& prefix) {
    const QStringList fields = restoredUserFields();
    QStringList any;
    for (const QString& f : fields.mid(0, fields.size() - 1))
        any << QStringLiteral("trim(%1%2) > ''").arg(prefix, f);
    any << prefix + QStringLiteral("Omit = 'Y'");
    return QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

// By measurement, building the searches' index anew costs as much as keeping it up to date
// through the writes of about a sixth of the records.
constexpr long long kRebuildShare = 6;

QString namedList(const QStringList& names, const QString& separator) {
    QString text = names.mid(0, kNamedAtMost).join(separator);
    if (names.size() > kNamedAtMost)
        text += separator + QStringLiteral("and %1 more").arg(names.size() - kNamedAtMost);
    return text;
}

} // namespace

QString recordName(const RecordKey& key) {
    return key.FILE + QLatin1Char('-') + key.SEQUENCE;
}

bool holdsText(const QVariant& value) {
    if (value.isNull()) return false;
    const QString text = value.toString();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c != QLatin1Char(' '); });
}

EarlierBackup earlierBackupIn(const QString& folder, const QString& stateCode) {
    return restorePending(folder, stateCode) ? EarlierBackup::Kept : EarlierBackup::Replaced;
}

TakenFromSaved takenFromSaved(const QVariantList& current) {
    TakenFromSaved taken;
    const bool freeFields =
        !holdsText(current.value(0)) && !holdsText(current.value(1)) && !holdsText(current.value(2));
    for (int i = 0; i < 3; ++i)
        taken.field[i] = freeFields;
    for (int i = 3; i < 7; ++i)
        taken.field[i] = !holdsText(current.value(i));
    taken.field[7] = current.value(7).toString() != QLatin1String("Y");
    return taken;
}

namespace {

// Fills the new backup backup from state. With earlier, the data it saved are kept wherever the
// state database holds none written since (takenFromSaved): its notes replace blank ones, and its
// fields fill the blank fields of the record's row.
BackupCounts fillBackup(dao::Database& state, dao::Database& backup, dao::Database* earlier) {
    BackupCounts counts;
    const QStringList userFields = backupUserFields();
    const QString fieldsRule =
        QStringLiteral("(User1 > '' OR User2> '' OR User3 > '' OR UserPhone > '' or "
                       "UserFax > '' or UserContact > '' or UserTitle > '' or Omit = 'Y')");
    dao::Transaction reading(state); // notes and fields read at one moment
    dao::Transaction writing(backup);
    if (!earlier) {
        counts.notes =
            copyRows(state, QStringLiteral("NOTES > ''"), kNOTES, backup, kNOTES, {kFILE, kSEQUENCE, kNOTES});
        counts.fields =
            copyRows(state, fieldsRule, QStringLiteral("PRIME"), backup, QStringLiteral("USER"), userFields);
    } else {
        counts.notes = copyRows(state, QStringLiteral("trim(NOTES) > ''"), kNOTES, backup, kNOTES,
                                {kFILE, kSEQUENCE, kNOTES});
        QSet<QString> written;
        {
            dao::Statement keys(state,
                                QStringLiteral("SELECT FILE, SEQUENCE FROM NOTES WHERE trim(NOTES) > ''"));
            while (keys.step())
                written.insert(keyOf(keys.column(0), keys.column(1)));
        }
        dao::Statement insertNote(
            backup, QStringLiteral("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ?)"));
        dao::Statement savedNotes(*earlier, QStringLiteral("SELECT FILE, SEQUENCE, NOTES FROM NOTES"));
        while (savedNotes.step()) {
            if (written.contains(keyOf(savedNotes.column(0), savedNotes.column(1)))) continue;
            for (int i = 0; i < 3; ++i)
                insertNote.bind(i + 1, savedNotes.column(i));
            insertNote.run();
            ++counts.notes;
        }

        // Rows written since are few (a new database has none): they are held here while the
        // earlier rows stream past.
        QHash<QString, QVariantList> current;
        {
            dao::Statement rows(state, QStringLiteral("SELECT %1 FROM PRIME WHERE %2")
                                           .arg(columnList(userFields), userDataRule(QString())));
            while (rows.step()) {
                QVariantList row;
                for (int i = 0; i < userFields.size(); ++i)
                    row << rows.column(i);
                current.insert(keyOf(row[0], row[1]), row);
            }
        }
        dao::Statement insertUser(
            backup, QStringLiteral("INSERT INTO \"USER\" (%1) VALUES (%2)")
                        .arg(columnList(userFields),
                             QStringList(userFields.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
        const auto write = [&](const QVariantList& row) {
            for (int i = 0; i < row.size(); ++i)
                insertUser.bind(i + 1, row[i]);
            insertUser.run();
            ++counts.fields;
        };
        dao::Statement savedUsers(*earlier,
                                  QStringLiteral("SELECT %1 FROM \"USER\"").arg(columnList(userFields)));
        while (savedUsers.step()) {
            QVariantList row;
            for (int i = 0; i < userFields.size(); ++i)
                row << savedUsers.column(i);
            const auto now = current.find(keyOf(row[0], row[1]));
            if (now != current.end()) {
                const TakenFromSaved taken = takenFromSaved(now->mid(2));
                for (int i = 0; i < 8; ++i)
                    if (!taken.field[i]) row[i + 2] = (*now)[i + 2];
                current.erase(now);
            }
            write(row);
        }
        for (const QVariantList& row : std::as_const(current))
            write(row);
    }
    writing.commit();
    reading.commit();
    return counts;
}

} // namespace

BackupCounts backupUserData(const QString& mainDbPath, const QString& backupDbPath, const QString& connect,
                            EarlierBackup earlierBackup) {
    // Read-write although only read: a journal left by a run killed while it wrote is rolled back
    // first, where a read-only connection could not open the database at all.
    auto state = dao::Database::open(existingSpelling(mainDbPath), false, false, connect);
    const QString target = existingSpelling(backupDbPath);
    removeStaleTemporaries(target);

    // A file at the name that cannot be read as a backup is the user's to look into: it is moved
    // aside once the new backup is whole, never replaced. A waiting backup is read in full.
    std::unique_ptr<dao::Database> earlier;
    QString unreadable;
    if (QFileInfo::exists(target)) {
        try {
            earlier = openBackup(target, QStringLiteral("read the backup"));
        } catch (const dao::DaoError& e) {
            unreadable = e.message();
        }
    }
    if (earlierBackup == EarlierBackup::Replaced && earlier) earlier->close();

    const QString temp = target + QStringLiteral(".new-%1").arg(::getpid());
    BackupCounts counts;
    try {
        for (;;) {
            removeDatabaseFiles(temp);
            auto backup = dao::Database::create(temp);
            createBackupTables(*backup);
            try {
                counts = fillBackup(*state, *backup, earlier && earlier->isOpen() ? earlier.get() : nullptr);
            } catch (const dao::DaoError& e) {
                if (!earlier || !earlier->isOpen() || e.file() != earlier->name()) throw;
                unreadable = e.message(); // damaged within: the new backup is made without it
                earlier->close();
                continue;
            }
            backup->close();
            break;
        }
        state->close();
        if (earlier) earlier->close();
        if (!unreadable.isEmpty()) {
            counts.setAside = setAside(target);
            counts.setAsideReason = unreadable;
        }
        replaceFile(temp, target);
    } catch (...) {
        removeDatabaseFiles(temp);
        throw;
    }
    return counts;
}

RestoreCounts copyBackupIntoState(const QString& mainDbPath, const QString& backupDbPath,
                                  const QString& stateCode, const QString& connect, NotesPass pass) {
    const QString mainPath = existingSpelling(mainDbPath);
    // Held to the end: an update in another copy must not replace the database under the writes.
    locks::DatabaseUse use;
    QString useError;
    switch (use.take(mainPath, locks::DatabaseUse::Mode::Working, &useError)) {
    case locks::DatabaseUse::Result::Taken:
        break;
    case locks::DatabaseUse::Result::Busy:
        throw dao::DaoError(mainPath, QStringLiteral("restore user notes and fields into"),
                            QStringLiteral("An update in another copy of VELK is replacing it."));
    case locks::DatabaseUse::Result::Failed:
        throw dao::DaoError(mainPath, QStringLiteral("restore user notes and fields into"), useError);
    }
    auto state = dao::Database::open(mainPath, false, false, connect);
    auto backup =
        openBackup(existingSpelling(backupDbPath), QStringLiteral("restore user notes and fields from"));

    // Every note that nobody is editing is locked until the writes are committed, so that no other
    // copy of the program opens one meanwhile and writes its older text over the restored one.
    locks::RowLockFile locks(locks::lockFileFor(mainPath));
    std::vector<locks::RowLockFile::HeldRange> held;
    QString lockError;
    if (locks.lockAllFree(held, &lockError) != locks::RowLockFile::Result::Locked)
        throw dao::DaoError(mainPath, QStringLiteral("lock the notes in"), lockError);
    auto beingEdited = [&held](const RecordKey& key) {
        const off_t at = locks::lockOffset(key.FILE, key.SEQUENCE);
        return std::any_of(held.begin(), held.end(), [at](const locks::RowLockFile::HeldRange& r) {
            return at >= r.start && at < r.end;
        });
    };

    // The backup is read through the state database's connection, each of its rows met with its
    // record in one statement.
    {
        dao::Statement attach(*state, QStringLiteral("ATTACH DATABASE ? AS saved"));
        attach.bind(1, backup->name());
        attach.run();
    }
    backup->close();

    RestoreCounts counts;
    dao::Transaction restore(*state);

    // Columns: the note's rowid, FILE, SEQUENCE and text; the backed-up text; whether the two
    // differ; whether the note holds text written since the update (the pending restore only).
    dao::Statement notes(
        *state,
        QStringLiteral("SELECT n.rowid, n.FILE, n.SEQUENCE, n.NOTES, b.NOTES, "
                       "b.NOTES IS NOT n.NOTES COLLATE BINARY, %1 FROM saved.NOTES b "
                       "CROSS JOIN main.NOTES n ON n.FILE = b.FILE AND n.SEQUENCE = b.SEQUENCE")
            .arg(pass == NotesPass::Pending ? QStringLiteral("trim(n.NOTES) > ''") : QStringLiteral("0")));
    dao::Statement writeNote(*state, QStringLiteral("UPDATE main.NOTES SET NOTES = ? WHERE rowid = ?"));
    while (notes.step()) { // a backed-up note without its record adds no row
        if (!held.empty()) {
            const RecordKey key{notes.column(1).toString(), notes.column(2).toString()};
            if (beingEdited(key)) {
                counts.lockedNotes.append(key);
                continue;
            }
        }
        const bool differs = notes.column(5).toInt() != 0;
        if (differs && notes.column(6).toInt() != 0) {
            ++counts.keptNotes;
            continue;
        }
        if (pass != NotesPass::Append) {
            ++counts.notes;
            if (!differs) continue; // there already
            writeNote.bindColumn(1, notes, 4);
        } else {
            const QVariant note = notes.column(4), current = notes.column(3);
            if (note.isNull()) continue; // nothing to add, and the record's note is kept
            writeNote.bind(1, dataset::sortsAfter(current, QString())
                                  ? QVariant(current.toString() + QStringLiteral("\r\n") + note.toString())
                                  : note);
            ++counts.notes;
        }
        writeNote.bind(2, notes.column(0));
        writeNote.run();
    }

    const QStringList fields = restoredUserFields();
    const QStringList addressFields{QStringLiteral("STREET"), QStringLiteral("CITY"), QStringLiteral("ST"),
                                    QStringLiteral("ZIP"), QStringLiteral("ZIPEXT")};
    const QString join = QStringLiteral(" FROM saved.\"USER\" b CROSS JOIN main.PRIME p "
                                        "ON p.FILE = b.FILE AND p.SEQUENCE = b.SEQUENCE");
    // Only rows that change are written; a restore of many records sets the indexes aside.
    const bool many =
        state->scalar(QStringLiteral("SELECT COUNT(*) FROM saved.\"USER\"")).toLongLong() * kRebuildShare >=
        state->scalar(QStringLiteral("SELECT COUNT(*) FROM main.PRIME")).toLongLong();
    // Kept up to date row by row, each row's entry moving to another place in its key, the indexes
    // holding a written column (the searches' index holds User1 to User3 and ZIP) cost more than
    // the writes themselves; built whole again inside the transaction, they are the same indexes.
    std::optional<dao::IndexesSetAside> setAsideIndexes;
    if (many) setAsideIndexes.emplace(*state, QStringList{QStringLiteral("PRIME")}, fields + addressFields);

    // Columns: the record's rowid, FILE and SEQUENCE; the backed-up fields; the record's fields and
    // address; then whether the backup's fields differ from the record's, whether its User1 marks
    // an address override, and whether the record holds user data (always false but in the
    // pending restore). User1 to User3 come first among the fields. A row with none of these
    // three marks is written straight from the statement: most rows of a large restore.
    QStringList differ;
    for (const QString& f : fields)
        differ << QStringLiteral("b.%1 IS NOT p.%1 COLLATE BINARY").arg(f);
    const QString holdsUserData =
        pass == NotesPass::Pending ? userDataRule(QStringLiteral("p.")) : QStringLiteral("0");
    dao::Statement users(*state, QStringLiteral("SELECT p.rowid, b.FILE, b.SEQUENCE, ") +
                                     columnList(fields, QStringLiteral("b.")) + QStringLiteral(", ") +
                                     columnList(fields + addressFields, QStringLiteral("p.")) +
                                     QStringLiteral(", %1, substr(b.User1, 1, 2) = '!&', %2")
                                         .arg(differ.join(QStringLiteral(" OR ")), holdsUserData) +
                                     join);
    const auto update = [&](const QStringList& set) {
        return QStringLiteral("UPDATE main.PRIME SET %1 = ? WHERE rowid = ?")
            .arg(set.join(QStringLiteral(" = ?, ")));
    };
    dao::Statement setFields(*state, update(fields)), setAddress(*state, update(addressFields));
    const auto write = [](dao::Statement& statement, const QVariantList& values, const QVariant& rowid) {
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values[i]);
        statement.bind(int(values.size()) + 1, rowid);
        statement.run();
    };
    const int n = int(fields.size());
    const int flags = 3 + 2 * n + int(addressFields.size());
    while (users.step()) {
        if (users.column(flags + 1).toInt() == 0 && users.column(flags + 2).toInt() == 0) {
            ++counts.fields;
            if (users.column(flags).toInt() == 0) continue;
            for (int i = 0; i < n; ++i)
                setFields.bindColumn(i + 1, users, 3 + i);
            setFields.bind(n + 1, users.column(0));
            setFields.run();
            continue;
        }
        const QVariant rowid = users.column(0), file = users.column(1), sequence = users.column(2);
        QVariantList values, now;
        for (int i = 0; i < n; ++i)
            values << users.column(3 + i);
        for (int i = 0; i < n + addressFields.size(); ++i)
            now << users.column(3 + n + i);
        bool freeFieldsRestored = true;
        if (pass == NotesPass::Pending) {
            const TakenFromSaved taken = takenFromSaved(now);
            bool kept = false; // a value written since that differs from the saved one
            for (int i = 0; i < n; ++i) {
                if (taken.field[i]) continue;
                kept = kept || values[i] != now[i];
                values[i] = now[i];
            }
            if (kept) ++counts.keptFields;
            freeFieldsRestored = taken.field[0];
        }
        ++counts.fields;
        if (values != now.mid(0, n)) write(setFields, values, rowid);
        if (!freeFieldsRestored) continue; // an address override written since stays as it is
        const RestoredAddress a = restoredAddress(values[0], values[1], values[2], stateCode);
        if (!a.override) continue;
        if (!a.applies()) {
            counts.unappliedAddresses.append({{file.toString(), sequence.toString()}, a.problem});
            continue;
        }
        const QVariantList address{a.STREET, a.CITY, a.ST, a.ZIP, a.ZIPEXT};
        if (address != now.mid(n)) write(setAddress, address, rowid);
    }

    if (setAsideIndexes) setAsideIndexes->restore();
    restore.commit();
    return counts;
}

QString backupMessage(const BackupCounts& counts, const QString& backupDbPath) {
    QString text = QString::number(counts.notes) + QStringLiteral(" User Notes and ") +
                   QString::number(counts.fields) + QStringLiteral(" Fields Saved to ") + backupDbPath;
    if (!counts.setAside.isEmpty())
        text += QStringLiteral("\r\n\r\nThe earlier file could not be read as a backup, so it was kept as ") +
                counts.setAside + QStringLiteral(":\r\n") + counts.setAsideReason;
    return text;
}

QString restoreMessage(const RestoreCounts& counts, const QString& backupDbPath) {
    QString text = QString::number(counts.notes) + QStringLiteral(" User Notes and ") +
                   QString::number(counts.fields) + QStringLiteral(" Fields Restored From ") + backupDbPath;
    if (counts.keptNotes > 0 || counts.keptFields > 0)
        text +=
            QStringLiteral("\r\n\r\nWritten since the update and kept: %1 notes, and fields of %2 records.")
                .arg(counts.keptNotes)
                .arg(counts.keptFields);
    if (!counts.lockedNotes.isEmpty()) {
        QStringList names;
        for (const RecordKey& k : counts.lockedNotes)
            names << recordName(k);
        text += QStringLiteral("\r\n\r\nNotes left unchanged because another user is editing them (%1): ")
                    .arg(names.size()) +
                namedList(names, QStringLiteral(", "));
    }
    if (!counts.unappliedAddresses.isEmpty()) {
        QStringList lines;
        for (const UnappliedAddress& u : counts.unappliedAddresses)
            lines << recordName(u.key) + QStringLiteral(": ") + u.reason;
        text += QStringLiteral("\r\n\r\nCustom addresses not applied, the released address kept (%1):\r\n")
                    .arg(lines.size()) +
                namedList(lines, QStringLiteral("\r\n"));
    }
    return text;
}

void BackupUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                    const QString& connect, EarlierBackup earlier) {
    Q_UNUSED(StateCode);
    BackupCounts counts;
    {
        ui::BusyCursor busy;
        counts = backupUserData(MainDbPath, BackupDbPath, connect, earlier);
    }
    ui::MsgBox(backupMessage(counts, BackupDbPath), ui::vbOKOnly | ui::vbInformation,
               QStringLiteral("Backup Complete"));
}

namespace {
void runRestore(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                const QString& connect, NotesPass pass, const QString& title) {
    RestoreCounts counts;
    {
        ui::BusyCursor busy;
        counts = copyBackupIntoState(MainDbPath, BackupDbPath, StateCode, connect, pass);
    }
    ui::MsgBox(restoreMessage(counts, BackupDbPath), ui::vbOKOnly | ui::vbInformation, title);
}
} // namespace

void RestorePendingUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                            const QString& connect) {
    runRestore(MainDbPath, BackupDbPath, StateCode, connect, NotesPass::Pending,
               QStringLiteral("Restore Complete"));
}

void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                     const QString& connect) {
    runRestore(MainDbPath, BackupDbPath, StateCode, connect, NotesPass::Replace,
               QStringLiteral("Restore Complete"));
}

void MergeUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode,
                   const QString& connect) {
    runRestore(MainDbPath, BackupDbPath, StateCode, connect, NotesPass::Append,
               QStringLiteral("Merge Complete"));
}

} // namespace maintenance
