#include "app/rsmain1.h"

#include "app/subsystem_forms.h"
#include "dataset/text_rules.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/key_filter.h"

#include <QApplication>
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

QString ProperCase(QString& s) {
    s = dataset::properCase(s);
    return s;
}

void DigitsOnlyKeyPress(int& KeyAscii) {
    if (ui::digitsOnlyKey(KeyAscii)) QApplication::beep();
}

QString GetSpecialFolderPath(int CSIDL) {
    if (CSIDL != CSIDL_PERSONAL) return QStringLiteral("Folder Not Valid On this OS");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString folder = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode) {
    subsystemForms().restoreUserData(MainDbPath, BackupDbPath, StateCode);
}

} // namespace velk
