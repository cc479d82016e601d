#include "app/globals.h"

#include "loading/state_schema.h"
#include "platform/files/folders.h"

namespace velk {

QString CurrentState = QStringLiteral("PA");
QString StateDbConnect;
QString IndexDbConnect;
bool WorkspaceChosen = false;
bool UpgradeDone = false;
bool LoadCancelled = false;

QString stateDatabasePath(const QString& folder) {
    return files::findFileNoCase(folder, loading::stateDatabaseName(CurrentState));
}

} // namespace velk
