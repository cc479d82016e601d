// Placement of the main window's ten ribbon buttons and the height of the panel holding them.
#pragma once

#include <QRect>
#include <QVector>

namespace velk {

// Every button gets side x side twips; button 0 keeps the top left given; button k stands at the
// top of button 0 and at the left of button k-1 plus its width, that width taken 1.5 times before
// buttons 3 and 9. This leaves three groups (0-2, 3-8, 9) with a half-button gap between them.
QVector<QRect> ribbonLayout(int button0Left, int button0Top, int count = 10, int side = 1000);

// The panel is the height of button 0 plus 123 twips.
int ribbonPanelHeight(int button0Height);

} // namespace velk
