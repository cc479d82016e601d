// Flags of the application that its dialogs and the start-up set and read (the original's module
// variables). The data set in use lives in dataset::current().
#pragma once

namespace velk {

extern bool WorkspaceChosen; // set by the workspace dialog's OK
extern bool UpgradeDone;     // set by the update form when it replaced only databases
extern bool LoadCancelled;   // set by the splash form's Cancel during a data load

} // namespace velk
