// Hooked modal dialogs: while an instance lives, every modal showing (ui::showModal) is handed to
// the next scripted driver instead of an event loop. A driver fills controls and presses buttons,
// and returns the dialog's result. An unexpected dialog, a dialog of another class than expected
// and drivers never used fail the test.
#pragma once

#include <QDialog>
#include <QString>
#include <QVector>

#include <functional>

class QAbstractButton;

namespace testsupport {

class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The next modal dialog must be a D; drive works on it and returns the dialog's result.
    template <typename D> ModalScript& expect(std::function<int(D&)> drive) {
        return expectClass(D::staticMetaObject.className(),
                           [drive](QDialog& d) { return drive(static_cast<D&>(d)); });
    }
    ModalScript& expectClass(const QString& className, std::function<int(QDialog&)> drive);

    int shownCount() const { return shown_; }
    int pending() const { return int(queue_.size()); }

private:
    struct Step {
        QString className;
        std::function<int(QDialog&)> drive;
    };
    QVector<Step> queue_;
    int shown_ = 0;
};

// Presses button (as a click would) and returns the dialog's result code afterwards.
int press(QDialog& dialog, QAbstractButton* button);

} // namespace testsupport
