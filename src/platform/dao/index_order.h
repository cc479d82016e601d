// The order of a table's rows in an index, known whole: each row's position, and the row at each
// position, without counting or stepping through the rows before it. Read in one pass over the
// index (its keys only), and kept per connection until rows may have moved: the connection says so
// (changed()) after any change through it but an update of columns outside the index, and after
// another connection's commit it notices. The pass can run ahead, in the background on a connection
// of its own, so that the order is there when a position far from the start is first needed.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
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

// A file as the system knows it, whatever name reaches it: a file put in place of another under the
// same name is another file.
struct FileId {
    quint64 device = 0, inode = 0;
    bool valid = false;
    bool operator==(const FileId&) const = default;
};
FileId fileIdOf(const QString& path);

class IndexOrders {
public:
    // file: the database file of db, which a background pass opens itself; empty: no background
    // passes (the order is then read when it is needed).
    explicit IndexOrders(sqlite3* db, const QString& file = QString());
    ~IndexOrders(); // stops the passes under way
    IndexOrders(const IndexOrders&) = delete;
    IndexOrders& operator=(const IndexOrders&) = delete;

    // The order of quotedTable by its (quoted) key columns, then rowid; a background pass that has
    // finished for the rows as they are is taken over. Read when missing or stale, unless read is
    // false: then nullptr unless a fresh one is kept. nullptr with *rc set when the engine failed.
    const IndexOrder* order(const QString& quotedTable, const QStringList& keys, int* rc, bool read = true);

    // Starts the pass over that index in the background, unless its order is kept or being read for
    // the rows as they are. Only while db holds no transaction: the pass reads what is committed.
    void prepare(const QString& quotedTable, const QStringList& keys);
    // The same for the order last prepared, when a change has made it stale since.
    void prepareAgain();
    // Waits for the background pass over that index, if one is under way. Only while db holds no
    // lock: a writer waiting for db's readers to finish would keep the pass from starting.
    void await(const QString& quotedTable, const QStringList& keys);

    // Rows of some table changed. With a table and columns, an update of those columns only:
    // orders of that table on other columns stay.
    void changed(const QString& quotedTable = QString(), const QStringList& columns = {});

private:
    struct Pass;
    struct Entry {
        QString table;
        QStringList keys;
        IndexOrder order;
        bool fresh = false;
        quint64 changes = 0;        // how often the rows may have moved
        std::shared_ptr<Pass> pass; // under way or finished in the background
    };
    Entry* find(const QString& quotedTable, const QStringList& keys, bool make);
    void takeOver(Entry& e); // a finished pass's order, when the rows have not moved since it began
    void stop(Entry& e);

    sqlite3* db_;
    QString file_;
    FileId fileId_;
    std::vector<std::unique_ptr<Entry>> entries_;
    Entry* prepared_ = nullptr; // the order last prepared
};

// One pass over quotedTable's index on keys (quoted) on db, into out. cancel, when given, is looked
// at as the rows come: set, it ends the pass with SQLITE_INTERRUPT. Returns the engine's code.
int readIndexOrder(sqlite3* db, const QString& quotedTable, const QStringList& keys, IndexOrder* out,
                   const std::atomic<bool>* cancel = nullptr);

} // namespace dao::detail
