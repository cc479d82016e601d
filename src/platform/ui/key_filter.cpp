#include "platform/ui/key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace ui {

bool digitsOnlyKey(int& keyAscii) {
    if (keyAscii >= 32 && (keyAscii < '0' || keyAscii > '9')) {
        keyAscii = 0;
        return true;
    }
    return false;
}

namespace {

class DigitsOnlyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            // Keys without text (arrows, Delete) and shortcuts are not typed characters.
            if (!text.isEmpty() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                for (const QChar c : text) {
                    int code = int(c.unicode());
                    if (digitsOnlyKey(code)) {
                        QApplication::beep();
                        return true;
                    }
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void installDigitsOnlyFilter(QWidget& widget) {
    widget.installEventFilter(new DigitsOnlyFilter(&widget));
}

} // namespace ui
