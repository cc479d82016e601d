#include "loading/loader_frame.h"

#include "loading/release_records.h"
#include "platform/dao/dao.h"
#include "platform/files/fixed_records.h"
#include "platform/files/folders.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace loading {

namespace {

// A batched loader loses its open batch; a plain loader, which saves its rows one by one, keeps
// the rows it wrote before the failure.
void endAfterFailure(dao::Database& db, bool keepRows) {
    try {
        if (!db.inTransaction()) return;
        if (keepRows) {
            try {
                db.CommitTrans();
                return;
            } catch (...) {
                if (!db.inTransaction()) return;
            }
        }
        db.Rollback();
    } catch (...) {
        // The failure being reported matters more than one of its rollback.
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
        db.BeginTrans();
        QByteArray rec;
        while (!(batched && ctx.isCancelled()) && reader->next(rec)) {
            if (batched) {
                ++batchCount;
                ctx.letEventsRun();
            }
            if (!spec.filter || sortsAfter(rec, spec.filter)) handle(rec);
            if (batched && batchCount > spec.batchSize) {
                db.CommitTrans();
                ctx.LoadTotal += spec.batchSize;
                ctx.showProgress(spec.progressText + QString::number(ctx.LoadTotal));
                batchCount = 0;
                ctx.letEventsRun();
                db.BeginTrans();
            }
        }
        db.CommitTrans();
    } catch (const LoadFailure&) {
        endAfterFailure(db, !batched);
        throw;
    } catch (const files::MalformedFile& e) {
        endAfterFailure(db, !batched);
        throw LoadFailure(name, e.recordNumber(), e.reason());
    } catch (const dao::DaoError& e) {
        endAfterFailure(db, !batched);
        throw LoadFailure(name, reader ? reader->recordNumber() : 0, e.message());
    } catch (const std::exception& e) {
        endAfterFailure(db, !batched);
        throw LoadFailure(name, reader ? reader->recordNumber() : 0, QString::fromUtf8(e.what()));
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
