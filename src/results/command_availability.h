// Which of the main window's commands the list form leaves usable, from its selected tab and the
// workspace's saved searches. Pure: the list form gathers the inputs and the main window applies
// the result to its ribbon buttons and menu items.
#pragma once

#include <QString>

#include <array>

namespace results {

struct ListCommandState {
    bool isListForm = true;     // the asking form is the list form (any other form changes nothing)
    int selectedTab = 0;        // 0 all records, 1 to 9 a search tab
    QString firstSearchCaption; // caption of tab 1: empty when the workspace has no saved search
    QString selectedSearchFile; // saved-search file behind the selected tab, "" when it holds none
};

struct CommandAvailability {
    std::array<bool, 10> ribbon{}; // SSRibbon1(0) to SSRibbon1(9)
    bool mnuNewSearch = true;
    bool mnuEditSearch = true;
    bool mnuPrintSearch = true;
    bool mnuExport = true;
    bool mnuUpdate = true;

    friend bool operator==(const CommandAvailability&, const CommandAvailability&) = default;
};

// The ribbon's buttons by index.
enum RibbonButton {
    kNewLookup = 0,
    kEditDeleteLookup = 1,
    kBackupRestore = 2,
    kChangeWorkspace = 3,
    kPrintLookup = 4,
    kExportLookup = 5,
    kPrintManual = 6,
    kUpdate = 7,
    kHelp = 8,
    kExitVelk = 9,
};

CommandAvailability commandAvailability(const ListCommandState& state);

} // namespace results
