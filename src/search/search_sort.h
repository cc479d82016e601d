// Ordering of a search's result by a column of the search grid.
#pragma once

#include "platform/dao/query_terms.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace search {

// Search grid columns: 0 "File", 1 "Seq", 2 "Name", 3 "Expires" ("Anniversary" in NY), 4 Omit (hidden).
inline constexpr int kColFile = 0;
inline constexpr int kColSeq = 1;
inline constexpr int kColName = 2;
inline constexpr int kColExpires = 3;

// Caption of the expiry column in a data set.
QString expiresCaption(const QString& state);
// The terms of the order by a column: FILE (0), NAME1 (2), MONTH(EXPIRE), DAY(EXPIRE), NAME1 (3);
// none for another column.
QStringList searchOrderTerms(int colnum);
// " ORDER BY FILE" (0), " ORDER BY NAME1" (2), " ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1" (3), else "".
QString searchOrderClause(int colnum);
// The record source for a sort: searchSql with the order clause, or "" when colnum does not re-sort
// (the record source is then left as it is).
QString sortedSearchSQL(const QString& searchSql, int colnum);
// The same in parts (buildSearchTerms): the order clause's terms as values, the text sorted as
// sortedSearchSQL sorts it; nothing when colnum does not re-sort.
std::optional<dao::QueryTerms> sortedSearchTerms(const dao::QueryTerms& search, int colnum);

} // namespace search
