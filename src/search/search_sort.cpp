#include "search/search_sort.h"

#include "dataset/data_set.h"

namespace search {

QString expiresCaption(const QString& state) {
    return dataset::isNewYork(state) ? QStringLiteral("Anniversary") : QStringLiteral("Expires");
}

QStringList searchOrderTerms(int colnum) {
    switch (colnum) {
    case kColFile:
        return {QStringLiteral("FILE")};
    case kColName:
        return {QStringLiteral("NAME1")};
    case kColExpires:
        return {QStringLiteral("MONTH(EXPIRE)"), QStringLiteral("DAY(EXPIRE)"), QStringLiteral("NAME1")};
    default:
        return {};
    }
}

QString searchOrderClause(int colnum) {
    const QStringList terms = searchOrderTerms(colnum);
    return terms.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
}

QString sortedSearchSQL(const QString& searchSql, int colnum) {
    const QString order = searchOrderClause(colnum);
    return order.isEmpty() ? QString() : searchSql + order;
}

std::optional<dao::QueryTerms> sortedSearchTerms(const dao::QueryTerms& search, int colnum) {
    // The text as sortedSearchSQL gives it, so that the list's record source matches it exactly.
    const QString text = sortedSearchSQL(search.text, colnum);
    if (text.isEmpty()) return std::nullopt;
    dao::QueryTerms sorted = search;
    sorted.text = text;
    sorted.orderBy = searchOrderTerms(colnum);
    return sorted;
}

} // namespace search
