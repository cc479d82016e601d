#include "export/export_run.h"

#include "dataset/report_database.h"
#include "dataset/report_rows.h"
#include "platform/dao/dao.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/statement.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_read.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

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
    // A line made by appendLine before.
    void encodedLine(QByteArrayView bytes) {
        buffer_.append(bytes);
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

// The rows of the export, read one after another as stored; each field the export reads is found
// once by name, and one the query lacks, or the data set's lines do not read, stays Null.
class RowSource {
public:
    RowSource(dao::Database& db, const QString& jetSql, bool newJersey)
        : rows_(db, dao::translateJetSql(jetSql)) {
        index_.fill(-1);
        for (int i = 0; i < fieldsRead(newJersey); ++i)
            index_[size_t(i)] = rows_.columnIndex(fieldName(Field(i)));
    }
    // The rows of PRIME whose rowids keysSql gives, for lines in that order: the rows are put in
    // order by their keys alone, then read by rowid, only the fields the export writes.
    static std::unique_ptr<RowSource> byRowid(dao::Database& db, const QString& keysSql, bool newJersey) {
        QStringList fields;
        {
            const RowSource all(db, QStringLiteral("SELECT * FROM PRIME WHERE 0"), newJersey);
            for (int i = 0; i < kFieldCount; ++i)
                if (all.index_[size_t(i)] >= 0) fields << fieldName(Field(i));
        }
        auto source = std::make_unique<RowSource>(
            db, QStringLiteral("SELECT %1 FROM PRIME WHERE rowid = ?").arg(fields.join(QLatin1String(", "))),
            newJersey);
        dao::Statement keys(db, dao::translateJetSql(keysSql));
        source->rowids_.emplace();
        while (keys.step())
            source->rowids_->push_back(keys.column(0).toLongLong());
        return source;
    }
    // True when the rows come a chunk at a time out of the export's order (see chunk()).
    bool reordered() const { return rowids_.has_value(); }
    // The chunk the last row came from (counted from 1), its size, and the row's place in the
    // export's order within it. A chunk's rows are read in stored order, where a row and its
    // mods and classes lie beside those just read, not all over the file as in the name order.
    size_t chunk() const { return chunk_; }
    size_t chunkSize() const { return readOrder_.size(); }
    size_t position() const { return position_; }

    bool next(SourceRow& row) {
        if (!rowids_) {
            if (!rows_.step()) return false;
        } else {
            do {
                if (at_ == readOrder_.size() && !nextChunk()) return false;
                position_ = readOrder_[at_++];
                rows_.reset();
                rows_.bind(1, (*rowids_)[chunkStart_ + position_]);
            } while (!rows_.step());
        }
        for (size_t i = 0; i < index_.size(); ++i) {
            if (index_[i] < 0) continue;
            if (const QByteArrayView text = rows_.columnUtf8(index_[i]); !text.isNull())
                decode(row.values[i], text);
            else
                row.values[i] = rows_.column(index_[i]);
        }
        return true;
    }

private:
    // Lines of a chunk wait in memory for their turn: a few MB.
    static constexpr size_t kChunk = 8192;

    bool nextChunk() {
        chunkStart_ += readOrder_.size();
        if (chunkStart_ >= rowids_->size()) return false;
        readOrder_.resize(std::min(kChunk, rowids_->size() - chunkStart_));
        std::iota(readOrder_.begin(), readOrder_.end(), size_t(0));
        const qint64* ids = rowids_->data() + chunkStart_;
        std::sort(readOrder_.begin(), readOrder_.end(),
                  [ids](size_t a, size_t b) { return ids[a] < ids[b]; });
        at_ = 0;
        ++chunk_;
        return true;
    }

    // Text is decoded into the string the field held in the row before, which no one else holds
    // by then: the fields of a row take no memory of their own.
    void decode(QVariant& value, QByteArrayView utf8) {
        if (value.typeId() != QMetaType::QString) value = QString();
        QString& text = *static_cast<QString*>(value.data());
        text.resize(utf8.size()); // UTF-16 takes no more units than UTF-8 bytes
        text.truncate(utf8_.appendToBuffer(text.data(), utf8) - text.constData());
    }

    dao::Statement rows_;
    QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    std::array<int, kFieldCount> index_{};
    std::optional<std::vector<qint64>> rowids_;
    std::vector<size_t> readOrder_; // the chunk's places in the export's order, by rowid
    size_t chunkStart_ = 0, chunk_ = 0, at_ = 0, position_ = 0;
};

// SQLite's order of two stored values: Null, then numbers, then text (by code unit: the same as
// SQLite's bytes for the dates compared here), then the rest.
int compareStored(const QVariant& a, const QVariant& b) {
    const auto rank = [](const QVariant& v) {
        if (!v.isValid() || v.isNull()) return 0;
        return v.typeId() == QMetaType::QString ? 2 : v.typeId() == QMetaType::QByteArray ? 3 : 1;
    };
    const int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 1) return a.toDouble() < b.toDouble() ? -1 : a.toDouble() > b.toDouble() ? 1 : 0;
    if (ra == 2)
        return QString::compare(*static_cast<const QString*>(a.constData()),
                                *static_cast<const QString*>(b.constData()));
    return ra == 3 ? a.toByteArray().compare(b.toByteArray()) : 0;
}

