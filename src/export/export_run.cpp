#include "export/export_run.h"

#include "dataset/report_database.h"
#include "dataset/report_rows.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_read.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QFileInfo>

#include <memory>
#include <optional>

namespace exporting {

namespace {

const QString kOrderBy = QStringLiteral(" ORDER BY ");

// A failure of the run after the file was begun, with what the user reads about it.
struct RunFailure {
    QString reason;
};

// The file being written: lines gathered in memory and written in large pieces to a temporary
// file beside the target, which takes the target's place only at commit.
class OutputFile {
public:
    explicit OutputFile(const QString& path) : path_(path), file_(path) { buffer_.reserve(kFlushBytes + 4096); }
    bool ok() const { return file_.ok(); }
    QString reason() const { return file_.reason(); }

    void line(const QString& text) {
        appendLine(buffer_, text);
        if (buffer_.size() >= kFlushBytes) flush();
    }
    void commit() {
        flush();
        if (!file_.commit()) fail();
    }

private:
    static constexpr qsizetype kFlushBytes = qsizetype(1) << 20;
    void flush() {
        if (!file_.write(buffer_.constData(), buffer_.size())) fail();
        buffer_.resize(0);
    }
    [[noreturn]] void fail() const { throw RunFailure{path_ + QStringLiteral(": ") + file_.reason()}; }

    QString path_;
    files::ReplacingFile file_;
    QByteArray buffer_;
};

// Where each field of the export stands in the row source, found once.
class RowReader {
public:
    explicit RowReader(const dao::Recordset& rs) {
        for (int i = 0; i < kFieldCount; ++i)
            index_[size_t(i)] = rs.fieldIndex(fieldName(Field(i)));
    }
    void read(const dao::Recordset& rs, SourceRow& row) const {
        for (size_t i = 0; i < index_.size(); ++i)
            row.values[i] = index_[i] < 0 ? QVariant() : rs.value(index_[i]);
    }

private:
    std::array<int, kFieldCount> index_{};
};

// The employer's mods, newest first, and its classes with the class list's descriptions, each
// read by its key with bound values.
class EmployerReader {
public:
    EmployerReader(dao::Database& db, ExportFormat format)
        : mods_(db, QStringLiteral("SELECT EXPIRE, MOD FROM MODS WHERE FILE = ? AND SEQUENCE = ? "
                                   "ORDER BY EFFECTIVE DESC, EXPIRE DESC, ISSUE DESC LIMIT %1")
                        .arg(format == ExportFormat::FixedLength ? kModPairs : modPairsOf(format))) {
        if (hasClasses(format))
            classes_ = std::make_unique<dao::Statement>(
                db, QStringLiteral("SELECT C.CLASS, L.CLASS, L.\"DESC\" FROM CLASS AS C "
                                   "LEFT JOIN CLASSLIST AS L ON L.CLASS = C.CLASS "
                                   "WHERE C.FILE = ? AND C.SEQUENCE = ? ORDER BY C.CLASS LIMIT %1")
                        .arg(kClassPairs));
    }

