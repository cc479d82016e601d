// Where an archive entry may be written: its name made into a path relative to the target folder,
// and that path resolved against the folder's existing files without regard to case.
#pragma once

#include <QString>
#include <QStringList>

namespace files {
class NoCaseLookup;
}

namespace archive {

struct EntryPath {
    QStringList segments;   // the folder names and the file name, in order; empty when refused
    bool directory = false; // the entry is a folder (its name ended in "/")
    QString refusal;        // why the name may not be extracted; empty when it may
};

// Makes an entry name a relative path. "\" counts as a separator (archives made on Windows),
// empty and "." segments are dropped. Refused: an empty name, an absolute name, a drive name
// ("C:..."), any ".." segment, control characters.
EntryPath entryPath(const QString& name);

struct Destination {
    QString path;          // where the entry is written: existing folders and files keep their spelling
    bool replaces = false; // a file is already there and will be replaced
    QString refusal;       // why nothing may be written there; empty when it may
};

// The place in folder where an entry with the given (accepted) path lands. Each segment takes the
// spelling of an existing entry of that name without regard to case (so "velkpa.mdb" replaces an
// existing "VELKPA.MDB" rather than lying beside it). Refused: a path that, through a link among
// the existing folders, would end outside folder; a file in the way of a folder and the reverse;
// a name or path longer than the file system takes.
// Many entries resolved into one folder share a lookup, which lists each folder once.
Destination resolveDestination(const QString& folder, const EntryPath& entry,
                               files::NoCaseLookup* lookup = nullptr);

} // namespace archive
