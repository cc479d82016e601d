#include "app/rsmain1.h"

#include "dataset/text_rules.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/key_filter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <stdexcept>
#include <utility>

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

namespace {
RestoreUserDataFn& restoreFn() {
    static RestoreUserDataFn fn;
    return fn;
}
} // namespace

void RestoreUserData(const QString& MainDbPath, const QString& BackupDbPath, const QString& StateCode) {
    if (!restoreFn())
        throw std::runtime_error("restoring user notes and fields is not installed in this version of VELK");
    restoreFn()(MainDbPath, BackupDbPath, StateCode);
}

void setRestoreUserData(RestoreUserDataFn fn) {
    restoreFn() = std::move(fn);
}

} // namespace velk
