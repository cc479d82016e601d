// The one instance of a form. Every form is made by the code that shows it, and its constructor
// builds the controls and runs its Form_Load. A form that stays up while the user works elsewhere
// (the splash, the list, the workspace dialog, the lookup editor, the notes form, a report
// request's criteria forms) is held in a slot: made by load() when first used, gone at unload().
// A modal form lives exactly as long as its showing, as a local of the handler that shows it.
// Previews are the one kind of window with as many instances as the user opens.
#pragma once

#include <QDialog>
#include <QPointer>

#include <type_traits>
#include <utility>

namespace ui {

template <class Form> class FormSlot {
public:
    // The loaded form, made from args when there is none.
    template <class... Args> Form& load(Args&&... args) {
        if (!form_) form_ = new Form(std::forward<Args>(args)...);
        return *form_;
    }
    Form* loaded() const { return form_.data(); }
    explicit operator bool() const { return !form_.isNull(); }
    Form* operator->() const { return form_.data(); }
    Form& operator*() const { return *form_; }

    // Ends a modal showing, hides the form and deletes it once control is back in the event loop:
    // the form may be unloading itself from one of its own handlers. The slot is empty at once.
    void unload() {
        Form* form = form_.data();
        if (!form) return;
        form_.clear();
        if constexpr (std::is_base_of_v<QDialog, Form>) {
            if (form->isVisible()) form->done(QDialog::Rejected);
        }
        form->hide();
        form->deleteLater();
    }
    // The form goes when the user closes it (a dialog's end, or a window's close box).
    void unloadOnClose() {
        if constexpr (std::is_base_of_v<QDialog, Form>) {
            if (form_) QObject::connect(form_.data(), &QDialog::finished, form_.data(), [this] { unload(); });
        } else if (form_) {
            form_->setAttribute(Qt::WA_DeleteOnClose);
        }
    }

private:
    QPointer<Form> form_;
};

} // namespace ui
