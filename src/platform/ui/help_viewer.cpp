#include "platform/ui/help_viewer.h"

#include "platform/files/folders.h"
#include "platform/files/win1252.h"
#include "platform/ui/msgbox.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>

#include <utility>

namespace ui {

namespace {

std::function<void(const QString&, int)>& hook() {
    static std::function<void(const QString&, int)> h;
    return h;
}

QPointer<QTextBrowser>& viewer() {
    static QPointer<QTextBrowser> v;
    return v;
}

} // namespace

void showHelp(const QString& helpFile, int command) {
    if (hook()) {
        hook()(helpFile, command);
        return;
    }
    const QFileInfo info(helpFile);
    const QString path = files::findFileNoCase(info.path(), info.fileName());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MsgBox(QStringLiteral("Cannot open the help file ") + path + QStringLiteral(": ") +
                   file.errorString(),
               vbExclamation);
        return;
    }
    const QString text = files::fromWin1252(file.readAll());
    if (!viewer()) {
        viewer() = new QTextBrowser;
        viewer()->setAttribute(Qt::WA_DeleteOnClose);
        viewer()->setWindowTitle(QStringLiteral("VELK Help"));
        viewer()->resize(640, 480);
    }
    if (text.trimmed().startsWith(QLatin1Char('<')))
        viewer()->setHtml(text);
    else
        viewer()->setPlainText(text);
    viewer()->moveCursor(QTextCursor::Start); // every command opens at the contents
    viewer()->show();
    viewer()->raise();
    viewer()->activateWindow();
}

void setHelpHook(std::function<void(const QString&, int)> h) {
    hook() = std::move(h);
}

} // namespace ui
