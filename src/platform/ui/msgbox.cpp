#include "platform/ui/msgbox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <memory>
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

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true); // most window managers draw titles bold
    // The window's own icon and close button sit beside the title.
    constexpr int kDecoration = 120;
    return QFontMetrics(font).horizontalAdvance(title) + kDecoration;
}

std::unique_ptr<QMessageBox> makeMessageBox(const QString& prompt, int style, const QString& title,
                                            QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(iconFor(style), msgBoxTitle(title), prompt, QMessageBox::NoButton,
                                             parent);
    const std::vector<ButtonSpec> buttons = buttonsFor(style);
    for (const ButtonSpec& b : buttons)
        box->addButton(b.button);
    std::size_t defaultIndex = 0;
    if (style & vbDefaultButton3)
        defaultIndex = 2;
    else if (style & vbDefaultButton2)
        defaultIndex = 1;
    if (defaultIndex < buttons.size()) box->setDefaultButton(buttons[defaultIndex].button);
    // A box sizes itself to its text alone, and the window manager cuts a longer title: a strut
    // across the bottom keeps the box as wide as its title.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(box->windowTitle()), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    if (handler()) return handler()(prompt, style, msgBoxTitle(title));

    const std::unique_ptr<QMessageBox> box = makeMessageBox(prompt, style, title, QApplication::activeWindow());
    box->exec();
    const auto clicked = box->standardButton(box->clickedButton());
    const std::vector<ButtonSpec> buttons = buttonsFor(style);
    for (const ButtonSpec& b : buttons)
        if (b.button == clicked) return b.result;
    return escapeAnswer(buttons);
}

void setMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

} // namespace ui
