// Scripted message boxes: while an instance lives, every message box is checked against a queue
// of expected boxes (text and title) and answered from the script. An unexpected box, a wrong
// text or title, and expected boxes never shown fail the test.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace testsupport {

class ScriptedMsgBoxes {
public:
    ScriptedMsgBoxes();
    ~ScriptedMsgBoxes();
    ScriptedMsgBoxes(const ScriptedMsgBoxes&) = delete;
    ScriptedMsgBoxes& operator=(const ScriptedMsgBoxes&) = delete;

    // The next box must show exactly text under title ("VELK" is what an untitled box shows).
    ScriptedMsgBoxes& expect(const QString& text, int answer, const QString& title = QStringLiteral("VELK"));
    // The next box's text must contain part (for texts that hold a path or a system's reason).
    ScriptedMsgBoxes& expectContaining(const QString& part, int answer,
                                       const QString& title = QStringLiteral("VELK"));

    struct Shown {
        QString text;
        int style = 0;
        QString title;
    };
    const QVector<Shown>& shown() const { return shown_; }
    int pending() const { return int(queue_.size()); }

private:
    struct Expected {
        QString text;
        bool partial = false;
        int answer = 0;
        QString title;
    };
    int answer(const QString& text, int style, const QString& title);

    QVector<Expected> queue_;
    QVector<Shown> shown_;
};

} // namespace testsupport
