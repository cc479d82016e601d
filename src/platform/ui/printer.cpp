#include "platform/ui/printer.h"

#include "platform/ui/file_dialog_size.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace ui {

namespace {
QPrinter* printer = nullptr;

// The print system goes with the application object: the printer must go before it.
void deletePrinter() {
    delete printer;
    printer = nullptr;
}

const QString kPdfEntry = QStringLiteral("PDF file");
} // namespace

QPrinter& applicationPrinter() {
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(deletePrinter);
    }
    return *printer;
}

PrinterChoice currentChoice(const QPrinter& p) {
    PrinterChoice c;
    if (p.outputFormat() == QPrinter::PdfFormat)
        c.pdfFile = p.outputFileName();
    else
        c.printerName = p.printerName();
    return c;
}

void applyChoice(QPrinter& p, const PrinterChoice& c) {
    if (!c.pdfFile.isEmpty()) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(c.pdfFile);
    } else {
        // A native printer: no file, or the jobs would still go to the last PDF.
        p.setOutputFileName(QString());
        p.setOutputFormat(QPrinter::NativeFormat);
        if (!c.printerName.isEmpty()) p.setPrinterName(c.printerName);
    }
}

PrinterSetupDialog::PrinterSetupDialog(QPrinter& p, QWidget* parent)
    : QDialog(parent), PRINTER(new QComboBox(this)), PDFFILE(new QLineEdit(this)),
      BROWSE(new QPushButton(QStringLiteral("Browse..."), this)),
      PAPERNOTE(new QLabel(QStringLiteral("Reports and the manual are laid out for Letter paper "
                                          "(8.5 by 11 inches), portrait."),
                           this)),
      printer_(p), pdfLabel_(new QLabel(QStringLiteral("PDF file"), this)) {
    setWindowTitle(QStringLiteral("Printer Setup"));
    PRINTER->addItems(QPrinterInfo::availablePrinterNames());
    PRINTER->addItem(kPdfEntry);
    PAPERNOTE->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Printer"), PRINTER);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(PDFFILE, 1);
    fileRow->addWidget(BROWSE);
    form->addRow(pdfLabel_, fileRow);
    form->addRow(QStringLiteral("Paper"), PAPERNOTE);
    auto* buttons = new QDialogButtonBox(this);
    USE = buttons->addButton(QStringLiteral("Use These Settings"), QDialogButtonBox::AcceptRole);
    CANCEL = buttons->addButton(QDialogButtonBox::Cancel);
    USE->setDefault(true);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    PDFFILE->setMinimumWidth(320);
    if (PRINTER->count() == 1) PDFFILE->setPlaceholderText(QStringLiteral("asked for at each print"));

    const PrinterChoice now = currentChoice(p);
    if (!now.pdfFile.isEmpty() || PRINTER->count() == 1) {
        PRINTER->setCurrentText(kPdfEntry);
        PDFFILE->setText(now.pdfFile);
    } else {
        PRINTER->setCurrentText(now.printerName);
    }
    showPdfBox();

    connect(PRINTER, &QComboBox::currentIndexChanged, this, &PrinterSetupDialog::showPdfBox);
    connect(BROWSE, &QPushButton::clicked, this, [this] {
        const QString start = PDFFILE->text().isEmpty()
                                  ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                  : PDFFILE->text();
        QFileDialog dialog(this, QStringLiteral("Print to PDF File"), start,
                           QStringLiteral("PDF files (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        fitFileDialog(dialog);
        if (showModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            PDFFILE->setText(dialog.selectedFiles().first());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &PrinterSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool PrinterSetupDialog::toPdf() const {
    return PRINTER->currentText() == kPdfEntry;
}

void PrinterSetupDialog::showPdfBox() {
    const bool pdf = toPdf();
    pdfLabel_->setVisible(pdf);
    PDFFILE->setVisible(pdf);
    BROWSE->setVisible(pdf);
}

PrinterChoice PrinterSetupDialog::choice() const {
    PrinterChoice c;
    if (toPdf())
        c.pdfFile = PDFFILE->text().trimmed();
    else
        c.printerName = PRINTER->currentText();
    return c;
}

void PrinterSetupDialog::accept() {
    PrinterChoice c = choice();
    // Without a file the reports would go to the system's printer after all.
    if (toPdf() && c.pdfFile.isEmpty() && PRINTER->count() > 1) {
        MsgBox(QStringLiteral("Please enter the PDF file the reports are to be printed to."), vbExclamation,
               windowTitle());
        PDFFILE->setFocus();
        return;
    }
    if (!c.pdfFile.isEmpty() && QFileInfo(c.pdfFile).suffix().isEmpty()) c.pdfFile += QStringLiteral(".pdf");
    applyChoice(printer_, c);
    QDialog::accept();
}

int showPrinterSetup(QWidget* parent) {
    PrinterSetupDialog dialog(applicationPrinter(), parent);
    return showModal(dialog);
}

} // namespace ui
