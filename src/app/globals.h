// Module-level globals shared by the whole program (the original's RSMAIN1 module variables).
// Written by the workspace dialog, the start-up and the modal dialogs; read everywhere.
#pragma once

#include <QString>

namespace velk {

extern QString CurrentState;   // state code of the data set in use ("PA" by default)
extern QString StateDbConnect; // connect string for every opening of VELK<st>.MDB
extern QString IndexDbConnect; // connect string of VELKI.MDB, set by the start-up
extern bool WorkspaceChosen;   // set by the workspace dialog's OK
extern bool UpgradeDone;       // set by the update form when it replaced only databases
extern bool LoadCancelled;     // set by the splash form's Cancel during a data load

// The current state's database VELK<st>.MDB in folder, its name matched without regard to case.
QString stateDatabasePath(const QString& folder);

} // namespace velk
