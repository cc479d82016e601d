#include "printing/print_options.h"

#include "platform/grid/data_control.h"
#include "platform/ui/centre.h"
#include "platform/ui/count_box.h"
#include "platform/ui/keep_room.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "printing/print_options_frame.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QVBoxLayout>

VKPRINT::VKPRINT(const printing::SearchToPrint& search, const dataset::DataSet& dataSet,
                 const QString& programFolder, printing::ReportEngine& engine, QWidget* parent)
    : QDialog(parent), search_(search), dataSet_(dataSet), programFolder_(programFolder), engine_(engine) {
    setWindowTitle(QStringLiteral("Print Lookup Information"));

    SSFrame1 = new QGroupBox(QStringLiteral("Print Format"), this);
    FULL = new QRadioButton(QStringLiteral("Detail - 1 per page, all fields"), SSFrame1);
    SUMMARY = new QRadioButton(QStringLiteral("Summary - 6 per page, limited fields"), SSFrame1);
    LASERLABEL = new QRadioButton(QStringLiteral("Labels - Laser printer"), SSFrame1);
    DOTLABEL = new QRadioButton(QStringLiteral("Labels - Dot matrix printer"), SSFrame1);
    auto* formats = new QVBoxLayout(SSFrame1);
    for (QRadioButton* b : {FULL, SUMMARY, LASERLABEL, DOTLABEL})
        formats->addWidget(b);

    SSFrame2 = new QGroupBox(QStringLiteral("Sort Report By"), this);
    NAME1 = new QRadioButton(QStringLiteral("Name"), SSFrame2);
    EXPIRE = new QRadioButton(QStringLiteral("Expiration date"), SSFrame2);
    ZIP = new QRadioButton(QStringLiteral("Zip code"), SSFrame2);
    auto* sorts = new QVBoxLayout(SSFrame2);
    for (QRadioButton* b : {NAME1, EXPIRE, ZIP})
        sorts->addWidget(b);
    sorts->addStretch(1);
    NAME1->setChecked(true);

    QGridLayout* options = printing::makePrintOptionsFrame(this, Frame3D1, PLAB, POUTPUT, LCOPIES, COPIES);
    SETUPCMD = new QPushButton(QStringLiteral("&Setup..."), Frame3D1);
    options->addWidget(SETUPCMD, 1, 2);
    ui::keepRoomWhenHidden({SETUPCMD});

    Label1 = new QLabel(this);
    SHOWCOUNT = new QLineEdit(this);
    SHOWCOUNT->setReadOnly(true);
    SHOWCOUNT->setFocusPolicy(Qt::NoFocus);
    SHOWCOUNT->setMaximumWidth(SHOWCOUNT->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    ui::showOnlyWhenFilled(SHOWCOUNT);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(SSFrame1, 3);
    top->addWidget(SSFrame2, 2);
    auto* progress = new QHBoxLayout;
    progress->addWidget(Label1, 1);
    progress->addWidget(SHOWCOUNT);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame3D1);
    layout->addLayout(progress);
    layout->addLayout(buttons);

    connect(POUTPUT[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) POUTPUT_Click(0);
    });
    connect(POUTPUT[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) POUTPUT_Click(1);
    });
    connect(SETUPCMD, &QPushButton::clicked, this, &VKPRINT::SETUPCMD_Click);
    connect(Command1, &QPushButton::clicked, this, &VKPRINT::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &VKPRINT::Command2_Click);

    Form_Load();
}

VKPRINT::~VKPRINT() = default;

int VKPRINT::showModal() {
    Form_Activate();
    return ui::showModal(*this);
}

void VKPRINT::Form_Load() {
    adjustSize();
    ui::centerForm(*this);
}

void VKPRINT::Form_Activate() {
    COPIES->setText(QStringLiteral("1"));
    FULL->setChecked(true);
}

void VKPRINT::POUTPUT_Click(int Index) {
    const bool printer = Index == 0;
    COPIES->setVisible(printer);
    LCOPIES->setVisible(printer);
    SETUPCMD->setVisible(printer);
}

void VKPRINT::SETUPCMD_Click() {
    ui::showPrinterSetup(this);
}

printing::PrintRequest VKPRINT::request() const {
    printing::PrintRequest r;
    r.format = FULL->isChecked()         ? printing::PrintFormat::Detail
               : SUMMARY->isChecked()    ? printing::PrintFormat::Summary
               : LASERLABEL->isChecked() ? printing::PrintFormat::LaserLabels
                                         : printing::PrintFormat::DotMatrixLabels;
    r.sort = EXPIRE->isChecked() ? printing::PrintSort::ExpirationDate
             : ZIP->isChecked()  ? printing::PrintSort::ZipCode
                                 : printing::PrintSort::Name;
    r.toWindow = POUTPUT[1]->isChecked();
    r.copies = COPIES->text().toInt();
    return r;
}

void VKPRINT::Command1_Click() {
    const printing::PrintRequest r = request();
    if (!r.toWindow && (r.copies < 1 || r.copies > 999)) {
        ui::MsgBox(QStringLiteral("Enter a number of copies from 1 to 999."), ui::vbExclamation);
        COPIES->setFocus();
        COPIES->selectAll();
        return;
    }
    Command2->setEnabled(false);
    {
        const QScopedValueRollback running(running_, true);
        printed_ = printing::runPrint(r, search_, dataSet_, programFolder_, engine_, *this);
    }
    Command2_Click();
}

void VKPRINT::Command2_Click() {
    hide();
    done(printed_ ? QDialog::Accepted : QDialog::Rejected);
}

void VKPRINT::closeEvent(QCloseEvent* event) {
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void VKPRINT::gathering(long long total) {
    Label1->setText(QStringLiteral("Gathering information on %1 companies").arg(total));
    Label1->repaint();
    painted_.start();
}

void VKPRINT::written(long long count) {
    // The count as it grows, a few times a second.
    if (count == 1 || painted_.elapsed() >= kPaintMs) showCount(count);
}

void VKPRINT::gathered(long long count) {
    showCount(count);
}

void VKPRINT::showCount(long long count) {
    // Clicks and keys wait for the end of the run, but every window is painted meanwhile.
    SHOWCOUNT->setText(QString::number(count));
    SHOWCOUNT->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    painted_.start();
}
