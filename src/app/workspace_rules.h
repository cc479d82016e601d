// Workspace folders below the program folder and the remembered choice in VELK.INI.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velk {

// "" when name can be a workspace folder's name; otherwise why not. Refused: empty, "." and "..",
// names holding "/" or "\", a double quote (it would break VELK.INI) or a control character.
QString workspaceNameProblem(const QString& name);

// The sub-folders of folder (symbolic links left out), sorted without regard to case.
QStringList listWorkspaces(const QString& folder);

// True when folder holds a saved-search file (*.VKD, any letter case).
bool hasSavedSearches(const QString& folder);

// Deletes the plain files of the workspace folder (no links followed, no sub-folders entered) and
// removes the folder. False when the folder could not be removed (it is a link, or something
// other than plain files remains).
bool deleteWorkspaceFolder(const QString& folder);

struct WorkspaceChoice {
    QString workspace;
    QString state;
};
// The file holding the last choice: VELK.INI in tempDir ("" when there is no temporary folder).
QString iniPath(const QString& tempDir);
// The choice read from the file's first line; nullopt when the file is missing, unreadable or
// has fewer than two fields.
std::optional<WorkspaceChoice> readIni(const QString& path);
// Replaces the file with the one line "workspace","state" CR LF. False (and error) on failure.
bool writeIni(const QString& path, const WorkspaceChoice& choice, QString* error = nullptr);

} // namespace velk
