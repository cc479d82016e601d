#include "platform/dao/indexes_aside.h"

#include "platform/dao/sqlite_util.h"
#include "platform/dao/statement.h"

namespace dao {

IndexesSetAside::IndexesSetAside(Database& db, const QStringList& tables, const QStringList& columns)
    : db_(db) {
    QStringList names;
    {
        // origin 'c': made by CREATE INDEX (not a table's own UNIQUE or PRIMARY KEY constraint).
        Statement list(db, QStringLiteral("SELECT s.name, s.sql FROM pragma_index_list(?, 'main') AS i "
                                          "JOIN main.sqlite_schema AS s ON s.name = i.name "
                                          "WHERE i.\"unique\" = 0 AND i.origin = 'c' AND s.sql IS NOT NULL"));
        Statement keys(db, QStringLiteral("SELECT name FROM pragma_index_info(?, 'main')"));
        const auto holdsColumn = [&](const QString& index) {
            if (columns.isEmpty()) return true;
            keys.bindText(1, index);
            bool held = false;
            while (keys.step())
                held = held || columns.contains(keys.column(0).toString(), Qt::CaseInsensitive);
            return held;
        };
        for (const QString& table : tables) {
            list.bindText(1, table);
            while (list.step()) {
                const QString name = list.column(0).toString();
                if (!holdsColumn(name)) continue;
                names << name;
                definitions_ << list.column(1).toString();
            }
        }
    }
    for (const QString& name : names)
        Statement(db, QStringLiteral("DROP INDEX main.") + detail::quoteName(name)).run();
}

void IndexesSetAside::restore() {
    for (const QString& sql : std::as_const(definitions_))
        Statement(db_, sql).run();
    definitions_.clear();
}

} // namespace dao
