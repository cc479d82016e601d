#include "printing/print_run.h"

#include "dataset/report_database.h"
#include "dataset/report_rows.h"
#include "dataset/text_rules.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/report/definition.h"
#include "platform/threads/ahead.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "printing/report_engine.h"

#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

namespace printing {

namespace {

QString missingReport(const QString& file) {
    return QStringLiteral("The Report File (") + file + QStringLiteral(") Is Missing or Not Loading");
}

// A message with the normal pointer back: every way a run ends goes through here or succeeds.
void say(const QString& text, int style = ui::vbOKOnly) {
    ui::setDefaultPointer();
    ui::MsgBox(text, style);
}

void reportFailure(const QString& what, const QString& reason) {
    say(what + QStringLiteral("\n\n") + reason, ui::vbCritical);
}

// The reason of a failure of the database or report layers, or of anything else.
QString reasonOf(const std::exception& e) {
    if (const auto* d = dynamic_cast<const dao::DaoError*>(&e)) return d->message();
    if (const auto* r = dynamic_cast<const report::ReportError*>(&e)) return r->message();
    return QString::fromLocal8Bit(e.what());
}

dataset::RowWriter writerFor(const PrintRequest& request) {
    switch (request.format) {
    case PrintFormat::Detail:
        return dataset::RowWriter::Detail;
    case PrintFormat::Summary:
        return dataset::RowWriter::Summary;
    default:
        // Labels carry EXPIRE only when they are to be sorted by it.
        return request.sort == PrintSort::ExpirationDate ? dataset::RowWriter::LabelsByExpiry
                                                         : dataset::RowWriter::Labels;
    }
}

// Opens the state database of the data set as the list has it: shared, read-write.
std::unique_ptr<dao::Database> openState(const dataset::DataSet& dataSet, const QString& programFolder) {
    return dao::Database::open(dataSet.databasePath(programFolder), false, false, dataSet.connect);
}

// The search's employers that are to be printed, read with their mods, classes and descriptions
// with a connection of its own to the state database, and handed over kRowsAtOnce at a time.
using EmployersAhead = threads::Ahead<std::vector<dataset::ReportRow>>;
constexpr size_t kRowsAtOnce = 64;
// Batches read and not yet written: enough to keep the writer busy, few enough to hold little.
constexpr size_t kBatchesAhead = 8;

void readEmployers(EmployersAhead::Feed& feed, dataset::RowWriter kind, const dataset::DataSet& dataSet,
                   const QString& programFolder, const QString& sql) {
    std::unique_ptr<dao::Database> state = openState(dataSet, programFolder);
    dataset::ReportRowWriter reader(kind, dataSet, state.get(), nullptr);
    std::unique_ptr<dao::Recordset> list =
        state->OpenRecordset(sql, dao::RecordsetType::Snapshot, dao::ForwardOnly);
    std::vector<dataset::ReportRow> rows;
    size_t n = 0;
    for (; !list->atEOF(); list->MoveNext()) {
        // Only employers not marked to be left out: a blank (or empty) Omit; Null too is left out.
        const QVariant omit = list->value(QStringLiteral("Omit"));
        if (omit.isNull() || !dataset::isEmptyText(omit.toString())) continue;
        if (n == rows.size()) rows.emplace_back();
        reader.read(*list, rows[n++]);
        if (n < kRowsAtOnce) continue;
        if (!feed.put(rows)) return;
        n = 0;
    }
    rows.resize(n);
    if (n > 0) feed.put(rows);
}

// Enables a widget again when the scope ends, however it ends.
class Disabled {
public:
    explicit Disabled(QWidget* w) : w_(w) {
        if (w_) w_->setEnabled(false);
    }
    ~Disabled() {
        if (w_) w_->setEnabled(true);
    }
    Disabled(const Disabled&) = delete;
    Disabled& operator=(const Disabled&) = delete;

private:
    QWidget* w_;
};

} // namespace

namespace {

// Opens the format's report file, points it at the working copy, sets the formulas (detail and
// summary) and the sort (when given), then previews or prints it.
bool handToEngine(ReportEngine& engine, const PrintRequest& request, const QString& title,
                  const dataset::DataSet& dataSet, const QString& sortField, const QString& failure) {
    const QString file = reportFileFor(request.format, dataSet);
    try {
        engine.open(file);
    } catch (const std::exception& e) {
        // What is wrong with it follows: missing, not a file, or asking for more than a report may.
        say(missingReport(file) + QStringLiteral("\n\n") + reasonOf(e));
        return false;
    }
    try {
        const QString copy = dataset::workingCopyPath();
        engine.setTableLocation(1, copy);
        if (request.format == PrintFormat::Detail) engine.setTableLocation(2, copy);
        if (request.format == PrintFormat::Detail || request.format == PrintFormat::Summary) {
            // The title goes in as plain text: quotes in it are just characters.
            engine.setFormula(QStringLiteral("SEARCHNAME"), title);
            engine.setFormula(QStringLiteral("STATE"), dataSet.code);
        }
        if (!sortField.isEmpty()) engine.addSortField(sortField);
        ui::setDefaultPointer();
        if (request.toWindow) {
            engine.preview();
            return true;
        }
        return engine.print(request.copies);
    } catch (const std::exception& e) {
        reportFailure(failure, reasonOf(e));
        return false;
    }
}

} // namespace

QString reportFileFor(PrintFormat format, const dataset::DataSet& dataSet) {
    switch (format) {
    case PrintFormat::Detail:
        return dataSet.isNY() ? QStringLiteral("VKPRTANY.RPT") : QStringLiteral("VKPRTALL.RPT");
    case PrintFormat::Summary:
        return QStringLiteral("VKPRTSUM.RPT");
    case PrintFormat::LaserLabels:
        return QStringLiteral("VKLABELL.RPT");
    case PrintFormat::DotMatrixLabels:
        return QStringLiteral("VKLABELS.RPT");
    }
    return QString();
}

QString sortFieldFor(PrintSort sort) {
    switch (sort) {
    case PrintSort::Name:
        return QStringLiteral("{PRIME.NAME1}");
    case PrintSort::ExpirationDate:
        return QStringLiteral("{PRIME.EXPIRE}");
    case PrintSort::ZipCode:
        return QStringLiteral("{PRIME.ZIP}");
    }
    return QString();
}

bool runPrint(const PrintRequest& request, const SearchToPrint& search, const dataset::DataSet& dataSet,
              const QString& programFolder, ReportEngine& engine, PrintProgress& progress) {
    ui::BusyCursor busy;
    if (search.count <= 0) {
        say(QStringLiteral("This search has no companies to print."));
        return false;
    }
    if (!dataset::replaceWorkingCopy(programFolder)) {
        say(QStringLiteral("VKPRINT CMD1 CANNOT FIND SYSTEM DIRECTORY!"));
        return false;
    }
    const QString copy = dataset::workingCopyPath();

    long long written = 0;
    try {
        std::unique_ptr<dao::Database> reportDb = dao::Database::open(copy);
        reportDb->setScratch();
        dataset::ReportRowWriter writer(writerFor(request), dataSet, nullptr, reportDb.get());
        // Read on a thread of their own while the rows read before are written.
        EmployersAhead employers(kBatchesAhead, [&, kind = writerFor(request)](EmployersAhead::Feed& feed) {
            readEmployers(feed, kind, dataSet, programFolder, search.sql);
        });
        progress.gathering(search.count);
        // Batches of kPrintBatch employers; a failure rolls the open batch back.
        int batch = 0;
        std::optional<dao::Transaction> transaction(std::in_place, *reportDb);
        for (std::vector<dataset::ReportRow> rows; employers.take(rows) == EmployersAhead::Taken::Item;) {
            for (const dataset::ReportRow& row : rows) {
                ++written;
                if (++batch == kPrintBatch) {
                    transaction->commit();
                    transaction.emplace(*reportDb);
                    batch = 0;
                }
                progress.written(written);
                writer.write(row);
            }
            employers.giveBack(std::move(rows));
        }
        transaction->commit();
        if (written > 0) progress.gathered(written);
    } catch (const std::exception& e) {
        reportFailure(QStringLiteral("The report could not be prepared, so nothing was printed."),
                      reasonOf(e));
        return false;
    }
    if (written == 0) {
        say(QStringLiteral(
            "Nothing was printed: every company of this search is marked to be left out of printing."));
        return false;
    }

    return handToEngine(engine, request, search.title, dataSet, sortFieldFor(request.sort),
                        QStringLiteral("The report could not be printed."));
}

QString recordDocumentName(const QString& name1, const QString& file, const QString& sequence) {
    QString name = name1 + QLatin1Char(' ') + file.trimmed() + QLatin1Char('-') + sequence.trimmed();
    // A folder separator, a character other systems refuse, or a control character would make the
    // offered name a path or a name that cannot be saved.
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char(' ');
    return name.simplified();
}

bool printRecord(const QString& file, const QString& sequence, const dataset::DataSet& dataSet,
                 const QString& programFolder, ReportEngine& engine, QWidget* listForm) {
    ui::BusyCursor busy;
    if (!dataset::replaceWorkingCopy(programFolder)) {
        say(QStringLiteral("VKLIST PRINTCUR CANNOT FIND SYSTEM DIRECTORY!"));
        return false;
    }
    const QString copy = dataset::workingCopyPath();
    try {
        std::unique_ptr<dao::Database> reportDb = dao::Database::open(copy);
        reportDb->setScratch();
        std::unique_ptr<dao::Database> state = openState(dataSet, programFolder);
        std::unique_ptr<dao::Recordset> prime = state->OpenTable(QStringLiteral("PRIME"));
        prime->setIndex(QStringLiteral("PRIMARY"));
        prime->Seek(QStringLiteral("="), {file, sequence});
        if (prime->NoMatch()) {
            say(QStringLiteral("This company is no longer in the data set, so nothing was printed."));
            return false;
        }
        dataset::ReportRowWriter(dataset::RowWriter::PrintRecord, dataSet, *state, *reportDb).write(*prime);
        engine.setDocumentName(recordDocumentName(prime->text(QStringLiteral("NAME1")), file, sequence));
    } catch (const std::exception& e) {
        reportFailure(
            QStringLiteral("The record could not be prepared for printing, so nothing was printed."),
            reasonOf(e));
        return false;
    }

    Disabled disabled(listForm);
    return handToEngine(engine, {PrintFormat::Detail, PrintSort::Name, false, 1},
                        QStringLiteral("Print Record"), dataSet, QString(),
                        QStringLiteral("The record could not be printed."));
}

} // namespace printing
