// The application's one printer: its set-up is kept for the whole run and every print job uses it.
#pragma once

class QPrinter;
class QWidget;

namespace ui {

// Created on first use with the system's default printer; lives until the program ends.
QPrinter& applicationPrinter();

// The printer set-up dialog on the application's printer (shown through ui::showModal). Accepted
// choices stay on the printer; a cancelled dialog changes nothing. Returns the dialog's result.
int showPrinterSetup(QWidget* parent = nullptr);

} // namespace ui
