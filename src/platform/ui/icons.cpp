#include "platform/ui/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QStringList>

namespace ui {

namespace {

void useIconTheme() {
    static bool done = false;
    if (done) return;
    done = true;
    // Platform plugins without a desktop theme (offscreen, a bare X server) search no system
    // folder: add the XDG data folders, and name the theme rather than take whatever the
    // desktop offers, so that the toolbar is one set everywhere.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList data =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                  QStandardPaths::LocateDirectory);
    data << QStringLiteral("/usr/share/icons");
    for (const QString& dir : data)
        if (!paths.contains(dir)) paths << dir;
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QString::fromLatin1(kIconTheme));
}

} // namespace

QIcon themedIcon(const QString& name) {
    useIconTheme();
    return QIcon::fromTheme(name);
}

QIcon programIcon() {
    // A blue tile with a white V, drawn at the sizes title bars and task bars ask for.
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x4a, 0x87));
        painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(side * 3 / 4);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, QStringLiteral("V"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace ui
