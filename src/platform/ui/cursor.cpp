#include "platform/ui/cursor.h"

#include <QApplication>
#include <QCursor>

namespace ui {

namespace {
bool shown = false;
}

void setHourglass() {
    if (shown) return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    shown = true;
}

void setDefaultPointer() {
    if (!shown) return;
    QApplication::restoreOverrideCursor();
    shown = false;
}

bool hourglassShown() {
    return shown;
}

} // namespace ui
