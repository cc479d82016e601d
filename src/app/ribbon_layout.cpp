#include "app/ribbon_layout.h"

namespace velk {

QVector<QRect> ribbonLayout(int button0Left, int button0Top, int count, int side) {
    QVector<QRect> buttons;
    for (int k = 0; k < count; ++k) {
        if (k == 0) {
            buttons.append(QRect(button0Left, button0Top, side, side));
            continue;
        }
        const QRect& previous = buttons[k - 1];
        const int advance = (k == 3 || k == 9) ? previous.width() * 3 / 2 : previous.width();
        buttons.append(QRect(previous.x() + advance, buttons[0].y(), side, side));
    }
    return buttons;
}

int ribbonPanelHeight(int button0Height) {
    return button0Height + 123;
}

} // namespace velk
