#include "app/form_helpers.h"

#include "platform/files/folders.h"
#include "platform/ui/centre.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velk {

void CenterForm(QWidget& frm) {
    ui::centerForm(frm);
}

QString GetTempDir() {
    return files::GetTempDir();
}

QString GetSpecialFolderPath(int CSIDL) {
    if (CSIDL != CSIDL_PERSONAL) return QStringLiteral("Folder Not Valid On this OS");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString folder = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace velk
