// The load of a data release: which release files take part, the order of the loaders, the data
// version stamp. Used by the start-up (with the splash as progress window) and by velk-load.
#pragma once

#include "loading/load_context.h"

#include <QtGlobal>

namespace loading {

// Lengths of the release files of a data set, taken once before any loader runs (0: missing).
struct ReleaseFileLengths {
    qint64 sic = 0, employer = 0, county = 0, classLines = 0, classList = 0, addresses = 0;
};
ReleaseFileLengths measureReleaseFiles(const QString& folder, const QString& state);

// A load is offered when any release file but DATA2NY.DAT holds something.
bool offersLoad(const ReleaseFileLengths& lengths);

enum class LoadOutcome { Completed, Cancelled };

// Clears the cancel flag, then runs the loaders of the files whose length is not 0, in the order
// SIC, CLASSES, CTY<st>, DATA1<st>, DATA<st> (then the VERSION stamp), DATA2NY (NY only). After
// every loader the cancel flag is checked: a set flag ends the sequence with Cancelled. Throws
// LoadFailure when a loader or the stamp fails; the later loaders then do not run.
LoadOutcome runLoadSequence(LoadContext& ctx, const ReleaseFileLengths& lengths);

// Empties VERSION and gives it its one row (Dummy "1", Version = day), in one transaction.
void stampVersion(dao::Database& db, const QDate& day);

} // namespace loading
