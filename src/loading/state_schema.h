// Tables and indexes of a data set's database VELK<st>.MDB.
#pragma once

#include <QString>

namespace dao {
class Database;
}

namespace loading {

// Creates every table and index of a data set's database in an empty database, and fills the
// category tables. The New York database also gets ADDRESSES; PM and DM also get MERIT.
void createStateTables(dao::Database& db, const QString& stateCode);

} // namespace loading
