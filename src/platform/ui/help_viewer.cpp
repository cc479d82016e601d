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

// Large enough to read, never larger than the screen, centred on the screen of the window asking;
// opened from a dialog, beside it.
void placeOnScreen(QWidget& window, QWidget* owner) {
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize wanted(820, 760);
    if (owner && owner->isVisible()) {
        // The owner's window frame stands in for the viewer's, which is not known before it shows.
        const QRect frame = owner->frameGeometry(), inner = owner->geometry();
        const QMargins decoration(inner.left() - frame.left(), inner.top() - frame.top(),
                                  frame.right() - inner.right(), frame.bottom() - inner.bottom());
        window.setGeometry(placeBeside(screen->availableGeometry(), frame, decoration, wanted));
        return;
    }
    const QRect area = screen->availableGeometry();
    QRect r(QPoint(), QSize(qMin(wanted.width(), area.width() * 9 / 10),
                            qMin(wanted.height(), area.height() * 9 / 10)));
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
    if (viewer() && viewer()->parentWidget() != owner) {
        viewer()->setParent(owner, Qt::Window);
        placeOnScreen(*viewer(), owner);
    }
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

QRect placeBeside(const QRect& screen, const QRect& owner, const QMargins& decoration, const QSize& wanted) {
    constexpr int kGap = 8;
    constexpr int kNarrowest = 420; // narrower, the help is hard to read: it overlaps instead
    const int left = owner.left() - kGap - screen.left();
    const int right = screen.right() - owner.right() - kGap;
    const bool onRight = right >= left;
    const int room = (onRight ? right : left) - decoration.left() - decoration.right();
    const int width = qBound(qMin(kNarrowest, screen.width()), room, wanted.width());
    const int height =
        qMin(wanted.height(), screen.height() * 9 / 10 - decoration.top() - decoration.bottom());
    QRect r(QPoint(), QSize(width, height));
    r.moveLeft(
        onRight
            ? qMin(owner.right() + kGap + decoration.left(), screen.right() - decoration.right() - width + 1)
            : qMax(owner.left() - kGap - decoration.right() - width, screen.left() + decoration.left()));
    r.moveTop(qBound(screen.top() + decoration.top(), owner.center().y() - height / 2,
                     screen.bottom() - decoration.bottom() - height + 1));
    return r;
}

void setHelpHook(std::function<void(const QString&, int)> h) {
    hook() = std::move(h);
}

} // namespace ui
