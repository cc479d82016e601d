// The report database REPORT.MDB: the empty template kept in the program folder, whose copy each
// print run, Print Record and the export's expiry order fill and the report files read.
#pragma once

#include <QString>

namespace dao {
class Database;
}

namespace dataset {

QString reportDatabaseName(); // "REPORT.MDB"

// Slots of the numbered families: mods 0 to 19, classes 0 to 20.
constexpr int kModSlots = 20;
constexpr int kClassSlots = 21;

// Creates the tables PRIME (one row per employer) and CLASS (its classes) in an empty database.
void createReportTables(dao::Database& db);

// The working copy: REPORT.MDB in this running copy's own folder inside the private per-user folder
// (folders of copies that have ended are removed); "" when that folder cannot be had.
QString workingCopyPath();
// Replaces the working copy whole with a copy of the template REPORT.MDB of programFolder, so no
// row of an earlier run is left. Returns false with a reason when the folder cannot be had, the
// template is missing or the copy cannot be written; the earlier copy is then left as it was.
bool replaceWorkingCopy(const QString& programFolder, QString* error = nullptr);

} // namespace dataset
