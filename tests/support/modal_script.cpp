#include "support/modal_script.h"

#include "platform/ui/modal.h"

#include <QAbstractButton>

#include <gtest/gtest.h>

namespace testsupport {

ModalScript::ModalScript() {
    ui::setModalHook([this](QDialog& dialog) -> int {
        ++shown_;
        const QString cls = QString::fromLatin1(dialog.metaObject()->className());
        if (queue_.isEmpty()) {
            ADD_FAILURE() << "unexpected modal dialog " << cls.toStdString();
            return QDialog::Rejected;
        }
        const Step step = queue_.takeFirst();
        EXPECT_EQ(cls.toStdString(), step.className.toStdString()) << "modal dialog shown";
        if (cls != step.className) return QDialog::Rejected;
        dialog.setResult(QDialog::Rejected);
        return step.drive(dialog);
    });
}

ModalScript::~ModalScript() {
    ui::setModalHook({});
    for (const Step& s : queue_)
        ADD_FAILURE() << "expected modal dialog never shown: " << s.className.toStdString();
}

ModalScript& ModalScript::expectClass(const QString& className, std::function<int(QDialog&)> drive) {
    queue_.append({className, std::move(drive)});
    return *this;
}

int press(QDialog& dialog, QAbstractButton* button) {
    button->click();
    return dialog.result();
}

} // namespace testsupport