// A code as the class list's index compares it: letters A to Z without regard to case.
QString withoutCase(const QString& code) {
    const auto lower = [](QChar c) { return c >= u'a' && c <= u'z'; };
    if (std::none_of(code.begin(), code.end(), lower)) return code;
    QString upper = code;
    for (QChar& c : upper)
        if (lower(c)) c = QChar(c.unicode() - (u'a' - u'A'));
    return upper;
}

// The employer's mods, newest first, and its classes with the class list's descriptions, each
// read by its key with bound values. The few mods of an employer are put in order here and the
// class list is looked up in memory: a query's own sort and join cost more than the reading.
class EmployerReader {
public:
    EmployerReader(dao::Database& db, ExportFormat format)
        : mods_(db, QStringLiteral(
                        "SELECT EXPIRE, MOD, EFFECTIVE, ISSUE FROM MODS WHERE FILE = ? AND SEQUENCE = ?")),
          modLimit_(format == ExportFormat::FixedLength ? kModPairs : modPairsOf(format)) {
        if (!hasClasses(format)) return;
        classes_ = std::make_unique<dao::Statement>(
            db,
            QStringLiteral("SELECT CLASS FROM CLASS WHERE FILE = ? AND SEQUENCE = ? ORDER BY CLASS LIMIT %1")
                .arg(kClassPairs));
        dao::Statement list(db, QStringLiteral("SELECT CLASS, \"DESC\" FROM CLASSLIST"));
        while (list.step())
            if (list.column(0).typeId() == QMetaType::QString)
                classList_.insert(withoutCase(list.column(0).toString()),
                                  {list.column(0), list.column(1), true});
    }

    void read(const SourceRow& row, Employer& e) {
        // The key as UTF-8 once for both queries, bound without a copy.
        file_ = valueText(row[Field::FILE]).toUtf8();
        sequence_ = valueText(row[Field::SEQUENCE]).toUtf8();
        bindKey(mods_);
        found_.resize(0);
        while (mods_.step())
            found_.append({mods_.column(2), mods_.column(0), mods_.column(3), mods_.column(1)});
        // Newest first by effective date, then expiry, then issue; equal ones as they are stored.
        std::stable_sort(found_.begin(), found_.end(), [](const Mod& a, const Mod& b) {
            for (int k = 0; k < 3; ++k)
                if (const int c = compareStored(a.keys[k], b.keys[k])) return c > 0;
            return false;
        });
        e.mods.resize(0);
        for (qsizetype i = 0; i < found_.size() && i < modLimit_; ++i)
            e.mods.append({found_[i].keys[1], found_[i].mod});
        e.classes.resize(0);
        if (!classes_) return;
        bindKey(*classes_);
        while (classes_->step()) {
            const QVariant code = classes_->column(0);
            const auto listed = code.typeId() == QMetaType::QString
                                    ? classList_.constFind(withoutCase(code.toString()))
                                    : classList_.constEnd();
            e.classes.append(listed != classList_.constEnd() ? *listed : ClassValue{code, QVariant(), false});
        }
    }

private:
    void bindKey(dao::Statement& query) const {
        query.bindUtf8(1, file_.constData(), file_.size());
        query.bindUtf8(2, sequence_.constData(), sequence_.size());
    }

    struct Mod {
        QVariant keys[3]; // EFFECTIVE, EXPIRE, ISSUE
        QVariant mod;
    };
    dao::Statement mods_;
    int modLimit_;
    QVector<Mod> found_;
    std::unique_ptr<dao::Statement> classes_;
    QHash<QString, ClassValue> classList_;
    QByteArray file_, sequence_;
};

void tell(const QString& text) {
    ui::setDefaultPointer();
    ui::MsgBox(text, ui::vbOKOnly);
}

void notWritten(const QString& reason) {
    tell(QStringLiteral("The export was not written; an earlier file of that name is as it was.\n\n") + reason);
}

