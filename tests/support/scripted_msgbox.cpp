#include "support/scripted_msgbox.h"

#include "platform/ui/msgbox.h"

#include <gtest/gtest.h>

namespace testsupport {

ScriptedMsgBoxes::ScriptedMsgBoxes() {
    ui::setMsgBoxHandler(
        [this](const QString& text, int style, const QString& title) { return answer(text, style, title); });
}

ScriptedMsgBoxes::~ScriptedMsgBoxes() {
    ui::setMsgBoxHandler({});
    for (const Expected& e : queue_)
        ADD_FAILURE() << "expected message box never shown: \"" << e.text.toStdString() << "\"";
}

ScriptedMsgBoxes& ScriptedMsgBoxes::expect(const QString& text, int answer, const QString& title) {
    queue_.append({text, false, answer, title});
    return *this;
}

ScriptedMsgBoxes& ScriptedMsgBoxes::expectContaining(const QString& part, int answer, const QString& title) {
    queue_.append({part, true, answer, title});
    return *this;
}

int ScriptedMsgBoxes::answer(const QString& text, int style, const QString& title) {
    shown_.append({text, style, title});
    // What a box answers when the script has nothing for it: the refusing button.
    const int buttons = style & 7;
    const int refusal = (buttons == ui::vbYesNo || buttons == ui::vbYesNoCancel) ? ui::vbNo
                        : buttons == ui::vbOKOnly                                ? ui::vbOK
                                                                                 : ui::vbCancel;
    if (queue_.isEmpty()) {
        ADD_FAILURE() << "unexpected message box \"" << text.toStdString() << "\" titled \""
                      << title.toStdString() << "\"";
        return refusal;
    }
    const Expected e = queue_.takeFirst();
    const bool textMatches = e.partial ? text.contains(e.text) : text == e.text;
    EXPECT_TRUE(textMatches) << "message box text \"" << text.toStdString() << "\", expected "
                             << (e.partial ? "to contain \"" : "\"") << e.text.toStdString() << "\"";
    EXPECT_EQ(title.toStdString(), e.title.toStdString())
        << "title of the box \"" << text.toStdString() << "\"";
    return textMatches ? e.answer : refusal;
}

} // namespace testsupport
