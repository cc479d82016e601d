// The print run of the print options form and the print of one record: fill the working copy of
// the report database, then hand the report file to the engine. Failures are reported in message
// boxes with their reason; nothing is reported as printed that was not.
#pragma once

#include "dataset/data_set.h"

#include <QString>

class QWidget;

namespace printing {

class ReportEngine;

enum class PrintFormat { Detail, Summary, LaserLabels, DotMatrixLabels };
enum class PrintSort { Name, ExpirationDate, ZipCode };

// The search the run prints: its SQL (the list's record source), its title and its number of rows.
struct SearchToPrint {
    QString sql;
    QString title;
    long long count = 0;
};

struct PrintRequest {
    PrintFormat format = PrintFormat::Detail;
    PrintSort sort = PrintSort::Name;
    bool toWindow = false; // a preview instead of the printer
    int copies = 1;
};

// What the run shows while it writes: the number of companies it gathers, then how many it has
// written so far, and how many in all once it has written the last.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    virtual void gathering(long long total) = 0;
    virtual void written(long long count) = 0;
    virtual void gathered(long long) {}
};

// The report file of a format for a data set.
QString reportFileFor(PrintFormat format, const dataset::DataSet& dataSet);
// The sort field of a sort option.
QString sortFieldFor(PrintSort sort);

// Employers written per transaction of the report database.
constexpr int kPrintBatch = 500;

// The print run: writes the search's employers that are not marked to be left out into the
// working copy (in transactions of kPrintBatch), then opens the format's report file, points it at
// the copy, sets its formulas and sort, and previews or prints it. Returns true when the report was
// printed or shown.
bool runPrint(const PrintRequest& request, const SearchToPrint& search, const dataset::DataSet& dataSet,
              const QString& programFolder, ReportEngine& engine, PrintProgress& progress);

// The name Print Record gives its print: the employer's name and its file number, as a file name
// (characters that cannot stand in one left out).
QString recordDocumentName(const QString& name1, const QString& file, const QString& sequence);

// Print Record: the detail report of one employer on the printer. listForm (may be null) is
// disabled while the engine opens and prints the report and enabled again on every path.
bool printRecord(const QString& file, const QString& sequence, const dataset::DataSet& dataSet,
                 const QString& programFolder, ReportEngine& engine, QWidget* listForm);

} // namespace printing
