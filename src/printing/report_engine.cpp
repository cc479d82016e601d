#include "printing/report_engine.h"

#include "platform/report/output.h"
#include "platform/report/preview.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "printing/report_files.h"

#include <QFileDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace printing {

ReportPrinter::ReportPrinter(QWidget* previewParent) : previewParent_(previewParent) {}
ReportPrinter::~ReportPrinter() = default;

report::Report& ReportPrinter::report() {
    if (!report_) throw report::ReportError(QStringLiteral("No report file is open."));
    return *report_;
}

void ReportPrinter::open(const QString& reportFile) {
    report_.reset();
    report_.emplace(openReportFile(reportFile));
}

void ReportPrinter::setTableLocation(int table, const QString& databasePath) {
    report().setTableLocation(table, databasePath);
}

void ReportPrinter::setFormula(const QString& name, const QString& text) {
    report().setFormula(name, text);
}

void ReportPrinter::addSortField(const QString& field) {
    report().addSortField(field);
}

void ReportPrinter::preview() {
    report::PreviewWindow* w = report::showPreview(report().read(), previewParent_);
    QObject::connect(w, &report::PreviewWindow::printRequested, w, [w] {
        try {
            printOrSavePdf(*w->document(), 1, w);
        } catch (const report::ReportError& e) {
            ui::MsgBox(QStringLiteral("The report could not be printed.\n\n%1").arg(e.message()),
                       ui::vbCritical);
        }
    });
}

bool ReportPrinter::print(int copies) {
    return printOrSavePdf(*report().read(), copies, previewParent_);
}

bool printOrSavePdf(const report::Document& doc, int copies, QWidget* parent) {
    QPrinter& printer = ui::applicationPrinter();
    // The set-up may have sent the printer's output to a file; that needs no printer.
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (!toFile && QPrinterInfo::availablePrinterNames().isEmpty()) {
        if (ui::MsgBox(QStringLiteral("No printer is installed. Save the report as a PDF file instead?"),
                       ui::vbYesNo | ui::vbQuestion) != ui::vbYes)
            return false;
        QFileDialog dialog(parent, QStringLiteral("Save Report as PDF"),
                           QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("PDF files (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.selectFile(doc.definition().title + QStringLiteral(".pdf"));
        if (ui::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        report::writePdf(doc, dialog.selectedFiles().first());
        return true;
    }
    printer.setCopyCount(copies);
    report::printDocument(doc, printer);
    return true;
}

} // namespace printing
