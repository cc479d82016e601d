// The backup database BACKUP<st>.MDB: one data set's notes and user fields kept apart from its
// state database, so that they survive a database replaced by an update or can be moved to
// another folder.
#pragma once

#include <QString>
#include <QStringList>

namespace dao {
class Database;
}

namespace maintenance {

QString backupDatabaseName(const QString& stateCode); // "BACKUP" + st + ".MDB"

// The fields of a USER row, in the order a backup writes them: FILE, SEQUENCE, the seven user
// fields and Omit.
const QStringList& backupUserFields();
// The user fields a restore writes back into PRIME: backupUserFields() without the key.
QStringList restoredUserFields();

// Creates the tables USER and NOTES in an empty database. Each field takes every value of the
// state field of the same name; nothing looks rows up by key, so there is no index.
void createBackupTables(dao::Database& db);

} // namespace maintenance
