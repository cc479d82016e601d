// The frame every loader shares: find and open the release file, empty the target tables, read
// the records through the record filter, write in transactions (one per batch for the batched
// loaders, one for the whole small file for the plain ones), show progress, stop on the cancel
// flag, delete the file. A failure becomes a LoadFailure: a batched loader rolls back its open
// batch, a plain loader keeps the rows written before it.
#pragma once

#include "loading/load_context.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

namespace loading {

using RecordHandler = std::function<void(const QByteArray& record)>;

struct FrameSpec {
    QString fileName;             // as shipped; found without regard to case
    int recordLength = 0;         // CR LF included
    const char* filter = nullptr; // handled only when the record sorts after it; null: no filter
    QStringList emptied;          // tables emptied before the first record
    int batchSize = 0;            // 0: a plain loader
    QString progressText;         // batched loaders: followed by the running total
};

// makeHandler runs after the tables are emptied; its handler is called for every record that
// passes the filter. Returns false when the loader stopped on the cancel flag (file kept).
bool runLoaderFrame(LoadContext& ctx, const FrameSpec& spec,
                    const std::function<RecordHandler()>& makeHandler);

} // namespace loading
