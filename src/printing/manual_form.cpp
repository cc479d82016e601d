#include "printing/manual_form.h"

#include "platform/ui/centre.h"
#include "printing/manual.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VKMANUAL::VKMANUAL(const QString& programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(programFolder) {
    setWindowTitle(QStringLiteral("Print Manual"));
    Label1 = new QLabel(QStringLiteral("Click OK to print the user's manual to your default printer."), this);
    Label2 = new QLabel(this);
    OK = new QPushButton(QStringLiteral("OK"), this);
    CANCEL = new QPushButton(QStringLiteral("Cancel"), this);
    OK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OK);
    buttons->addWidget(CANCEL);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    connect(OK, &QPushButton::clicked, this, &VKMANUAL::OK_Click);
    connect(CANCEL, &QPushButton::clicked, this, &VKMANUAL::CANCEL_Click);
    adjustSize();
    ui::centerForm(*this);
}

void VKMANUAL::OK_Click() {
    OK->setEnabled(false);
    CANCEL->setEnabled(false);
    Label2->setText(QStringLiteral("Printing Manual..."));
    Label2->repaint();
    printed_ = printing::printManual(programFolder_, this);
    // The form goes however the run ended; a failure has been said in a message box.
    done(printed_ ? QDialog::Accepted : QDialog::Rejected);
}

void VKMANUAL::CANCEL_Click() {
    reject();
}
