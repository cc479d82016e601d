// The application's one printer: its set-up is kept for the whole run and every print job uses it.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace ui {

// Created on first use with the system's default printer; lives until the program ends.
QPrinter& applicationPrinter();

// What the set-up chooses: a printer by name, or a PDF file when pdfFile is not empty (neither:
// each print asks for a file). Paper and orientation are the report's own: every report is laid
// out for Letter.
struct PrinterChoice {
    QString printerName;
    QString pdfFile;
};

PrinterChoice currentChoice(const QPrinter& printer);
void applyChoice(QPrinter& printer, const PrinterChoice& choice);

// Printer set-up: which printer, or a PDF file. Nothing is printed here; "Use These Settings" keeps
// the choice on the application's printer for the later jobs.
class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    QComboBox* PRINTER;   // installed printers, then "PDF file"
    QLineEdit* PDFFILE;   // shown for "PDF file"
    QPushButton* BROWSE;  // chooses PDFFILE
    QLabel* PAPERNOTE;    // the reports' paper, which the set-up does not change
    QPushButton* USE;     // "Use These Settings"
    QPushButton* CANCEL;

    QPrinter* printer() const { return &printer_; }
    PrinterChoice choice() const;
    bool toPdf() const;

private:
    void accept() override;
    void showPdfBox();

    QPrinter& printer_;
    QLabel* pdfLabel_;
};

// The printer set-up dialog on the application's printer (shown through ui::showModal). Accepted
// choices stay on the printer; a cancelled dialog changes nothing. Returns the dialog's result.
int showPrinterSetup(QWidget* parent = nullptr);

} // namespace ui
