#include "platform/ui/help_viewer.h"

#include "platform/files/folders.h"
#include "platform/files/win1252.h"
#include "platform/ui/msgbox.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
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

// Large enough to read, never larger than the screen, centred on the screen of the window asking.
void placeOnScreen(QWidget& window, QWidget* owner) {
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect r(QPoint(), QSize(qMin(820, area.width() * 9 / 10), qMin(760, area.height() * 9 / 10)));
    r.moveCenter(area.center());
    window.setGeometry(r);
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
    // A modal dialog blocks every window but its own: opened from one, the help is that dialog's
    // window, so it can be scrolled and read while the dialog waits.
    QWidget* owner = QApplication::activeModalWidget();
    if (viewer() && viewer()->parentWidget() != owner) viewer()->setParent(owner, Qt::Window);
    if (!viewer()) {
        viewer() = new QTextBrowser(owner);
        viewer()->setWindowFlags(Qt::Window);
        viewer()->setAttribute(Qt::WA_DeleteOnClose);
        viewer()->setWindowTitle(QStringLiteral("VELK Help"));
        viewer()->setOpenExternalLinks(false);
        placeOnScreen(*viewer(), owner);
        // Closed from the keyboard too, as the dialogs it is opened from are.
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
            QObject::connect(new QShortcut(key, viewer()), &QShortcut::activated, viewer(), &QWidget::close);
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
