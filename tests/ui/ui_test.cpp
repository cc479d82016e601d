// The user-interface layer: message box titles, the modal hook, the pointer, twips, key filter,
// help viewer, process-events hook.
#include "platform/ui/centre.h"
#include "platform/ui/cursor.h"
#include "platform/ui/events.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/key_filter.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "platform/ui/twips.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Ui, MessageBoxTitleDefaultsToVelk) {
    EXPECT_EQ(ui::msgBoxTitle(QString()), QStringLiteral("VELK"));
    EXPECT_EQ(ui::msgBoxTitle(QStringLiteral("Exit VELK")), QStringLiteral("Exit VELK"));
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Plain"), ui::vbOK)
        .expect(QStringLiteral("Titled"), ui::vbYes, QStringLiteral("T"));
    EXPECT_EQ(ui::MsgBox(QStringLiteral("Plain")), ui::vbOK);
    EXPECT_EQ(ui::MsgBox(QStringLiteral("Titled"), ui::vbYesNo, QStringLiteral("T")), ui::vbYes);
    EXPECT_EQ(boxes.shown().at(1).style, ui::vbYesNo);
}

TEST(Ui, ModalHookDrivesTheDialog) {
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    testsupport::ModalScript modals;
    modals.expect<QDialog>([&](QDialog& d) { return testsupport::press(d, ok); });
    EXPECT_EQ(ui::showModal(dialog), QDialog::Accepted);
    EXPECT_EQ(modals.shownCount(), 1);
}

TEST(Ui, HourglassIsNotNested) {
    ui::setHourglass();
    ui::setHourglass();
    EXPECT_TRUE(ui::hourglassShown());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ui::setDefaultPointer();
    EXPECT_FALSE(ui::hourglassShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui::setDefaultPointer(); // a second reset is harmless
    {
        ui::BusyCursor busy;
        EXPECT_TRUE(ui::hourglassShown());
    }
    EXPECT_FALSE(ui::hourglassShown());
}

TEST(Ui, Twips) {
    EXPECT_EQ(ui::twipsToPixels(1000), 67);
    EXPECT_EQ(ui::twipsToPixels(1123), 75);
    EXPECT_EQ(ui::twipsToPixels(15), 1);
    EXPECT_EQ(ui::twipsToPixels(7), 0);
    EXPECT_EQ(ui::twipsToPixels(8), 1);
    EXPECT_EQ(ui::twipsToPixels(-8), -1);
    EXPECT_EQ(ui::pixelsToTwips(96), 1440) << "one inch";
    EXPECT_EQ(ui::twipsToPixels(QRect(480, 1320, 975, 285)), QRect(32, 88, 65, 19));
}

TEST(Ui, DigitsOnlyFilterOnATextBox) {
    QLineEdit box;
    ui::installDigitsOnlyFilter(box);
    const auto type = [&](Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&box, &press);
    };
    type(Qt::Key_1, QStringLiteral("1"));
    type(Qt::Key_Period, QStringLiteral("."));
    type(Qt::Key_Minus, QStringLiteral("-"));
    type(Qt::Key_A, QStringLiteral("a"));
    type(Qt::Key_2, QStringLiteral("2"));
    EXPECT_EQ(box.text(), QStringLiteral("12"));
    type(Qt::Key_Backspace, QString(QChar(8)));
    EXPECT_EQ(box.text(), QStringLiteral("1"));
}

TEST(Ui, MissingHelpFileIsReportedWithItsName) {
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("VELK.HLP"));
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining(file, ui::vbOK);
    ui::showHelp(file);
}

TEST(Ui, HelpOpensBesideTheDialogItIsOpenedFrom) {
    const QRect screen(0, 0, 1600, 1000);
    const QMargins frame(1, 24, 1, 1);
    const QSize wanted(820, 760);
    // The workspace dialog in the middle: the right has the room; the help does not cover it.
    const QRect middle(590, 400, 420, 200);
    const QRect r = ui::placeBeside(screen, middle, frame, wanted);
    EXPECT_GE(r.left() - frame.left(), middle.right() + 1);
    EXPECT_LE(r.right() + frame.right(), screen.right());
    EXPECT_GE(r.width(), 420);
    // A dialog at the right edge: the help goes to its left, as wide as it wants.
    const QRect rightEdge(1100, 300, 480, 300);
    const QRect l = ui::placeBeside(screen, rightEdge, frame, wanted);
    EXPECT_EQ(l.width(), 820);
    EXPECT_LT(l.right() + frame.right(), rightEdge.left());
    EXPECT_GE(l.top() - frame.top(), 0);
    EXPECT_LE(l.bottom() + frame.bottom(), screen.bottom());
}

TEST(Ui, DoEventsHook) {
    int calls = 0;
    ui::setDoEventsHook([&] { ++calls; });
    ui::doEvents();
    ui::setDoEventsHook({});
    ui::doEvents();
    EXPECT_EQ(calls, 1);
}

TEST(Ui, MessageBoxIsAsWideAsItsTitle) {
    // A short text under a long title: the title must not be cut.
    const QString title = QStringLiteral("About VELK Ver 2.30.0 - a title longer than its text");
    std::unique_ptr<QMessageBox> box = ui::makeMessageBox(QStringLiteral("OK?"), ui::vbYesNo, title);
    box->show();
    QApplication::processEvents();
    EXPECT_GE(box->width(), ui::titleBarWidth(title));
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
}

TEST(Ui, PrinterSetupKeepsTheChoiceAndPrintsNothing) {
    QPrinter printer(QPrinter::HighResolution);
    const ui::PrinterChoice before = ui::currentChoice(printer);
    ui::PrinterSetupDialog cancelled(printer);
    EXPECT_EQ(cancelled.USE->text(), QStringLiteral("Use These Settings"));
    cancelled.PRINTER->setCurrentText(QStringLiteral("PDF file"));
    cancelled.PDFFILE->setText(QStringLiteral("/tmp/not-chosen"));
    cancelled.CANCEL->click();
    EXPECT_EQ(ui::currentChoice(printer).pdfFile, before.pdfFile);

    QTemporaryDir dir;
    ui::PrinterSetupDialog dialog(printer);
    dialog.PRINTER->setCurrentText(QStringLiteral("PDF file"));
    dialog.PDFFILE->setText(dir.filePath(QStringLiteral("reports")));
    EXPECT_EQ(testsupport::press(dialog, dialog.USE), QDialog::Accepted);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), dir.filePath(QStringLiteral("reports.pdf")));
    EXPECT_FALSE(QFile::exists(printer.outputFileName())) << "set up, not printed";
    // Shown again it opens on that choice.
    ui::PrinterSetupDialog again(printer);
    EXPECT_TRUE(again.toPdf());
    EXPECT_EQ(again.PDFFILE->text(), printer.outputFileName());
}
