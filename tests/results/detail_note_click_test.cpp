// A mouse click into the record detail form's note, as the window system delivers it.
#include "results/record_detail.h"

#include "detail_fixture.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

// QEvent lets this class mark an event as coming from the window system, as a real click does.
class QSpontaneKeyEvent {
public:
    static void setSpontaneous(QEvent* ev) { ev->setSpontaneous(); }
};

namespace {

using detailtest::DetailFixture;
using testsupport::ModalScript;

// A real mouse click: the press gives the focus, then places the caret where it lands.
void mouseClickAt(QWidget* target, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QSpontaneKeyEvent::setSpontaneous(&press);
    qApp->notify(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QSpontaneKeyEvent::setSpontaneous(&release);
    qApp->notify(target, &release);
    QApplication::processEvents();
}

// Clicking into the note anywhere leaves the caret on the stamped line, right after " - ".
TEST_F(DetailFixture, AMouseClickIntoTheNoteTypesOnTheStampedLine) {
    openList("PA");
    const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        showForTyping(f);
        QWidget* area = f.NOTES->viewport();
        mouseClickAt(area, QPoint(area->width() - 4, area->height() - 4));
        EXPECT_EQ(f.NOTES->toPlainText(), today + " - \nFirst note");
        EXPECT_EQ(f.NOTES->textCursor().position(), today.size() + 3);
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
}

} // namespace
