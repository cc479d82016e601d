// Indexes dropped for a bulk write and built again from their own definitions afterwards.
#pragma once

#include <QStringList>

namespace dao {

class Database;

// The non-unique indexes of tables in the main database (when columns is given, only those whose
// key holds one of those columns), dropped and later created again from their own definitions in
// the database, so that every such index the schema has comes back as it was. Writing many rows
// and then building each index in one pass is several times faster than keeping the indexes up to
// date row by row. The unique ones stay: they find repeated keys. Used inside the writer's
// transaction, so that no other connection ever reads the tables without them.
class IndexesSetAside {
public:
    IndexesSetAside(Database& db, const QStringList& tables, const QStringList& columns = {}); // drops them
    void restore(); // creates them again

private:
    Database& db_;
    QStringList definitions_;
};

} // namespace dao
