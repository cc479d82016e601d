// Message boxes with the original's arguments. Tests replace the implementation with a scripted
// one (tests/support) that checks each expected text and returns the scripted answer.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace ui {

enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Shows prompt with the buttons, icon and default button given in style; title "VELK" when empty.
// Returns the answer (a MsgBoxResult).
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());

// The box MsgBox shows, not yet shown: its buttons, default and icon from style, at least as wide
// as its title bar needs.
std::unique_ptr<QMessageBox> makeMessageBox(const QString& prompt, int style, const QString& title,
                                            QWidget* parent = nullptr);
// Width a title bar needs for title with the window's icon and close button.
int titleBarWidth(const QString& title);

using MsgBoxHandler = std::function<int(const QString& prompt, int style, const QString& title)>;
// The title a box shows: title, or "VELK" when it is empty.
QString msgBoxTitle(const QString& title);

// Installs a replacement (tests; it receives the title already resolved by msgBoxTitle); an empty
// handler restores the real boxes.
void setMsgBoxHandler(MsgBoxHandler handler);

} // namespace ui
