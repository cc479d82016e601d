// The help viewer standing in for the original's help engine. The help file (VELK.HLP) is a text
// or HTML file of ours, shown in a window of its own beside the program's windows.
#pragma once

#include <QString>

#include <functional>

namespace ui {

constexpr int kHelpContents = 3; // the help command that opens the contents

// Shows helpFile (looked up without regard to case) at its contents. A missing or unreadable file
// is reported in a message box naming it.
void showHelp(const QString& helpFile, int command = kHelpContents);

// Replaces the viewer (tests); empty restores it.
void setHelpHook(std::function<void(const QString& helpFile, int command)> hook);

} // namespace ui
