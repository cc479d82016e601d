#include "printing/single_record_form.h"

#include "dataset/data_set.h"
#include "dataset/report_database.h"
#include "platform/ui/centre.h"
#include "platform/ui/cursor.h"
#include "printing/print_options_frame.h"
#include "printing/report_engine.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>

VKSINGLE::VKSINGLE(std::unique_ptr<printing::ReportEngine> engine, QWidget* previewArea, QWidget* parent)
    : QDialog(parent), engine_(std::move(engine)) {
    setWindowTitle(QStringLiteral("Print Current Record"));
    setAttribute(Qt::WA_DeleteOnClose);
    Rsreport = std::make_unique<printing::ReportControl>(*engine_);
    Rsreport->HostArea = previewArea;

    printing::makePrintOptionsFrame(this, Frame3D1, PLAB, POUTPUT, LCOPIES, COPIES);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame3D1);

    Form_Load();
}

VKSINGLE::~VKSINGLE() = default;

void VKSINGLE::Form_Load() {
    adjustSize();
    ui::centerForm(*this);
    lower();
}

void VKSINGLE::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per showing, after the form is on screen; a window system's showing again (after being
    // minimised) or a mere activation does not print again.
    if (!event->spontaneous())
        QMetaObject::invokeMethod(this, &VKSINGLE::Form_Activate, Qt::QueuedConnection);
}

void VKSINGLE::Form_Activate() {
    COPIES->setText(QStringLiteral("1"));
    const dataset::DataSet& set = dataset::current();
    Rsreport->ReportFileName = set.isNY() ? QStringLiteral("VKPRTANY.RPT") : QStringLiteral("VKPRTALL.RPT");
    // Both tables of the detail report are in the working copy.
    const QString data = dataset::workingCopyPath();
    Rsreport->DataFiles = {data, data};
    Rsreport->Formulas = {QStringLiteral("SEARCHNAME=\"PRINT RECORD\""),
                          QStringLiteral("STATE=\"%1\"").arg(set.code)};
    const bool ran = printing::RunReportControl(*Rsreport, printing::criteriaOf(*this));
    ui::setDefaultPointer();
    if (ran) printing::WaitForReportView(printing::criteriaOf(*this), QString());
}
