#include "loading/load_sequence.h"

#include "dataset/data_set.h"
#include "loading/loaders.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/folders.h"

namespace loading {

namespace {

qint64 lengthOf(const QString& folder, const QString& name) {
    return files::fileLength(files::findFileNoCase(folder, name));
}

// Runs one loader when its file holds something; true when the sequence is to stop (cancelled).
bool step(LoadContext& ctx, qint64 length, void (*loader)(LoadContext&)) {
    if (length == 0) return false;
    loader(ctx);
    // A click on Cancel during a loader that lets no events run is seen here.
    ctx.letEventsRun();
    return ctx.isCancelled();
}

} // namespace

ReleaseFileLengths measureReleaseFiles(const QString& folder, const QString& state) {
    ReleaseFileLengths l;
    l.sic = lengthOf(folder, sicFileName());
    l.employer = lengthOf(folder, employerFileName(state));
    l.county = lengthOf(folder, countyFileName(state));
    l.classLines = lengthOf(folder, classLineFileName(state));
    l.classList = lengthOf(folder, classListFileName());
    l.addresses = lengthOf(folder, addressFileName());
    return l;
}

bool offersLoad(const ReleaseFileLengths& l) {
    return l.sic != 0 || l.employer != 0 || l.county != 0 || l.classLines != 0 || l.classList != 0;
}

LoadOutcome runLoadSequence(LoadContext& ctx, const ReleaseFileLengths& l) {
    if (ctx.cancelled) *ctx.cancelled = false;
    const bool ny = dataset::isNewYork(ctx.state);
    if (step(ctx, l.sic, NEWSICSTD)) return LoadOutcome::Cancelled;
    if (step(ctx, l.classList, NEWCLASSLISTSTD)) return LoadOutcome::Cancelled;
    if (step(ctx, l.county, NEWCOUNTYSTD)) return LoadOutcome::Cancelled;
    if (step(ctx, l.classLines, ny ? NEWCLASSNY : NEWCLASSSTD)) return LoadOutcome::Cancelled;
    if (step(ctx, l.employer, ny ? NEWDATANY : NEWDATASTD)) return LoadOutcome::Cancelled;
    if (l.employer != 0) {
        try {
            stampVersion(*ctx.db, ctx.today);
        } catch (const dao::DaoError& e) {
            throw LoadFailure(QStringLiteral("VERSION"), 0, e.message(), false);
        }
    }
    if (ny && step(ctx, l.addresses, NEWADDRESSESNY)) return LoadOutcome::Cancelled;
    return LoadOutcome::Completed;
}

void stampVersion(dao::Database& db, const QDate& day) {
    dao::Transaction stamp(db);
    db.execute(QStringLiteral("DELETE * FROM VERSION"));
    db.executeBound(QStringLiteral("INSERT INTO VERSION (Dummy, Version) VALUES (?, ?)"),
                    {QStringLiteral("1"), dao::dateToStorage(day)});
    stamp.commit();
}

} // namespace loading
