// The user's manual MANUAL.TXT beside the program, printed line by line: one printed line for
// every line of the file, as many lines to a page as fit, the whole manual in one print job.
#pragma once

#include "platform/report/layout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QWidget;

namespace printing {

inline const QString kManualFile = QStringLiteral("MANUAL.TXT");

// The lines of the manual's text, which is Windows-1252: split at CR LF, LF or CR; a line end at
// the very end starts no further line; tabs are expanded to stops of eight columns.
QStringList manualLines(const QByteArray& text);

// Letter paper, 3/4 inch margins, 10 point DejaVu Sans Mono: 83 columns across.
const report::FontSpec& manualFont();
QSizeF manualPaper();
QMarginsF manualMargins();
int manualLinesPerPage();

// The manual's pages: line i of a page on its i-th line, empty lines kept as empty lines. A line
// too long for the paper is cut short with "...". No lines give no pages.
QVector<report::Page> manualPages(const QStringList& lines);

// The manual run: reads MANUAL.TXT from programFolder and prints it on the application's printer
// (with no printer installed, offers a PDF file instead). A missing or empty file and a failing
// printer are reported in a message box. True when the manual was printed or saved.
bool printManual(const QString& programFolder, QWidget* parent);

} // namespace printing
