// The start-up's check for release files of the chosen data set, run with MASTER::StateDb open.
#pragma once

#include <QString>

class MASTER;

namespace velk {

// Offers and runs a data load when release files of the current state are present: the warning,
// the splash as progress window with its Cancel button, the loaders in their order, the data
// version stamp. Returns true when the program has ended (a load ran to its end, or failed and was
// reported); false to go on to the list form with StateDb still open (no release, release files
// that cannot be loaded, the warning declined, or the load cancelled). Only a completed load
// changes the data.
bool runReleaseCheck(MASTER& master);

// The warning shown before a load.
QString releaseWarningText();

} // namespace velk