    void read(const SourceRow& row, Employer& e) {
        const QVariant file = valueText(row[Field::FILE]), sequence = valueText(row[Field::SEQUENCE]);
        e.mods.resize(0);
        mods_.bind(1, file);
        mods_.bind(2, sequence);
        while (mods_.step())
            e.mods.append({mods_.column(0), mods_.column(1)});
        e.classes.resize(0);
        if (!classes_) return;
        classes_->bind(1, file);
        classes_->bind(2, sequence);
        while (classes_->step()) {
            const QVariant listed = classes_->column(1);
            if (listed.isValid() && !listed.isNull())
                e.classes.append({listed, classes_->column(2), true});
            else
                e.classes.append({classes_->column(0), QVariant(), false});
        }
    }

private:
    dao::Statement mods_;
    std::unique_ptr<dao::Statement> classes_;
};

void tell(const QString& text) {
    ui::setDefaultPointer();
    ui::MsgBox(text, ui::vbOKOnly);
}

void notWritten(const QString& reason) {
    tell(QStringLiteral("The export was not written; an earlier file of that name is as it was.\n\n") + reason);
}

// Writes the header and a line for every row of rows that is not left out.
long long writeRows(dao::Recordset& rows, dao::Database& state, const ExportOptions& options, bool byExpiry,
                    bool newJersey, OutputFile& out, ExportProgress& progress) {
    if (options.format != ExportFormat::FixedLength) out.line(headerLine(options.format, newJersey));
    const RowReader reader(rows);
    EmployerReader employers(state, options.format);
    SourceRow row;
    Employer employer;
    long long count = 0;
    for (; !rows.atEOF(); rows.MoveNext()) {
        reader.read(rows, row);
        if (isLeftOut(row)) continue;
        progress.counted(++count);
        const ExportFields fields = prepareExportRow(row, byExpiry, options.lowerCase);
        employers.read(row, employer);
        out.line(options.format == ExportFormat::FixedLength
                     ? fixedLine(row, fields, employer, newJersey)
                     : delimitedLine(options.format, row, fields, employer, newJersey));
    }
    return count;
}

// Rows of the expiry pass committed together; a failure leaves the working copy unused.
constexpr int kExpiryBatch = 500;

// The expiry order: every row of the search, omitted ones too, copied into the working copy of
// the report database with the month and day of its newest mod's expiry, then read back by that,
// 31 December first. Null when the working copy cannot be made; error says why.
std::unique_ptr<dao::Recordset> expiryOrdered(const QString& searchSql, const dataset::DataSet& dataSet,
                                              const QString& programFolder, dao::Database& state,
                                              std::unique_ptr<dao::Database>& report, ExportProgress& progress,
                                              QString& error) {
    if (!dataset::replaceWorkingCopy(programFolder, &error)) return nullptr;
    report = dao::Database::open(dataset::workingCopyPath());
    {
        dataset::ReportRowWriter writer(dataset::RowWriter::ExpiryPass, dataSet, state, *report);
        std::unique_ptr<dao::Recordset> search =
            state.OpenRecordset(withoutOrder(searchSql), dao::RecordsetType::Snapshot, dao::ForwardOnly);
        std::optional<dao::Transaction> batch(std::in_place, *report);
        long long count = 0;
        for (; !search->atEOF(); search->MoveNext()) {
            progress.counted(++count);
            writer.write(*search);
            if (count % kExpiryBatch == 0) {
                batch->commit();
                batch.emplace(*report);
            }
        }
        batch->commit();
    }
    return report->OpenRecordset(QStringLiteral("SELECT * FROM PRIME ORDER BY EXPIRE DESC"),
                                 dao::RecordsetType::Snapshot, dao::ForwardOnly);
}

} // namespace

QString withoutOrder(const QString& searchSql) {
    const qsizetype p = searchSql.lastIndexOf(kOrderBy);
    return p < 0 ? searchSql : searchSql.left(p);
}

QString reorderedSearch(const QString& searchSql, SortOrder sort) {
    const qsizetype p = searchSql.lastIndexOf(kOrderBy);
    if (p < 0 || sort == SortOrder::Expiry) return searchSql;
    return searchSql.left(p) + kOrderBy + (sort == SortOrder::Zip ? QStringLiteral("ZIP") : QStringLiteral("NAMESORT"));
}

bool exceedsRecordLimit(long long searchCount, long long allEmployers) {
    return double(searchCount) > double(allEmployers) * 0.1;
}

QString cannotCreateText() {
    return QStringLiteral("CANNOT CREATE OUTPUT FILE!");
}

QString tooMuchDataText() {
    return QStringLiteral("YOU ARE EXPORTING TOO MUCH DATA");
}

QString noWorkingCopyText() {
    return QStringLiteral("VKEXPORT CMD1 CANNOT FIND SYSTEM DIRECTORY!");
}

QString countMessage(long long companies) {
    return QStringLiteral("Exporting information on %1 companies").arg(companies);
}

ExportResult runExport(const QString& outputPath, const QString& searchSql, const ExportOptions& options,
                       const dataset::DataSet& dataSet, const QString& programFolder, ExportProgress& progress) {
    ui::BusyCursor busy;
    const QFileInfo target(outputPath);
    if (target.exists() && !target.isFile()) {
        tell(cannotCreateText() +
             QStringLiteral("\n\n%1 is %2.").arg(outputPath, files::irregularKind(outputPath)));
        return {ExportEnd::CannotCreate};
    }
    OutputFile out(outputPath);
    if (!out.ok()) {
        tell(cannotCreateText() + QStringLiteral("\n\n%1: %2").arg(outputPath, out.reason()));
        return {ExportEnd::CannotCreate};
    }

    try {
        std::unique_ptr<dao::Database> state =
            dao::Database::open(dataSet.databasePath(programFolder), false, false, dataSet.connect);
        // The whole search counts, however far the list has read it.
        const long long companies =
            state->scalar(QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(withoutOrder(searchSql))).toLongLong();
        const long long employers = state->scalar(QStringLiteral("SELECT COUNT(*) FROM PRIME")).toLongLong();
        if (exceedsRecordLimit(companies, employers)) {
            tell(tooMuchDataText());
            return {ExportEnd::TooMuchData};
        }
        progress.started(companies);

        // A single record (no order clause) is read as it stands in every order.
        const bool byExpiry = options.sort == SortOrder::Expiry && searchSql.contains(kOrderBy);
        std::unique_ptr<dao::Database> report;
        std::unique_ptr<dao::Recordset> rows;
        if (byExpiry) {
            QString error;
            rows = expiryOrdered(searchSql, dataSet, programFolder, *state, report, progress, error);
            if (!rows) {
                tell(noWorkingCopyText() + QLatin1Char('\n') + error);
                return {ExportEnd::NoWorkingCopy};
            }
        } else {
            rows = state->OpenRecordset(reorderedSearch(searchSql, options.sort), dao::RecordsetType::Snapshot,
                                        dao::ForwardOnly);
        }
        const long long written = writeRows(*rows, *state, options, byExpiry, dataSet.isNJ(), out, progress);
        rows.reset();
        out.commit();
        return {ExportEnd::Completed, written};
    } catch (const dao::DaoError& e) {
        notWritten(e.message());
    } catch (const RunFailure& f) {
        notWritten(f.reason);
    } catch (const std::exception& e) {
        notWritten(QString::fromLocal8Bit(e.what()));
    }
    return {ExportEnd::Failed};
}

} // namespace exporting
