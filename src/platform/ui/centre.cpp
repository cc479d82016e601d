#include "platform/ui/centre.h"

#include "platform/ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {
// Int() of the original: the whole number below (the values here are never negative).
long long floorDiv(long long a, long long b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

TwipsPoint centredPosition(long long screenWidth, long long screenHeight, long long formWidth,
                           long long formHeight) {
    // screen height / 2.5 == screen height * 2 / 5
    long long top = floorDiv(screenHeight * 2, 5) - floorDiv(formHeight, 2);
    long long left = floorDiv(screenWidth, 2) - floorDiv(formWidth, 2);
    return {std::max(0LL, left), std::max(0LL, top)};
}

void centerForm(QWidget& form) {
    QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = form.frameGeometry().size();
    const TwipsPoint p = centredPosition(pixelsToTwips(area.width()), pixelsToTwips(area.height()),
                                         pixelsToTwips(size.width()), pixelsToTwips(size.height()));
    form.move(area.x() + twipsToPixels(p.left), area.y() + twipsToPixels(p.top));
}

} // namespace ui
