// The forms of other subsystems that the main window and the workspace dialog open: printing, the
// manual, export, backup of user data, the update, and the restore an update leaves pending. Tests
// put recording forms in place.
#pragma once

#include "dataset/data_set.h"

#include <QString>

class VKLIST;

namespace velk {

class SubsystemForms {
public:
    virtual ~SubsystemForms() = default;

    // VKPRINT: prints the search of the list form's selected tab (modal).
    virtual void showPrintSearch();
    // Print Record: the detail report of the list's current record, on the printer.
    virtual void printRecord(VKLIST& list);
    // VKMANUAL: prints MANUAL.TXT (modal).
    virtual void showPrintManual();
    // VKNOTES: backup, restore and merge of notes and user fields.
    virtual void showNotes(bool modal);
    // VKEXPORT: exports the list form's record source, the search of its selected tab or the one
    // record Export Record leaves there (modal).
    virtual void showExport();
    // VKUPGRD (modal): sets UpgradeDone when it replaced only databases (the caller clears it
    // first), and ends the program when it replaced program files.
    virtual void showUpgrade();
    // Copies the notes and user fields saved in the backup database into the state database of
    // set, opened with its connect string. Throws (std::exception) when it cannot; a restore that
    // fails must keep its marker.
    virtual void restorePendingBackup(const QString& mainDbPath, const QString& backupDbPath,
                                      const dataset::DataSet& set);
};

// The forms in use.
SubsystemForms& subsystemForms();
// Puts forms in place of the ones of this build (tests); nullptr restores them. The caller keeps
// ownership.
void setSubsystemForms(SubsystemForms* forms);

} // namespace velk
