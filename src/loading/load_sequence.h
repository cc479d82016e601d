// The load of a data release: which release files take part, the checks before anything is
// changed, the order of the loaders, the data version stamp, and the deletion of the files. Used by
// the start-up (with the splash as progress window) and by velk-load.
#pragma once

#include "loading/load_context.h"

#include <QtGlobal>

namespace loading {

// Lengths of the release files of a data set, taken once before any loader runs: 0 when missing
// or empty, -1 when there but not a regular file (a link, a pipe, a folder: refused by the check).
// Names are matched without regard to case; of two that differ only in case the longer counts.
struct ReleaseFileLengths {
    qint64 sic = 0, employer = 0, county = 0, classLines = 0, classList = 0, addresses = 0;
};
ReleaseFileLengths measureReleaseFiles(const QString& folder, const QString& state);

// A load is offered when any release file but DATA2NY.DAT is there and not empty.
bool offersLoad(const ReleaseFileLengths& lengths);

// Why the release files that take part cannot be loaded whole and deleted afterwards, one line
// each naming the file: a file that is not a regular file, two names that differ only in letter
// case, a file the user could not delete, an employer file that yields no employer. Empty when
// the load may start. The first file named goes to *firstFile.
QStringList releaseFileProblems(const QString& folder, const QString& state,
                                const ReleaseFileLengths& lengths, QString* firstFile = nullptr);

enum class LoadOutcome { Completed, Cancelled };

// Clears the cancel flag, checks the files (releaseFileProblems), then runs the loaders of the
// files whose length is not 0 in one transaction, in the order SIC, CLASSES, CTY<st>, DATA1<st>,
// DATA<st>, DATA2NY (NY only), and stamps the data version when the employer file was loaded.
// After every loader the cancel flag is checked. Only a committed load deletes its release files
// (a file that cannot be deleted is named in ctx.undeleted). A set flag undoes the whole load
// (Cancelled); a failure undoes it and throws LoadFailure. Either way the files are kept.
LoadOutcome runLoadSequence(LoadContext& ctx, const ReleaseFileLengths& lengths);

// Empties VERSION and gives it its one row (Dummy "1", Version = day).
void stampVersion(dao::Database& db, const QDate& day);

} // namespace loading
