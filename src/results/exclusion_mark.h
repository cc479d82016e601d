// The exclusion mark of a record (PRIME.Omit), written by the record's key, never by its row's
// place in a result: after another copy of the program loads a release, that place may hold
// another employer.
#pragma once

#include <QString>

#include <optional>

namespace dao {
class Database;
}

namespace results {

// Toggles the mark of the record (file, sequence) as it is stored now ("Y" becomes one blank,
// anything else "Y"), in one transaction, and returns the value written; nothing, and nothing
// written, when no PRIME row has that key. Throws dao::DaoError.
std::optional<QString> toggleExclusion(dao::Database& db, const QString& file, const QString& sequence);

} // namespace results
