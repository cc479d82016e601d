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

namespace {

// The preview's Print prints what it shows; failures are said, not thrown out of the click.
void printFromPreview(report::PreviewWindow* w) {
    QObject::connect(w, &report::PreviewWindow::printRequested, w, [w] {
        try {
            printOrSavePdf(*w->document(), 1, w);
        } catch (const report::ReportError& e) {
            ui::MsgBox(QStringLiteral("The report could not be printed.\n\n%1").arg(e.message()),
                       ui::vbCritical);
        }
    });
}

// Prints on the application's printer with copies; with no printer installed, says so and offers
// a PDF file instead (saved by pdf). False when the user wanted neither.
template <typename Print, typename Pdf>
bool printOrOfferPdf(const QString& title, int copies, QWidget* parent, Print print, Pdf pdf) {
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
        dialog.selectFile(title + QStringLiteral(".pdf"));
        if (ui::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        pdf(dialog.selectedFiles().first());
        return true;
    }
    printer.setCopyCount(copies);
    print(printer);
    return true;
}

} // namespace

void ReportPrinter::preview() {
    printFromPreview(report::showPreview(report().read(), previewParent_));
}

void ReportPrinter::previewIn(QWidget* host) {
    auto* w = new report::PreviewWindow(report().read(), host);
    printFromPreview(w);
    w->show();
}

bool ReportPrinter::print(int copies) {
    return printOrSavePdf(*report().read(), copies, previewParent_);
}

bool printOrSavePdf(const report::Document& doc, int copies, QWidget* parent) {
    return printOrOfferPdf(
        doc.definition().title, copies, parent, [&](QPrinter& p) { report::printDocument(doc, p); },
        [&](const QString& path) { report::writePdf(doc, path); });
}

bool printOrSavePdf(const QVector<report::Page>& pages, const QString& title, int copies, QWidget* parent) {
    return printOrOfferPdf(
        title, copies, parent, [&](QPrinter& p) { report::printPages(pages, title, p); },
        [&](const QString& path) { report::writePdfPages(pages, title, path); });
}

} // namespace printing
