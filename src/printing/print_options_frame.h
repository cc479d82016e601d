// The frame "Print Options" that the print options form and the single-record form share: Print
// To Printer or Window, and the copies box.
#pragma once

class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace printing {

// Makes the frame in form and its controls into the form's members; returns the frame's grid:
// row 0 Print To with "Printer" (selected) and "Window", row 1 the copies box ("1", three digits
// at most), column 2 of row 1 free.
QGridLayout* makePrintOptionsFrame(QWidget* form, QGroupBox*& Frame3D1, QLabel*& PLAB,
                                   QRadioButton* (&POUTPUT)[2], QLabel*& LCOPIES, QLineEdit*& COPIES);

} // namespace printing
