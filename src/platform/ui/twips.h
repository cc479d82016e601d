// Twips, the original's unit of form geometry, at 15 twips per pixel (96 dpi logical).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {

constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel (halves away from zero).
constexpr int twipsToPixels(long long twips) {
    return int(twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                          : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel));
}
constexpr long long pixelsToTwips(int pixels) {
    return (long long)pixels * kTwipsPerPixel;
}

inline QRect twipsToPixels(const QRect& twips) {
    return QRect(twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
                 twipsToPixels(twips.height()));
}
inline QSize twipsToPixels(const QSize& twips) {
    return QSize(twipsToPixels(twips.width()), twipsToPixels(twips.height()));
}

} // namespace ui
