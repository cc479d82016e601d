#include "app/globals.h"

namespace velk {

QString CurrentState = QStringLiteral("PA");
QString StateDbConnect;
QString IndexDbConnect;
bool WorkspaceChosen = false;
bool UpgradeDone = false;
bool LoadCancelled = false;

} // namespace velk
