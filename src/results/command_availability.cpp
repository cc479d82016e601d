#include "results/command_availability.h"

#include "dataset/text_rules.h"

namespace results {

CommandAvailability commandAvailability(const ListCommandState& state) {
    // Everything on first; each rule below may take back what an earlier one gave.
    CommandAvailability a;
    a.ribbon.fill(true);
    if (!state.isListForm) return a;

    const bool allRecords = state.selectedTab == 0;
    if (allRecords) {
        // Printing and export work on a search's result; tab 0 is the whole table.
        a.ribbon[kPrintLookup] = a.ribbon[kExportLookup] = false;
        a.mnuPrintSearch = a.mnuExport = false;
    }
    if (dataset::isEmptyText(state.firstSearchCaption)) {
        a.ribbon[kPrintLookup] = a.ribbon[kExportLookup] = false;
        a.mnuEditSearch = a.mnuPrintSearch = a.mnuExport = false;
    }
    if (!allRecords) {
        a.ribbon[kEditDeleteLookup] = false;
        a.mnuEditSearch = false;
    }
    if (state.selectedTab > 0 && state.selectedSearchFile.isEmpty()) {
        // A search tab with nothing behind it: every ribbon button, Exit included, waits until
        // another tab is chosen.
        a.ribbon.fill(false);
        a.mnuEditSearch = a.mnuPrintSearch = a.mnuExport = a.mnuUpdate = false;
    }
    return a;
}

} // namespace results
