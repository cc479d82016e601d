// An error that escapes an event handler: reported once, naming the file, and the program ends.
#include "app_fixture.h"

#include "platform/ui/msgbox.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QTimer>

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
        programFile("VELKPA.MDB"), QStringLiteral("save a row in"), QStringLiteral("database is locked")));
    velk::endAfterEscapedError(escaped);
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown().front().text.startsWith(QStringLiteral("VELK must close")));
    EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbCritical);
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 1);
    EXPECT_EQ(master->listForm(), nullptr);
    velk::endAfterEscapedError(escaped); // a later failure of the ending program says nothing more
    EXPECT_EQ(boxes.shown().size(), 1);
    // Ending the program's loop keeps every event loop from running until exec() runs again: run
    // it once so that the real boxes of later tests wait for their answer.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}
