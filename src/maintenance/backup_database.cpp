#include "maintenance/backup_database.h"

#include "platform/dao/dao.h"

#include <QVector>

namespace maintenance {

namespace {
// USER's columns; FILE is 9 wide in New York, 7 elsewhere, and the backup takes the wider.
const QVector<dao::ColumnDef>& userColumns() {
    static const QVector<dao::ColumnDef> columns = {
        {QStringLiteral("FILE"), QStringLiteral("TEXT"), 9},
        {QStringLiteral("SEQUENCE"), QStringLiteral("TEXT"), 2},
        {QStringLiteral("User1"), QStringLiteral("TEXT"), 50},
        {QStringLiteral("User2"), QStringLiteral("TEXT"), 50},
        {QStringLiteral("User3"), QStringLiteral("TEXT"), 50},
        {QStringLiteral("UserPhone"), QStringLiteral("TEXT"), 12},
        {QStringLiteral("UserFax"), QStringLiteral("TEXT"), 12},
        {QStringLiteral("UserContact"), QStringLiteral("TEXT"), 30},
        {QStringLiteral("UserTitle"), QStringLiteral("TEXT"), 30},
        {QStringLiteral("Omit"), QStringLiteral("TEXT"), 1}};
    return columns;
}
} // namespace

QString backupDatabaseName(const QString& stateCode) {
    return QStringLiteral("BACKUP") + stateCode + QStringLiteral(".MDB");
}

const QStringList& backupUserFields() {
    static const QStringList fields = [] {
        QStringList names;
        for (const dao::ColumnDef& c : userColumns())
            names << c.name;
        return names;
    }();
    return fields;
}

QStringList restoredUserFields() {
    return backupUserFields().mid(2);
}

void createBackupTables(dao::Database& db) {
    db.createTable(QStringLiteral("USER"), userColumns());
    db.createTable(
        QStringLiteral("NOTES"),
        {userColumns()[0], userColumns()[1], {QStringLiteral("NOTES"), QStringLiteral("MEMO"), 0}});
}

} // namespace maintenance
