// Installing update archives (VELK*.ZIP) into the program folder. Every archive is read through
// and checked before anything changes; a state database is replaced only after its data set's
// notes and user fields were saved to BACKUP<st>.MDB, and a restore marker REST<st>.DAT is left
// so they are put back when the data set is next chosen.
#pragma once

#include <QString>
#include <QStringList>

namespace archive {
struct Progress;
}

namespace maintenance {

inline const QString kArchivePattern = QStringLiteral("VELK*.ZIP");
// Archives beyond this many in one folder are not installed.
inline constexpr int kMaxArchives = 21;

// The update archives in folder: its files (not hidden, not folders) whose names match VELK*.ZIP
// without regard to case, in name order, at most kMaxArchives of them.
QStringList findUpdateArchives(const QString& folder);

// "The VELK*.ZIP file was not found in the directory (<folder>)  Please select the correct path
// and try again."
QString archivesNotFoundMessage(const QString& folder);

// What an entry of an archive is to the installer.
struct EntryRole {
    bool database = false; // a database file (".MDB", ".Mdb" or ".mdb"): installing it needs no restart
    QString stateCode;     // the data set whose state database VELK<st>.MDB it replaces; "" for none
    bool settings = false; // the settings database VELKI.MDB
    // Why an update may not carry it; "" when it may. An update carries files for the program folder
    // itself (databases, program, report and release files); refused are entries in folders (the
    // user's workspaces), the user's own files, journals, lock files and the names of files that VELK
    // is still writing.
    QString refusal;
};
// The role of an entry by its name. A state database is recognised without regard to letter case,
// since it replaces the file of that name whatever its case.
EntryRole entryRole(const QString& entryName);

// The status line while a data set's user data are saved: "Saving PA User Notes & Fields".
QString savingStatus(const QString& stateCode);
// The status line while an entry is extracted: "VELKPA.MDB 1 of 3".
QString entryStatus(const QString& entryName, int index, int count);

// What the installer needs of the form that runs it and of the application around it.
class InstallHost {
public:
    virtual ~InstallHost() = default;
    virtual void status(const QString& text) = 0;
    virtual void progress(const archive::Progress& progress) = 0;
    // Lets pending window events run; called once per archive.
    virtual void doEvents() = 0;
    // Closes the list form, and with it this copy's hold on the state database.
    virtual void closeListForm() = 0;
};

enum class InstallEnd {
    NothingChanged, // refused or failed before any file was replaced; the form stays open
    DatabasesOnly,  // the workspace dialog follows
    Restart,        // program files were replaced, or the install broke off: the program ends
};

struct InstallReport {
    InstallEnd end = InstallEnd::NothingChanged;
    QStringList installed;    // archive names, whole
    QStringList notInstalled; // archive names, left out because a backup failed
    bool listFormClosed = false;
};

// Installs the archives at archivePaths (in order) into programFolder, showing its own messages
// (problems, the backups' completion, the closing "Upgrade complete." message).
//  - Each archive is opened, checked for entries that may not be written into the folder (names
//    leaving it or too long for it, links, special files, two entries for one file, what an update
//    may not carry) and for being empty or expanding like no real files, then read through against
//    its checksums; then the space all of them need is checked against the folder's free space.
//    All this before anything else happens; an archive that fails is named and nothing is installed.
//  - Then the list form is closed and every state database to be replaced is claimed; one that
//    another copy of the program has open is named and nothing is installed.
//  - Per archive: each state database it replaces has its user data saved (with its own connect
//    string from VELKI.MDB; when a restore marker from an earlier install is still waiting, its
//    backup's data are kept beside what was written since), and the marker of each new backup is
//    written. Then, while every claim is still in the lock file at its path, every entry is
//    extracted under a temporary name and renamed into place. A backup or marker that fails, or
//    a claim no longer at its path, leaves that archive out and takes back its new markers.
InstallReport installArchives(const QStringList& archivePaths, const QString& programFolder, InstallHost& host);

} // namespace maintenance
