// The order of a table's rows in an index, known whole: each row's position, and the row at each
// position, without counting or stepping through the rows before it. Read in one pass over the
// index (its keys only) when a position far from the start is first needed, and kept per
// connection until rows may have moved: the connection says so (changed()) after any change through
// it but an update of columns outside the index, and after another connection's commit it notices.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;

namespace dao::detail {

struct IndexOrder {
    std::vector<qint64> rowids; // in the index's order, ties by rowid
    // Position of a row, -1 when it is not in the order.
    long long positionOf(qint64 rowid) const;

    std::vector<quint32> dense; // position + 1 by rowid (0: none), when rowids are few enough
    QHash<qint64, quint32> sparse; // position by rowid otherwise
};

class IndexOrders {
public:
    explicit IndexOrders(sqlite3* db) : db_(db) {}
    IndexOrders(const IndexOrders&) = delete;
    IndexOrders& operator=(const IndexOrders&) = delete;

    // The order of quotedTable by its (quoted) key columns, then rowid; read when missing or stale,
    // unless read is false: then nullptr unless a fresh one is kept. nullptr with *rc set when the
    // engine failed.
    const IndexOrder* order(const QString& quotedTable, const QStringList& keys, int* rc, bool read = true);

    // Rows of some table changed. With a table and columns, an update of those columns only:
    // orders of that table on other columns stay.
    void changed(const QString& quotedTable = QString(), const QStringList& columns = {});

private:
    struct Entry {
        QString table;
        QStringList keys;
        IndexOrder order;
        bool fresh = false;
    };

    sqlite3* db_;
    std::vector<Entry> entries_;
};

} // namespace dao::detail
