#include "results/exclusion_mark.h"

#include "platform/dao/dao.h"
#include "platform/dao/statement.h"
#include "results/panel_rules.h"

namespace results {

std::optional<QString> toggleExclusion(dao::Database& db, const QString& file, const QString& sequence) {
    dao::Transaction t(db);
    // coalesce: a Null mark reads as included, and only a missing row reads as nothing.
    const QVariant stored =
        db.scalar(QStringLiteral("SELECT coalesce(Omit, '') FROM PRIME WHERE FILE = ? AND SEQUENCE = ?"),
                  {file, sequence});
    if (!stored.isValid()) return std::nullopt;
    const QString value = toggledOmit(stored);
    db.executeBound(QStringLiteral("UPDATE PRIME SET Omit = ? WHERE FILE = ? AND SEQUENCE = ?"),
                    {value, file, sequence});
    t.commit();
    return value;
}

} // namespace results
