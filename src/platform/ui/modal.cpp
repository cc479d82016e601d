#include "platform/ui/modal.h"

#include <QDialog>

#include <utility>

namespace ui {

namespace {
ModalHook& hook() {
    static ModalHook h;
    return h;
}
} // namespace

int showModal(QDialog& dialog) {
    if (hook()) return hook()(dialog);
    return dialog.exec();
}

void setModalHook(ModalHook h) {
    hook() = std::move(h);
}

} // namespace ui
