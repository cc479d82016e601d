// Pictures of the program's buttons: named icons of one freedesktop icon theme (Debian's
// tango-icon-theme: full colour at every size), found on every platform plugin, offscreen included.
#pragma once

#include <QIcon>
#include <QString>

namespace ui {

constexpr const char* kIconTheme = "Tango";

// Makes the theme the application's icon theme (once) and returns its icon called name; a null
// icon when the theme has none by that name.
QIcon themedIcon(const QString& name);

// The program's own icon, for its windows' title bars.
QIcon programIcon();

} // namespace ui
