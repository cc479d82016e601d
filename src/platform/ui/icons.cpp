#include "platform/ui/icons.h"

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

} // namespace ui
