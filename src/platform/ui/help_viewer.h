// The help viewer standing in for the original's help engine. The help file (VELK.HLP) is a text
// or HTML file of ours, shown in a window of its own beside the program's windows.
#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <functional>

namespace ui {

constexpr int kHelpContents = 3; // the help command that opens the contents

// Shows helpFile (looked up without regard to case) at its contents. A missing or unreadable file
// is reported in a message box naming it.
void showHelp(const QString& helpFile, int command = kHelpContents);

// Where the viewer goes beside a dialog (owner, its frame included) on screen: on the side with
// more room, as wide as that room allows up to wanted; when neither side has room to read in, it
// overlaps the dialog as little as it can. decoration is the window frame around the viewer.
QRect placeBeside(const QRect& screen, const QRect& owner, const QMargins& decoration, const QSize& wanted);

// Replaces the viewer (tests); empty restores it.
void setHelpHook(std::function<void(const QString& helpFile, int command)> hook);

} // namespace ui
