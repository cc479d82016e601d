// Preparing a saved search for the list form: read its file, check it, build its SQL, and the
// "Copy SQL to Clipboard" behaviour.
#pragma once

#include "platform/dao/query_terms.h"
#include "search/lookup_parameter.h"

#include <QString>

namespace search {

struct PreparedSearch {
    bool ok = false;       // false: a message was shown and the list form falls back to tab 0
    SqlParameters lookups; // as read from the file
    QString sql;           // the search SQL without ORDER BY
    dao::QueryTerms terms; // the same search in parts, as the list's recordset runs it
};

// Reads folder/fileName, refuses it with a "Parameter Verification" warning when verifyLookups objects,
// or with a warning naming the file when it cannot be read; otherwise builds the SQL, says
// "ALL RECORDS SELECTED" when there is no condition, and copies the SQL when copyMarked is set.
PreparedSearch prepareSearch(const QString& folder, const QString& fileName, const QString& state,
                             bool copyMarked);

// With the mark set: puts sql on the clipboard as text and shows it in a plain message box.
void copySqlIfMarked(bool copyMarked, const QString& sql);

} // namespace search
