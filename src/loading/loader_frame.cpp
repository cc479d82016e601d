#include "loading/loader_frame.h"

#include "loading/release_records.h"
#include "platform/dao/dao.h"
#include "platform/dao/indexes_aside.h"
#include "platform/dao/statement.h"
#include "platform/files/fixed_records.h"
#include "platform/files/folders.h"

#include <QFileInfo>

#include <exception>
#include <optional>

namespace loading {

namespace {

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
                    const std::function<std::unique_ptr<RecordLoader>()>& makeLoader) {
    const bool batched = spec.batchSize > 0;
    // A stop asked for before this loader began leaves its tables untouched.
    if (batched && ctx.isCancelled()) return false;

    dao::Database& db = *ctx.db;
    const QString path = files::findFileNoCase(ctx.folder, spec.fileName);
    const QString name = QFileInfo(path).fileName(); // as spelt on disk, for messages
    std::optional<files::FixedRecordReader> reader;
    try {
        reader.emplace(path, spec.recordLength);
        dao::Transaction changes(db);
        dao::IndexesSetAside indexes(db, spec.emptied);
        for (const QString& table : spec.emptied)
            db.execute(QStringLiteral("DELETE * FROM ") + table);
        const std::unique_ptr<RecordLoader> loader = makeLoader();

        int batchCount = 0;
        if (batched) {
            ctx.LoadTotal = 0;
            ctx.showProgress(spec.progressText + QString::number(ctx.LoadTotal));
            ctx.letEventsRun();
        }
        QByteArray rec;
        while (!(batched && ctx.isCancelled()) && reader->next(rec)) {
            if (batched) {
                ++batchCount;
                ctx.letEventsRun();
            }
            if (!spec.filter || sortsAfter(rec, spec.filter)) loader->handle(rec);
            // The batch points of the original's commits, kept as progress points.
            if (batched && batchCount > spec.batchSize) {
                ctx.LoadTotal += spec.batchSize;
                ctx.showProgress(spec.progressText + QString::number(ctx.LoadTotal));
                batchCount = 0;
                ctx.letEventsRun();
            }
        }
        if (batched && ctx.isCancelled()) return false; // the transaction undoes the loader's work
        loader->finish();
        indexes.restore();
        changes.commit();
    } catch (...) {
        throw failureOf(std::current_exception(), name, reader ? reader->recordNumber() : 0);
    }
    return true;
}

} // namespace loading
