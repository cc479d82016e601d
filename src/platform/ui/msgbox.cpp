#include "platform/ui/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace ui {

namespace {

MsgBoxHandler& handler() {
    static MsgBoxHandler h;
    return h;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MsgBoxResult result;
};

std::vector<ButtonSpec> buttonsFor(int style) {
    switch (style & 7) {
    case vbOKCancel:
        return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {
            {QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel:
        return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default:
        return {{QMessageBox::Ok, vbOK}};
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The answer a box gives when it is closed without a button: Cancel where there is one, else
// the answer of a box that only informs.
MsgBoxResult escapeAnswer(const std::vector<ButtonSpec>& buttons) {
    for (const ButtonSpec& b : buttons)
        if (b.result == vbCancel) return vbCancel;
    if (buttons.size() == 1) return buttons.front().result;
    return vbNo;
}

} // namespace

QString msgBoxTitle(const QString& title) {
    return title.isEmpty() ? QStringLiteral("VELK") : title;
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    if (handler()) return handler()(prompt, style, msgBoxTitle(title));

    QMessageBox box(iconFor(style), msgBoxTitle(title), prompt, QMessageBox::NoButton,
                    QApplication::activeWindow());
    const std::vector<ButtonSpec> buttons = buttonsFor(style);
    for (const ButtonSpec& b : buttons)
        box.addButton(b.button);
    std::size_t defaultIndex = 0;
    if (style & vbDefaultButton3)
        defaultIndex = 2;
    else if (style & vbDefaultButton2)
        defaultIndex = 1;
    if (defaultIndex < buttons.size()) box.setDefaultButton(buttons[defaultIndex].button);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonSpec& b : buttons)
        if (b.button == clicked) return b.result;
    return escapeAnswer(buttons);
}

void setMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

} // namespace ui
