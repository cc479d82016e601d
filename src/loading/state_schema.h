// Tables and indexes of a data set's database VELK<st>.MDB and of the settings database VELKI.MDB,
// and the creation of a complete, empty program folder from them (tools/setup.cpp).
#pragma once

#include <QString>

namespace dao {
class Database;
}

namespace loading {

// Creates every table and index of a data set's database in an empty database, and fills the
// category tables. The New York database also gets ADDRESSES; PM and DM also get MERIT.
void createStateTables(dao::Database& db, const QString& stateCode);
// Creates the table Setup with one row per data set holding its connect string.
void createIndexDatabase(dao::Database& db);

// Puts the files kept with the program (the help file VELK.HLP and the like, from data/) into
// folder, replacing older copies. Sets error (naming the file) and returns false when one cannot be
// written.
bool installProgramFiles(const QString& folder, QString* error = nullptr);

// Creates folder (when missing) with VELKI.MDB, one VELK<st>.MDB per data set, the workspace folder
// INITIAL and the program files of installProgramFiles. An existing database (of any letter case) is
// refused unless force is set; then every database is replaced. The new databases are built under
// temporary names and renamed into place only when all of them are complete, so a failure leaves the
// folder as it was.
// Sets error (naming the file and the reason) unless the folder was created.
enum class SetupOutcome { Created, AlreadyExists, Failed };
SetupOutcome createProgramFolder(const QString& folder, bool force, QString* error = nullptr);

} // namespace loading
