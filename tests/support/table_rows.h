// Rows put straight into a database's tables, for fixtures that build their data by hand.
#pragma once

#include "platform/dao/dao.h"

#include <QHash>
#include <QStringList>
#include <QVariant>

namespace testsupport {

// Field names and values of one row.
using Row = QHash<QString, QVariant>;

inline void insertRow(dao::Database& db, const QString& table, const Row& row) {
    QStringList names, marks;
    QVariantList values;
    for (auto it = row.begin(); it != row.end(); ++it) {
        names << it.key();
        marks << QStringLiteral("?");
        values << it.value();
    }
    db.executeBound(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                    values);
}

// A row of MODS: one experience modification of an employer, dates as "YYYY-MM-DD".
inline Row modRow(const QString& file, const QString& seq, const QString& issue, const QString& effective,
                  const QString& expire, double mod) {
    return {{"FILE", file},           {"SEQUENCE", seq}, {"ISSUE", issue},
            {"EFFECTIVE", effective}, {"EXPIRE", expire}, {"MOD", mod}};
}

} // namespace testsupport
