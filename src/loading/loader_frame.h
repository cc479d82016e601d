// The frame every loader shares: find and open the release file, set aside the target tables'
// secondary indexes and empty the tables, read the records through the record filter, show
// progress at the batch points, stop on the cancel flag, build the indexes again. All of it is one
// transaction (a savepoint inside the load's own): a failure or a stop undoes every change of the
// loader. The release file stays; the load sequence deletes it once the whole load is committed.
#pragma once

#include "loading/load_context.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

namespace loading {

// What a loader does with the records that pass the filter.
class RecordLoader {
public:
    virtual ~RecordLoader() = default;
    virtual void handle(const QByteArray& record) = 0;
    // After the last record (not after a stop): totals into the context.
    virtual void finish() {}
};

struct FrameSpec {
    QString fileName;             // as shipped; found without regard to case
    int recordLength = 0;         // CR LF included
    const char* filter = nullptr; // handled only when the record sorts after it; null: no filter
    QStringList emptied;          // tables emptied before the first record
    int batchSize = 0;            // 0: a plain loader
    QString progressText;         // batched loaders: followed by the running total
};

// makeLoader runs after the tables are emptied. Returns false when the loader stopped on the
// cancel flag, its changes undone. Throws LoadFailure, its changes undone.
bool runLoaderFrame(LoadContext& ctx, const FrameSpec& spec,
                    const std::function<std::unique_ptr<RecordLoader>()>& makeLoader);

} // namespace loading
