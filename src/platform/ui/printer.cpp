#include "platform/ui/printer.h"

#include "platform/ui/modal.h"

#include <QCoreApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace ui {

namespace {
QPrinter* printer = nullptr;

// The print system goes with the application object: the printer must go before it.
void deletePrinter() {
    delete printer;
    printer = nullptr;
}
} // namespace

QPrinter& applicationPrinter() {
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(deletePrinter);
    }
    return *printer;
}

int showPrinterSetup(QWidget* parent) {
    QPrintDialog dialog(&applicationPrinter(), parent);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    // Set-up only: which printer and its paper, not what to print.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    return showModal(dialog);
}

} // namespace ui
