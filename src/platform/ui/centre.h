// Centring a form on the screen: its centre at 40% of the screen height and half its width.
#pragma once

#include <QPoint>

class QWidget;

namespace ui {

struct TwipsPoint {
    long long left = 0;
    long long top = 0;
    bool operator==(const TwipsPoint&) const = default;
};

// top = Int(screen height / 2.5) - Int(form height / 2); left = Int(screen width / 2) -
// Int(form width / 2); negatives become 0. All in twips, in 64-bit integers so wide screens and
// large forms cannot overflow.
TwipsPoint centredPosition(long long screenWidth, long long screenHeight, long long formWidth,
                           long long formHeight);

// Moves the top-level widget to the centred position on its screen (the primary screen when it
// has none yet). The form's frame counts in its size.
void centerForm(QWidget& form);

} // namespace ui
