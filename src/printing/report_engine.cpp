#include "printing/report_engine.h"

#include "platform/files/atomic_file.h"
#include "platform/report/output.h"
#include "platform/report/preview.h"
#include "platform/ui/file_dialog_size.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "printing/report_files.h"

#include <QFileDialog>
#include <QFileInfo>
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

// Whether a report may go to the PDF file path: what is not a file is refused by name, and a file
// that is there already is replaced only when the user says so, every time.
bool mayWritePdf(const QString& path) {
    if (const QString kind = files::notAFile(path); !kind.isEmpty()) {
        ui::MsgBox(QStringLiteral("The report cannot be written to %1: it is %2, not a file.\n\n"
                                  "Choose a PDF file in Printer Setup or when asked.")
                       .arg(path, kind),
                   ui::vbExclamation);
        return false;
    }
    return !QFileInfo::exists(path) ||
           ui::MsgBox(QStringLiteral("The file %1 already exists.\n\nReplace it with this report?").arg(path),
                      ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2,
                      QStringLiteral("Replace Existing File")) == ui::vbYes;
}

// Prints on the application's printer with copies; with no printer installed, says so and offers
// a PDF file instead (saved by pdf). False when the user wanted neither.
template <typename Print, typename Pdf>
bool printOrOfferPdf(const QString& title, int copies, QWidget* parent, Print print, Pdf pdf) {
    QPrinter& printer = ui::applicationPrinter();
    // The set-up may have sent the printer's output to a file; that needs no printer.
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (toFile && !mayWritePdf(printer.outputFileName())) return false;
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
        dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, as for every PDF file
        ui::fitFileDialog(dialog);
        if (ui::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        const QString file = dialog.selectedFiles().first();
        if (!mayWritePdf(file)) return false;
        pdf(file);
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
    return printOrSavePdf(*report().read(), copies, previewParent_, documentName());
}

bool printOrSavePdf(const report::Document& doc, int copies, QWidget* parent, const QString& name) {
    return printOrOfferPdf(
        name.isEmpty() ? doc.definition().title : name, copies, parent,
        [&](QPrinter& p) { report::printDocument(doc, p); },
        [&](const QString& path) { report::writePdf(doc, path); });
}

bool printOrSavePdf(const QVector<report::Page>& pages, const QString& title, int copies, QWidget* parent) {
    return printOrOfferPdf(
        title, copies, parent, [&](QPrinter& p) { report::printPages(pages, title, p); },
        [&](const QString& path) { report::writePdfPages(pages, title, path); });
}

} // namespace printing
