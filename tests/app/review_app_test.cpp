// Faults found in review of the application shell.
#include "app_fixture.h"

#include <QToolButton>

// Rounding each button's left from twips on its own overlapped buttons 1 and 2 (and 5 and 6) by a
// pixel; the buttons of a group must stand edge to edge on screen.
TEST_F(AppTest, RibbonButtonsStandEdgeToEdgeInPixels) {
    MASTER* master = new MASTER;
    for (int k = 1; k < 10; ++k) {
        const QRect previous = master->SSRibbon1[k - 1]->geometry();
        const int advance = (k == 3 || k == 9) ? previous.width() * 3 / 2 : previous.width();
        EXPECT_EQ(master->SSRibbon1[k]->x(), previous.x() + advance) << "button " << k;
    }
}
