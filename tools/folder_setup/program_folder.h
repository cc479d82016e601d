// A program folder from scratch: every database the program opens, built empty with its tables,
// the workspace folder INITIAL and the files kept with the program (velk-setup, the demo, tests).
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace dao {
class Database;
}

namespace velk {

// A database of a new program folder: its file name, the password its connect string carries and
// the function that creates its tables in an empty database. Each subsystem keeps the schema of
// its own database; a subsystem that brings a database adds it to this list.
struct ProgramDatabase {
    QString name;
    QString password;
    std::function<void(dao::Database&)> build;
};
// VELKI.MDB, one VELK<st>.MDB per data set, then the report database's template REPORT.MDB.
QVector<ProgramDatabase> programDatabases();

// The settings database VELKI.MDB: the table Setup with one row per data set holding its connect
// string.
void createIndexDatabase(dao::Database& db);

// Puts the files kept with the program (the help file VELK.HLP and the like, from data/) into
// folder, replacing older copies. Sets error (naming the file) and returns false when one cannot be
// written.
bool installProgramFiles(const QString& folder, QString* error = nullptr);

// The update downloader beside the program: copies download1 from fromFolder (the folder of the
// running velk-setup) into folder, replacing an older copy, and writes DOWNLOAD.INI, which says
// where the downloader fetches from, with its Location commented out, unless the folder has one
// already (its setting is the user's). Sets error (naming the file) and returns false on failure.
bool installDownloader(const QString& folder, const QString& fromFolder, QString* error = nullptr);
// The text of a new DOWNLOAD.INI.
QByteArray downloadSettingsTemplate();

// Creates folder (when missing) with the databases of programDatabases(), the workspace folder
// INITIAL and the program files of installProgramFiles. An existing database (of any letter case) is
// refused unless force is set; then every database is replaced. The new databases are built under
// temporary names and renamed into place only when all of them are complete, so a failure leaves the
// folder as it was.
// Sets error (naming the file and the reason) unless the folder was created.
enum class SetupOutcome { Created, AlreadyExists, Failed };
SetupOutcome createProgramFolder(const QString& folder, bool force, QString* error = nullptr);

} // namespace velk
