// The start-up's check for release files of the chosen data set, run with MASTER::StateDb open.
#pragma once

class MASTER;

namespace velk {

// Offers and runs a data load when release files of the current state are present. Returns true
// when the program must end (a load ran); false to go on to the list form with StateDb still open.
bool runReleaseCheck(MASTER& master);

} // namespace velk