// Writes the header and a line for every row of rows that is not left out.
long long writeRows(RowSource& rows, dao::Database& state, const ExportOptions& options, bool byExpiry,
                    bool newJersey, OutputFile& out, ExportProgress& progress) {
    if (options.format != ExportFormat::FixedLength) out.line(headerLine(options.format, newJersey));
    EmployerReader employers(state, options.format);
    SourceRow row;
    Employer employer;
    long long count = 0;
    // Lines of a chunk read out of the export's order, in that order; null for rows left out.
    std::vector<QByteArray> waiting;
    size_t chunk = 0;
    const auto writeWaiting = [&] {
        for (const QByteArray& line : waiting)
            if (!line.isNull()) out.encodedLine(line);
        waiting.clear();
    };
    while (rows.next(row)) {
        if (rows.reordered() && rows.chunk() != chunk) {
            writeWaiting();
            waiting.resize(rows.chunkSize());
            chunk = rows.chunk();
        }
        if (isLeftOut(row)) continue;
        progress.counted(++count);
        const ExportFields fields = prepareExportRow(row, byExpiry, options.lowerCase);
        employers.read(row, employer);
        const QString line = options.format == ExportFormat::FixedLength
                                 ? fixedLine(row, fields, employer, newJersey)
                                 : delimitedLine(options.format, row, fields, employer, newJersey);
        if (rows.reordered())
            appendLine(waiting[rows.position()], line);
        else
            out.line(line);
    }
    writeWaiting();
    return count;
}

// The most of the state database read in place (SQLite caps it at its own largest size).
constexpr qint64 kMappedBytes = qint64(4) << 30;

// Rows of the expiry pass committed together; a failure leaves the working copy unused.
constexpr int kExpiryBatch = 500;

// The expiry order: every row of the search, omitted ones too, copied into the working copy of
// the report database with the month and day of its newest mod's expiry, then read back by that,
// 31 December first. Null when the working copy cannot be made; error says why.
std::unique_ptr<RowSource> expiryOrdered(const QString& searchSql, const dataset::DataSet& dataSet,
                                         const QString& programFolder, dao::Database& state,
                                         std::unique_ptr<dao::Database>& report, ExportProgress& progress,
                                         QString& error) {
    if (!dataset::replaceWorkingCopy(programFolder, &error)) return nullptr;
    report = dao::Database::open(dataset::workingCopyPath());
    report->setScratch();
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
    return std::make_unique<RowSource>(*report, QStringLiteral("SELECT * FROM PRIME ORDER BY EXPIRE DESC"),
                                       dataSet.isNJ());
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

QString nameOrderRowids(const QString& searchSql, SortOrder sort) {
    // The search list's SQL as the search building makes it.
    static const QString head = QStringLiteral("SELECT * FROM PRIME WHERE ");
    const QString search = withoutOrder(searchSql);
    if (sort != SortOrder::Name || search.size() == searchSql.size() || !search.startsWith(head)) return {};
    // The unary plus keeps the name's collation but not its index, which SQLite would walk whole.
    return QStringLiteral("SELECT rowid FROM PRIME WHERE rowid IN (SELECT rowid FROM PRIME WHERE %1) "
                          "ORDER BY +NAMESORT, FILE, SEQUENCE")
        .arg(search.mid(head.size()));
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
            dao::Database::open(dataSet.databasePath(programFolder), false, true, dataSet.connect);
        // The run reads its rows and every employer's mods and classes once, all over the file: the
        // pages are read where the system keeps them rather than copied into the connection first.
        state->execute(QStringLiteral("PRAGMA mmap_size=%1").arg(kMappedBytes));
        // The whole search counts, however far the list has read it.
        const long long companies =
            state->scalar(QStringLiteral("SELECT COUNT(*) FROM (%1)").arg(withoutOrder(searchSql))).toLongLong();
        const long long employers = state->scalar(QStringLiteral("SELECT COUNT(*) FROM PRIME")).toLongLong();
        if (exceedsRecordLimit(companies, employers)) {
            tell(tooMuchDataText());
            return {ExportEnd::TooMuchData};
        }
        progress.started(companies);
        // The rows, their mods and classes as they stand at one moment, whatever another copy of
        // the program writes meanwhile (it waits for the end of the run).
        dao::Transaction reading(*state);

        // A single record (no order clause) is read as it stands in every order.
        const bool byExpiry = options.sort == SortOrder::Expiry && searchSql.contains(kOrderBy);
        std::unique_ptr<dao::Database> report;
        std::unique_ptr<RowSource> rows;
        if (byExpiry) {
            QString error;
            rows = expiryOrdered(searchSql, dataSet, programFolder, *state, report, progress, error);
            if (!rows) {
                tell(noWorkingCopyText() + QLatin1Char('\n') + error);
                return {ExportEnd::NoWorkingCopy};
            }
        } else if (const QString keys = nameOrderRowids(searchSql, options.sort); !keys.isEmpty()) {
            rows = RowSource::byRowid(*state, keys, dataSet.isNJ());
        } else {
            rows =
                std::make_unique<RowSource>(*state, reorderedSearch(searchSql, options.sort), dataSet.isNJ());
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
