// Faults found in review of the application shell.
#include "app_fixture.h"

#include "platform/ui/msgbox.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

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

// A database error escaping a command's handler unwound through the event loop and aborted the
// program without a word; it is now reported, naming the file, and the program ends with status 1.
TEST_F(AppTest, ErrorEscapingAHandlerIsReportedOnceAndEndsTheProgram) {
    {
        testsupport::ModalScript modals;
        modals.expect<VKWSPACE>(choose("INITIAL", "PA"));
        ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    }
    MASTER* master = MASTER::instance();
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("VELKPA.MDB"), ui::vbOK);
    const auto escaped = std::make_exception_ptr(dao::DaoError(
        programFile("VELKPA.MDB"), QStringLiteral("Update"), QStringLiteral("database is locked")));
    velk::endAfterEscapedError(escaped);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().front().text.startsWith(QStringLiteral("VELK must close")));
    EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbCritical);
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 1);
    EXPECT_EQ(master->listForm(), nullptr);
    velk::endAfterEscapedError(escaped); // a later failure of the ending program says nothing more
    EXPECT_EQ(boxes.shown().size(), 1);
}
