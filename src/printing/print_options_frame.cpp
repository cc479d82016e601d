#include "printing/print_options_frame.h"

#include "platform/ui/keep_room.h"
#include "platform/ui/key_filter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace printing {

QGridLayout* makePrintOptionsFrame(QWidget* form, QGroupBox*& Frame3D1, QLabel*& PLAB,
                                   QRadioButton* (&POUTPUT)[2], QLabel*& LCOPIES, QLineEdit*& COPIES) {
    Frame3D1 = new QGroupBox(QStringLiteral("Print Options"), form);
    PLAB = new QLabel(QStringLiteral("&Print To:"), Frame3D1);
    POUTPUT[0] = new QRadioButton(QStringLiteral("Printer"), Frame3D1);
    POUTPUT[1] = new QRadioButton(QStringLiteral("Window"), Frame3D1);
    PLAB->setBuddy(POUTPUT[0]);
    POUTPUT[0]->setChecked(true);
    LCOPIES = new QLabel(QStringLiteral("Copies"), Frame3D1);
    COPIES = new QLineEdit(QStringLiteral("1"), Frame3D1);
    COPIES->setMaxLength(3);
    COPIES->setMaximumWidth(COPIES->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    ui::installDigitsOnlyFilter(*COPIES);
    auto* grid = new QGridLayout(Frame3D1);
    grid->addWidget(PLAB, 0, 0);
    grid->addWidget(POUTPUT[0], 0, 1);
    grid->addWidget(POUTPUT[1], 0, 2);
    grid->addWidget(LCOPIES, 1, 0);
    grid->addWidget(COPIES, 1, 1);
    // Copies comes and goes with the destination; its room stays, so "Printer" and "Window" do not
    // move under the mouse.
    ui::keepRoomWhenHidden({LCOPIES, COPIES});
    return grid;
}

} // namespace printing
