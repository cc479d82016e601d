#include "maintenance/user_data.h"

#include "dataset/text_rules.h"
#include "maintenance/backup_database.h"
#include "maintenance/restored_address.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"
#include "platform/locks/database_use.h"
#include "platform/locks/row_lock.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

QString columnList(const QStringList& fields) {
    return fields.join(QStringLiteral(", "));
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

BackupCounts backupUserData(const QString& mainDbPath, const QString& backupDbPath, const QString& connect) {
    auto state = dao::Database::open(existingSpelling(mainDbPath), false, true, connect);
    const QString target = existingSpelling(backupDbPath);
    // Only a backup of ours is replaced; anything else at that name is the user's to keep.
    if (QFileInfo::exists(target)) dao::Database::open(target, false, true);

    const QString temp = target + QStringLiteral(".new-%1").arg(::getpid());
    removeDatabaseFiles(temp); // left over by a run that was killed
    BackupCounts counts;
    try {
        auto backup = dao::Database::create(temp);
        createBackupTables(*backup);
        {
            dao::Transaction reading(*state); // notes and fields read at one moment
            dao::Transaction writing(*backup);
            counts.notes = copyRows(*state, QStringLiteral("NOTES > ''"), kNOTES, *backup, kNOTES,
                                    {kFILE, kSEQUENCE, kNOTES});
            counts.fields =
                copyRows(*state,
                         QStringLiteral("(User1 > '' OR User2> '' OR User3 > '' OR UserPhone > '' or "
                                        "UserFax > '' or UserContact > '' or UserTitle > '' or Omit = 'Y')"),
                         QStringLiteral("PRIME"), *backup, QStringLiteral("USER"), backupUserFields());
            writing.commit();
            reading.commit();
        }
        backup->close();
        state->close();
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
    auto backup = dao::Database::open(existingSpelling(backupDbPath), false, true);
    for (const QString& table : {QStringLiteral("USER"), kNOTES}) {
        if (!backup->tableExists(table))
            throw dao::DaoError(
                backup->name(), QStringLiteral("restore user notes and fields from"),
                QStringLiteral("It is not a backup of user notes and fields: it has no table %1.")
                    .arg(table));
    }

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

    RestoreCounts counts;
    dao::Transaction restore(*state);

    dao::Statement savedNotes(*backup, QStringLiteral("SELECT FILE, SEQUENCE, NOTES FROM NOTES"));
    dao::Statement findNote(
        *state,
        QStringLiteral("SELECT rowid, FILE, SEQUENCE, NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?"));
    dao::Statement writeNote(*state, QStringLiteral("UPDATE NOTES SET NOTES = ? WHERE rowid = ?"));
    while (savedNotes.step()) {
        findNote.bind(1, savedNotes.column(0));
        findNote.bind(2, savedNotes.column(1));
        if (!findNote.step()) continue; // no such record here: no row is added
        const QVariant rowid = findNote.column(0), current = findNote.column(3);
        const RecordKey key{findNote.column(1).toString(), findNote.column(2).toString()};
        findNote.reset();
        if (beingEdited(key)) {
            counts.lockedNotes.append(key);
            continue;
        }
        QVariant note = savedNotes.column(2);
        if (pass == NotesPass::Append) {
            if (note.isNull()) continue; // nothing to add, and the record's note is kept
            if (dataset::sortsAfter(current, QString()))
                note = current.toString() + QStringLiteral("\r\n") + note.toString();
        }
        writeNote.bind(1, note);
        writeNote.bind(2, rowid);
        writeNote.run();
        ++counts.notes;
    }

    const QStringList fields = restoredUserFields();
    dao::Statement users(*backup,
                         QStringLiteral("SELECT %1 FROM \"USER\"").arg(columnList(backupUserFields())));
    dao::Statement setFields(*state, QStringLiteral("UPDATE PRIME SET %1 = ? WHERE FILE = ? AND SEQUENCE = ?")
                                         .arg(fields.join(QStringLiteral(" = ?, "))));
    dao::Statement setAddress(*state,
                              QStringLiteral("UPDATE PRIME SET STREET = ?, CITY = ?, ST = ?, ZIP = ?, "
                                             "ZIPEXT = ? WHERE FILE = ? AND SEQUENCE = ?"));
    // Columns of users: FILE, SEQUENCE, then the restored fields, User1 to User3 first.
    while (users.step()) {
        const QVariant file = users.column(0), sequence = users.column(1);
        for (int i = 0; i < fields.size(); ++i)
            setFields.bind(i + 1, users.column(i + 2));
        setFields.bind(int(fields.size()) + 1, file);
        setFields.bind(int(fields.size()) + 2, sequence);
        if (setFields.run() == 0) continue; // no such record here
        ++counts.fields;
        const RestoredAddress a =
            restoredAddress(users.column(2), users.column(3), users.column(4), stateCode);
        if (!a.override) continue;
        if (!a.applies()) {
            counts.unappliedAddresses.append({{file.toString(), sequence.toString()}, a.problem});
            continue;
        }
        const QVariantList values{a.STREET, a.CITY, a.ST, a.ZIP, a.ZIPEXT, file, sequence};
        for (int i = 0; i < values.size(); ++i)
            setAddress.bind(i + 1, values[i]);
        setAddress.run();
    }

    restore.commit();
    return counts;
}

QString backupMessage(const BackupCounts& counts, const QString& backupDbPath) {
    return QString::number(counts.notes) + QStringLiteral(" User Notes and ") +
           QString::number(counts.fields) + QStringLiteral(" Fields Saved to ") + backupDbPath;
}

QString restoreMessage(const RestoreCounts& counts, const QString& backupDbPath) {
    QString text = QString::number(counts.notes) + QStringLiteral(" User Notes and ") +
                   QString::number(counts.fields) + QStringLiteral(" Fields Restored From ") + backupDbPath;
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
                    const QString& connect) {
    Q_UNUSED(StateCode);
    BackupCounts counts;
    {
        ui::BusyCursor busy;
        counts = backupUserData(MainDbPath, BackupDbPath, connect);
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
