#include "loading/loader_frame.h"

#include "loading/release_records.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/fixed_records.h"
#include "platform/files/folders.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <memory>
#include <optional>

namespace loading {

namespace {

// A plain loader saves its rows one by one: a failure keeps the rows written before it. (A batched
// loader loses its open batch, which its transaction rolls back as it goes.)
void keepWrittenRows(dao::Transaction& rows) {
    try {
        if (!rows.committed()) rows.commit();
    } catch (...) {
        // Not kept after all; the failure being reported matters more.
    }
}

// The failure of a loader as the user reads it: the file, the record and the reason.
LoadFailure failureOf(std::exception_ptr error, const QString& name, long long record) {
    try {
        std::rethrow_exception(error);
    } catch (const LoadFailure& f) {
        return f;
    } catch (const files::MalformedFile& e) {
        return LoadFailure(name, e.recordNumber(), e.reason());
    } catch (const dao::DaoError& e) {
        return LoadFailure(name, record, e.message());
    } catch (const std::exception& e) {
        return LoadFailure(name, record, QString::fromUtf8(e.what()));
    }
}

} // namespace

bool runLoaderFrame(LoadContext& ctx, const FrameSpec& spec,
                    const std::function<RecordHandler()>& makeHandler) {
    const bool batched = spec.batchSize > 0;
    // A stop asked for before this loader began leaves its tables and its file untouched.
    if (batched && ctx.isCancelled()) return false;

    dao::Database& db = *ctx.db;
    const QString path = files::findFileNoCase(ctx.folder, spec.fileName);
    const QString name = QFileInfo(path).fileName(); // as spelt on disk, for messages
    std::unique_ptr<files::FixedRecordReader> reader;
    std::optional<dao::Transaction> batch;
    try {
        reader = std::make_unique<files::FixedRecordReader>(path, spec.recordLength);
        for (const QString& table : spec.emptied)
            db.execute(QStringLiteral("DELETE * FROM ") + table);
        const RecordHandler handle = makeHandler();

        int batchCount = 0;
        if (batched) {
            ctx.LoadTotal = 0;
            ctx.showProgress(spec.progressText + QString::number(ctx.LoadTotal));
            ctx.letEventsRun();
        }
        batch.emplace(db);
        QByteArray rec;
        while (!(batched && ctx.isCancelled()) && reader->next(rec)) {
            if (batched) {
                ++batchCount;
                ctx.letEventsRun();
            }
            if (!spec.filter || sortsAfter(rec, spec.filter)) handle(rec);
            if (batched && batchCount > spec.batchSize) {
                batch->commit();
                ctx.LoadTotal += spec.batchSize;
                ctx.showProgress(spec.progressText + QString::number(ctx.LoadTotal));
                batchCount = 0;
                ctx.letEventsRun();
                batch.emplace(db);
            }
        }
        batch->commit();
    } catch (...) {
        if (!batched && batch) keepWrittenRows(*batch);
        throw failureOf(std::current_exception(), name, reader ? reader->recordNumber() : 0);
    }
    reader.reset();

    if (batched && ctx.isCancelled()) return false;
    QFile file(path);
    if (!file.remove())
        throw LoadFailure(
            name, 0,
            QStringLiteral("The file was loaded but could not be deleted (%1).").arg(file.errorString()),
            false);
    return true;
}

} // namespace loading
