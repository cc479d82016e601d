#include "platform/ui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace ui {

void setClipboardText(const QString& text) {
    if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(text);
}

QString clipboardText() {
    const QClipboard* clip = QGuiApplication::clipboard();
    return clip ? clip->text() : QString();
}

} // namespace ui
