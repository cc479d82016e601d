// The SQL text of a saved search over PRIME, and the checks made on a search read from its file.
#pragma once

#include "platform/dao/query_terms.h"
#include "search/lookup_parameter.h"

#include <QString>

namespace search {

inline const char* const kVerifyTitle = "Parameter Verification";

// True for a four-digit text (an MMDD expiry or an MMYY NJ A/R value).
bool isFourDigits(const QString& text);
// True for a plain decimal number ("1", "0.95", ".9", "-1.2", blanks around allowed).
bool isDecimalNumber(const QString& text);

// The warning for a search that must not run ("" when it may): an NJ A/R lookup outside NJ, or a
// value that goes into the SQL unquoted (expiry, MOD, NJ A/R) but is not of its form. The files are
// plain text, so what the editor checked is checked again here; the message names the field.
QString verifyLookups(const SqlParameters& lookups, const QString& state);

// The WHERE clause without "WHERE"; "" when the lookups select every record.
QString buildWhereClause(const SqlParameters& lookups);
// "SELECT * FROM PRIME" or "SELECT * FROM PRIME WHERE " & the clause; no ORDER BY.
QString buildSearchSQL(const SqlParameters& lookups);
// The same search as the recordset runs it (text: buildSearchSQL): the clause's conditions one by
// one, cheapest first, and the class tests last, as memberships tested against the classes'
// employers held in memory. The same rows as the text gives; no ORDER BY.
dao::QueryTerms buildSearchTerms(const SqlParameters& lookups);

} // namespace search
