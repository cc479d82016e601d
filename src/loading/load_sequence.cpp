#include "loading/load_sequence.h"

#include "dataset/data_set.h"
#include "loading/loaders.h"
#include "loading/release_files.h"
#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "platform/files/folders.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace loading {

namespace {

qint64 lengthOf(const QString& folder, const QString& name) {
    qint64 length = 0;
    for (const QString& entry : entriesNoCase(folder, name)) {
        const QString path = files::joinPath(folder, entry);
        if (!irregularKind(path).isEmpty()) return -1;
        length = std::max(length, files::fileLength(path));
    }
    return length;
}

struct ReleaseFile {
    QString name;
    qint64 length;
};

// The files that take part in a load, in the loaders' order.
QVector<ReleaseFile> takingPart(const QString& state, const ReleaseFileLengths& l) {
    QVector<ReleaseFile> all{{sicFileName(), l.sic},
                             {classListFileName(), l.classList},
                             {countyFileName(state), l.county},
                             {classLineFileName(state), l.classLines},
                             {employerFileName(state), l.employer}};
    if (dataset::isNewYork(state)) all.append({addressFileName(), l.addresses});
    QVector<ReleaseFile> part;
    for (const ReleaseFile& f : all)
        if (f.length != 0) part.append(f);
    return part;
}

// Runs one loader when its file holds something; true when the load is to stop (cancelled).
bool step(LoadContext& ctx, qint64 length, void (*loader)(LoadContext&)) {
    if (length == 0) return false;
    loader(ctx);
    // A click on Cancel during a loader that lets no events run is seen here.
    ctx.letEventsRun();
    return ctx.isCancelled();
}

LoadFailure databaseFailure(const dao::Database& db, const dao::DaoError& e) {
    return LoadFailure(QFileInfo(db.name()).fileName(), 0, e.message());
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

QStringList releaseFileProblems(const QString& folder, const QString& state, const ReleaseFileLengths& l,
                                QString* firstFile) {
    QStringList problems;
    const auto problem = [&](const QString& file, const QString& text) {
        if (problems.isEmpty() && firstFile) *firstFile = file;
        problems << text;
    };
    for (const ReleaseFile& f : takingPart(state, l)) {
        const QStringList entries = entriesNoCase(folder, f.name);
        if (entries.size() > 1) {
            // Loading one now and the other at the next start would mix two releases.
            problem(entries.first(),
                    QStringLiteral("%1: release files whose names differ only in letter case; "
                                   "keep the one that belongs to this release.")
                        .arg(entries.join(QStringLiteral(" and "))));
            continue;
        }
        const QString name = entries.value(0, f.name);
        const QString path = files::joinPath(folder, name);
        if (const QString kind = irregularKind(path); !kind.isEmpty()) {
            problem(name, QStringLiteral("%1 is %2, not a regular file.").arg(name, kind));
            continue;
        }
        if (const QString why = deletionBlocker(deletionRights(folder, path), folder); !why.isEmpty()) {
            // It would be loaded again at every start.
            problem(name, QStringLiteral("%1 could not be deleted after the load: %2.").arg(name, why));
            continue;
        }
        if (f.name == employerFileName(state)) {
            const QString empty =
                employerFileProblem(path, dataset::isNewYork(state) ? Layout::NewYork : Layout::Standard);
            if (!empty.isEmpty()) problem(name, empty);
        }
    }
    return problems;
}

LoadOutcome runLoadSequence(LoadContext& ctx, const ReleaseFileLengths& l) {
    if (ctx.cancelled) *ctx.cancelled = false;
    QString firstFile;
    if (const QStringList problems = releaseFileProblems(ctx.folder, ctx.state, l, &firstFile);
        !problems.isEmpty())
        throw LoadFailure::refused(firstFile, problems);

    dao::Database& db = *ctx.db;
    const bool ny = dataset::isNewYork(ctx.state);
    {
        std::optional<dao::Transaction> load;
        try {
            load.emplace(db);
        } catch (const dao::DaoError& e) {
            throw databaseFailure(db, e);
        }
        if (step(ctx, l.sic, NEWSICSTD)) return LoadOutcome::Cancelled;
        if (step(ctx, l.classList, NEWCLASSLISTSTD)) return LoadOutcome::Cancelled;
        if (step(ctx, l.county, NEWCOUNTYSTD)) return LoadOutcome::Cancelled;
        if (step(ctx, l.classLines, ny ? NEWCLASSNY : NEWCLASSSTD)) return LoadOutcome::Cancelled;
        if (step(ctx, l.employer, ny ? NEWDATANY : NEWDATASTD)) return LoadOutcome::Cancelled;
        if (ny && step(ctx, l.addresses, NEWADDRESSESNY)) return LoadOutcome::Cancelled;
        try {
            if (l.employer != 0) {
                try {
                    stampVersion(db, ctx.today);
                } catch (const dao::DaoError& e) {
                    throw LoadFailure(QStringLiteral("VERSION"), 0, e.message());
                }
            }
            load->commit();
        } catch (const dao::DaoError& e) {
            throw databaseFailure(db, e);
        }
    }

    // Only now: until the commit the files are what a next start loads again.
    for (const ReleaseFile& f : takingPart(ctx.state, l)) {
        QFile file(files::findFileNoCase(ctx.folder, f.name));
        if (!file.remove())
            ctx.undeleted << QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(), file.errorString());
    }
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
