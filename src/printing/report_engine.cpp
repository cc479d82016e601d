#include "printing/report_engine.h"

#include "platform/files/atomic_file.h"
#include "platform/report/output.h"
#include "platform/report/preview.h"
#include "platform/ui/cursor.h"
#include "platform/ui/file_dialog_size.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "printing/report_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QStandardPaths>

#include <chrono>
#include <future>

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

// How far an output has come, in a window with Cancel that shows itself when the output takes
// more than half a second, with the hourglass. Every window stays painted; only the Cancel button
// takes clicks and keys meanwhile.
class OutputProgressWindow {
public:
    OutputProgressWindow(const QString& doing, QWidget* parent)
        : doing_(doing), dialog_(doing, QStringLiteral("Cancel"), 0, kSteps, parent) {
        dialog_.setWindowTitle(QStringLiteral("VELK"));
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
        shown_.start();
    }

    // Told after each page; false once Cancel was pressed.
    report::OutputProgress progress() {
        return [this](int pages, qreal done) {
            if (shown_.elapsed() >= kPaintMs) {
                dialog_.setLabelText(doing_ + QStringLiteral(": page %1").arg(pages));
                dialog_.setValue(int(done * kSteps)); // runs pending events, a modal dialog's are all painted
                shown_.start();
            }
            return !dialog_.wasCanceled();
        };
    }

private:
    static constexpr int kSteps = 1000;
    static constexpr int kPaintMs = 50;
    ui::BusyCursor busy_;
    QString doing_;
    QProgressDialog dialog_;
    QElapsedTimer shown_;
};

// Prints on the application's printer with copies; with no printer installed, says so and offers
// a PDF file instead (saved by pdf). Both go with a window of their progress and Cancel. False
// when the user wanted neither, or cancelled.
template <typename Print, typename Pdf>
bool printOrOfferPdf(const QString& title, int copies, QWidget* parent, Print print, Pdf pdf) try {
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
        OutputProgressWindow progress(QStringLiteral("Saving %1").arg(QFileInfo(file).fileName()), parent);
        pdf(file, progress.progress());
        return true;
    }
    printer.setCopyCount(copies);
    OutputProgressWindow progress(QStringLiteral("Printing %1").arg(title), parent);
    print(printer, progress.progress());
    return true;
} catch (const report::OutputCancelled&) {
    return false; // the printer's job was abandoned, or a PDF file left as it was
}

} // namespace

std::shared_ptr<const report::Document> ReportPrinter::read() {
    ui::BusyCursor busy;
    // On a thread of its own, every window painted meanwhile: a hundred thousand rows take seconds.
    report::Report& r = report();
    std::future<std::shared_ptr<const report::Document>> reading =
        std::async(std::launch::async, [&r] { return r.read(); });
    while (reading.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return reading.get();
}

void ReportPrinter::preview() {
    std::shared_ptr<const report::Document> doc = read();
    ui::BusyCursor busy; // while the first pages are counted
    printFromPreview(report::showPreview(std::move(doc), previewParent_));
}

void ReportPrinter::previewIn(QWidget* host) {
    std::shared_ptr<const report::Document> doc = read();
    ui::BusyCursor busy;
    auto* w = new report::PreviewWindow(std::move(doc), host);
    printFromPreview(w);
    w->show();
}

bool ReportPrinter::print(int copies) {
    return printOrSavePdf(*read(), copies, previewParent_, documentName());
}

bool printOrSavePdf(const report::Document& doc, int copies, QWidget* parent, const QString& name) {
    using report::OutputProgress;
    return printOrOfferPdf(
        name.isEmpty() ? doc.definition().title : name, copies, parent,
        [&](QPrinter& p, const OutputProgress& progress) { report::printDocument(doc, p, progress); },
        [&](const QString& path, const OutputProgress& progress) { report::writePdf(doc, path, progress); });
}

bool printOrSavePdf(const QVector<report::Page>& pages, const QString& title, int copies, QWidget* parent) {
    using report::OutputProgress;
    return printOrOfferPdf(
        title, copies, parent,
        [&](QPrinter& p, const OutputProgress& progress) { report::printPages(pages, title, p, progress); },
        [&](const QString& path, const OutputProgress& progress) {
            report::writePdfPages(pages, title, path, progress);
        });
}

} // namespace printing
