#include "platform/dao/index_order.h"

#include <sqlite3.h>

#include <algorithm>

namespace dao::detail {

long long IndexOrder::positionOf(qint64 rowid) const {
    if (dense.empty()) {
        const auto it = sparse.constFind(rowid);
        return it == sparse.constEnd() ? -1 : it.value();
    }
    const quint32 at = rowid >= 0 && quint64(rowid) < dense.size() ? dense[size_t(rowid)] : 0;
    return at == 0 ? -1 : at - 1;
}

void IndexOrders::changed(const QString& quotedTable, const QStringList& columns) {
    for (Entry& e : entries_) {
        if (!quotedTable.isEmpty() && e.table.compare(quotedTable, Qt::CaseInsensitive) != 0) continue;
        bool moves = quotedTable.isEmpty() || columns.isEmpty();
        for (const QString& c : columns)
            moves = moves || e.keys.contains(c, Qt::CaseInsensitive);
        if (moves) e.fresh = false;
    }
}

const IndexOrder* IndexOrders::order(const QString& quotedTable, const QStringList& keys, int* rc, bool read) {
    *rc = SQLITE_OK;
    Entry* entry = nullptr;
    for (Entry& e : entries_)
        if (e.table == quotedTable && e.keys == keys) entry = &e;
    if (entry && entry->fresh) return &entry->order;
    if (!read) return nullptr;
    if (!entry) {
        entries_.push_back({quotedTable, keys, {}, false});
        entry = &entries_.back();
    }

    // One pass over the index, reading rowids only.
    const QByteArray sql = (QStringLiteral("SELECT rowid FROM ") + quotedTable + QStringLiteral(" ORDER BY ") +
                            QStringList(keys + QStringList{QStringLiteral("rowid")}).join(QStringLiteral(", ")))
                               .toUtf8();
    sqlite3_stmt* st = nullptr;
    if ((*rc = sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr)) != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    IndexOrder o;
    qint64 smallest = 0, largest = 0;
    int step;
    while ((step = sqlite3_step(st)) == SQLITE_ROW) {
        const qint64 r = sqlite3_column_int64(st, 0);
        o.rowids.push_back(r);
        smallest = std::min(smallest, r);
        largest = std::max(largest, r);
    }
    *rc = step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db_);
    sqlite3_finalize(st);
    if (*rc != SQLITE_OK) return nullptr;
    // Rowids run from 1 up with few gaps after a load; a table full of gaps takes a hash instead.
    if (smallest >= 0 && largest < qint64(o.rowids.size()) * 4 + 4096) {
        o.dense.assign(size_t(largest) + 1, 0);
        for (size_t i = 0; i < o.rowids.size(); ++i)
            o.dense[size_t(o.rowids[i])] = quint32(i + 1);
    } else {
        for (size_t i = 0; i < o.rowids.size(); ++i)
            o.sparse.insert(o.rowids[i], quint32(i));
    }
    entry->order = std::move(o);
    entry->fresh = true;
    return &entry->order;
}

} // namespace dao::detail
