// Helpers of the saved-search tests: a temporary workspace folder and scripted message boxes.
#pragma once

#include "platform/ui/msgbox.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace searchtest {

// Each box shown is recorded; the answer is taken from the scripted answers in order (OK when none).
class ScriptedBoxes {
public:
    struct Box {
        QString prompt;
        int style;
        QString title;
    };
    ScriptedBoxes() {
        ui::setMsgBoxHandler([this](const QString& prompt, int style, const QString& title) {
            shown.append({prompt, style, title});
            return answers.isEmpty() ? int(ui::vbOK) : answers.takeFirst();
        });
    }
    ~ScriptedBoxes() { ui::setMsgBoxHandler({}); }
    QList<Box> shown;
    QList<int> answers;
};

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

// One saved-search line as the program writes it.
inline QByteArray line(const char* title, const char* field, const char* from, const char* thru,
                       const char* code, bool exclude = false) {
    return QByteArray("\"") + title + "\",\"" + field + "\",\"" + from + "\",\"" + thru + "\",\"" + code +
           "\"," + (exclude ? "#TRUE#" : "#FALSE#") + "\r\n";
}

} // namespace searchtest
