// Modal showing of dialogs. Every modal showing goes through showModal so that tests can drive a
// dialog (fill its controls, press its buttons) without an event loop of their own.
#pragma once

#include <functional>

class QDialog;

namespace ui {

// Shows dialog modally and returns its result (QDialog::Accepted/Rejected or a done() code).
// With a hook installed the hook is called instead of the event loop and its value returned.
int showModal(QDialog& dialog);

using ModalHook = std::function<int(QDialog& dialog)>;
// Installs a hook (tests); an empty hook restores real modal showing.
void setModalHook(ModalHook hook);

} // namespace ui
