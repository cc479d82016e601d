#include "app/globals.h"

namespace velk {

bool WorkspaceChosen = false;
bool UpgradeDone = false;
bool LoadCancelled = false;

} // namespace velk
