// Where the main window opens: where the user left it when that still fits the screen, else a
// size that fits the screen at the centre.
#pragma once

#include <QRect>

class QWidget;

namespace velk {

// The window's frame on a screen whose free area is available; saved is the last frame the user
// left (an invalid rect when there is none).
QRect mainWindowRect(const QRect& available, const QRect& saved);

// Reads the saved place of window and puts it there (maximised when it was left so).
void placeMainWindow(QWidget& window);
// Remembers window's place for the next start.
void saveMainWindowPlace(const QWidget& window);

} // namespace velk
