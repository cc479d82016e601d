// Drawing laid-out pages: onto any painter (the preview), a printer, or a PDF file. Printer and
// PDF output lay out and draw one page at a time.
#pragma once

#include "platform/report/layout.h"

#include "platform/report/definition.h"

#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace report {

class Document;

// Told after each page is drawn: the pages drawn so far (all copies) and how much of the whole
// output that is, from 0 to 1. Returning false stops the output: a printer's job is aborted, a PDF
// file is left as it was, and OutputCancelled is thrown.
using OutputProgress = std::function<bool(int pages, qreal done)>;

class OutputCancelled : public ReportError {
public:
    OutputCancelled();
};

// Draws page with its top left corner at the painter's origin, scale device pixels to a point.
void paintPage(QPainter& painter, const Page& page, qreal scale);

// Prints every page of doc on printer (its copies and other settings as they are), page by page;
// a printer that makes no copies of its own (output to a file) gets the pages once per copy.
// Returns the number of pages of one copy; a document without records prints nothing and
// returns 0. Throws ReportError when the printer cannot be started or fails. A printer set to write
// a PDF file writes it as writePdf does.
int printDocument(const Document& doc, QPrinter& printer, const OutputProgress& progress = {});

// Writes every page of doc to a PDF file at path under a temporary name beside it, put in its place
// only when the whole file is written. Returns the number of pages; without records no file is
// written and 0 is returned. Throws ReportError, an earlier file kept as it was, when the file cannot
// be written whole or path names what is not a file (a folder, a named pipe).
int writePdf(const Document& doc, const QString& path, const OutputProgress& progress = {});

// The same for pages laid out before (a plain text such as the manual), all on the paper of the
// first: printed in one job named docName, or written as a PDF titled title. Without pages
// nothing is printed or written and 0 is returned.
int printPages(const QVector<Page>& pages, const QString& docName, QPrinter& printer,
               const OutputProgress& progress = {});
int writePdfPages(const QVector<Page>& pages, const QString& title, const QString& path,
                  const OutputProgress& progress = {});

} // namespace report
