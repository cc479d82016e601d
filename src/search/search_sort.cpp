#include "search/search_sort.h"

#include "dataset/data_set.h"

namespace search {

QString expiresCaption(const QString& state) {
    return dataset::isNewYork(state) ? QStringLiteral("Anniversary") : QStringLiteral("Expires");
}

QString searchOrderClause(int colnum) {
    switch (colnum) {
    case kColFile:
        return QStringLiteral(" ORDER BY FILE");
    case kColName:
        return QStringLiteral(" ORDER BY NAME1");
    case kColExpires:
        return QStringLiteral(" ORDER BY MONTH(EXPIRE), DAY(EXPIRE), NAME1");
    default:
        return QString();
    }
}

QString sortedSearchSQL(const QString& searchSql, int colnum) {
    const QString order = searchOrderClause(colnum);
    return order.isEmpty() ? QString() : searchSql + order;
}

} // namespace search
