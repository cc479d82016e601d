// The export run once the output file is chosen: the record limit, the order of the rows, the
// header and one line per employer not left out, written under a temporary name beside the chosen
// file and put in its place at the end.
#pragma once

#include "dataset/data_set.h"
#include "export/export_records.h"

#include <QString>

namespace exporting {

enum class SortOrder { Name, Expiry, Zip };

struct ExportOptions {
    ExportFormat format = ExportFormat::CommaDelimited;
    SortOrder sort = SortOrder::Name;
    bool lowerCase = false;
};

// The search's SQL without its closing order clause, cut at the last " ORDER BY " (so a search
// value holding those words is kept); unchanged when it has none (a single record).
QString withoutOrder(const QString& searchSql);
// The SQL that reads the rows in name or ZIP order: the search's own order replaced by NAMESORT or
// ZIP. A search without an order clause is read unchanged in every order.
QString reorderedSearch(const QString& searchSql, SortOrder sort);

// In name order a search of PRIME alone is read by its rowids: the SQL that gives them, the few
// rows the search holds picked by whatever index answers the search and put in order by their
// keys, rather than a walk over the whole name index with a read of the table at every entry to
// test the search. Its rows and their order are those of reorderedSearch's SQL: the name index's
// order, equal names by file number and sequence. "" for any other search or order.
QString nameOrderRowids(const QString& searchSql, SortOrder sort);

// A search of more than a tenth of the data set's employers is refused; exactly a tenth passes.
bool exceedsRecordLimit(long long searchCount, long long allEmployers);

// The messages of the run.
QString cannotCreateText();  // "CANNOT CREATE OUTPUT FILE!"
QString tooMuchDataText();   // "YOU ARE EXPORTING TOO MUCH DATA"
QString noWorkingCopyText(); // "VKEXPORT CMD1 CANNOT FIND SYSTEM DIRECTORY!"
// "Exporting information on <n> companies"
QString countMessage(long long companies);

// What the run shows while it works.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // The number of companies of the search, before any row is read.
    virtual void started(long long companies) = 0;
    // The running count: the rows the expiry order has copied, then the records written.
    virtual void counted(long long count) = 0;
};

enum class ExportEnd {
    Completed,     // the file is written and in place
    CannotCreate,  // no file can be made at the chosen place
    TooMuchData,   // the record limit refused the search
    NoWorkingCopy, // the expiry order's working copy of the report database cannot be made
    Failed,        // reading the data or writing the file failed
};

struct ExportResult {
    ExportEnd end = ExportEnd::Failed;
    long long written = 0; // records written (the count shown last)
};

// Runs the export of the rows of searchSql (the list's record source) of dataSet, whose database
// lies in programFolder, to outputPath. Every end but Completed is told in a message box and
// leaves outputPath as it was (an earlier file whole, no new file); the hourglass shows meanwhile.
ExportResult runExport(const QString& outputPath, const QString& searchSql, const ExportOptions& options,
                       const dataset::DataSet& dataSet, const QString& programFolder, ExportProgress& progress);

} // namespace exporting
