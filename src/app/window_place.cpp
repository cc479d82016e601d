#include "app/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace velk {

namespace {

const char* const kGeometry = "MainWindow/geometry";
const char* const kMaximized = "MainWindow/maximized";

std::unique_ptr<QSettings> settings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("VELK"),
                                       QStringLiteral("VELK"));
}

} // namespace

QRect mainWindowRect(const QRect& available, const QRect& saved) {
    if (saved.isValid() && saved.width() <= available.width() && saved.height() <= available.height() &&
        available.intersects(saved)) {
        // Moved inside the screen, in case it shrank or the window was half off it.
        QRect r = saved;
        r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
        r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
        return r;
    }
    // Room for the list's columns on a large screen, all of a small one.
    const QSize size(std::min(available.width(), std::max(available.width() * 85 / 100, 1024)),
                     std::min(available.height(), std::max(available.height() * 85 / 100, 700)));
    QRect r(QPoint(), size);
    r.moveCenter(available.center());
    return r;
}

void placeMainWindow(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const std::unique_ptr<QSettings> s = settings();
    window.setGeometry(mainWindowRect(screen->availableGeometry(), s->value(kGeometry).toRect()));
    if (s->value(kMaximized, false).toBool()) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void saveMainWindowPlace(const QWidget& window) {
    const std::unique_ptr<QSettings> s = settings();
    s->setValue(kGeometry, window.normalGeometry());
    s->setValue(kMaximized, window.isMaximized());
}

} // namespace velk
