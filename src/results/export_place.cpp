#include "results/export_place.h"

#include "platform/ui/msgbox.h"

namespace results {

QString exportNotInstalledText() {
    return QStringLiteral("Export is not installed yet.");
}

void showExportForm() {
    ui::MsgBox(exportNotInstalledText(), ui::vbOKOnly | ui::vbInformation);
}

} // namespace results
