#include "platform/dao/index_order.h"

#include <QFile>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

namespace dao::detail {

long long IndexOrder::positionOf(qint64 rowid) const {
    if (dense.empty()) {
        const auto it = sparse.constFind(rowid);
        return it == sparse.constEnd() ? -1 : it.value();
    }
    const quint32 at = rowid >= 0 && quint64(rowid) < dense.size() ? dense[size_t(rowid)] : 0;
    return at == 0 ? -1 : at - 1;
}

FileId fileIdOf(const QString& path) {
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {quint64(st.st_dev), quint64(st.st_ino), true};
}

int readIndexOrder(sqlite3* db, const QString& quotedTable, const QStringList& keys, IndexOrder* out,
                   const std::atomic<bool>* cancel) {
    const QByteArray sql = (QStringLiteral("SELECT rowid FROM ") + quotedTable + QStringLiteral(" ORDER BY ") +
                            QStringList(keys + QStringList{QStringLiteral("rowid")}).join(QStringLiteral(", ")))
                               .toUtf8();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        return rc;
    }
    IndexOrder o;
    qint64 smallest = 0, largest = 0;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const qint64 r = sqlite3_column_int64(st, 0);
        o.rowids.push_back(r);
        smallest = std::min(smallest, r);
        largest = std::max(largest, r);
        if (cancel && o.rowids.size() % 4096 == 0 && cancel->load(std::memory_order_relaxed)) {
            rc = SQLITE_INTERRUPT;
            break;
        }
    }
    rc = rc == SQLITE_DONE ? SQLITE_OK : rc == SQLITE_INTERRUPT ? rc : sqlite3_extended_errcode(db);
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) return rc;
    // Rowids run from 1 up with few gaps after a load; a table full of gaps takes a hash instead.
    if (smallest >= 0 && largest < qint64(o.rowids.size()) * 4 + 4096) {
        o.dense.assign(size_t(largest) + 1, 0);
        for (size_t i = 0; i < o.rowids.size(); ++i)
            o.dense[size_t(o.rowids[i])] = quint32(i + 1);
    } else {
        for (size_t i = 0; i < o.rowids.size(); ++i)
            o.sparse.insert(o.rowids[i], quint32(i));
    }
    *out = std::move(o);
    return SQLITE_OK;
}

namespace {

// A pass waits for a writer's commit as any reader does, a few seconds at most, and no longer
// once it is no longer wanted.
int busyUntilCancelled(void* cancel, int tries) {
    if (static_cast<std::atomic<bool>*>(cancel)->load() || tries >= 300) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 1;
}

} // namespace

struct IndexOrders::Pass {
    quint64 changes = 0; // the entry's when the pass began: the rows it reads are those
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    IndexOrder order;
    int rc = SQLITE_OK;
    std::thread thread;

    ~Pass() {
        cancel = true;
        if (thread.joinable()) thread.join();
    }

    // On a connection of its own, read-only, to the file the owner's connection has open: a file
    // put in its place under the same name meanwhile would give another table's order.
    void run(const QString& file, FileId id, const QString& table, const QStringList& keys) {
        sqlite3* db = nullptr;
        int result = fileIdOf(file) == id
                         ? sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                                           SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
                         : SQLITE_CANTOPEN;
        if (result == SQLITE_OK) {
            sqlite3_busy_handler(db, &busyUntilCancelled, &cancel);
            result = readIndexOrder(db, table, keys, &order, &cancel);
            if (result == SQLITE_OK && !(fileIdOf(file) == id)) result = SQLITE_CANTOPEN;
        }
        sqlite3_close_v2(db);
        rc = result;
        done.store(true, std::memory_order_release);
    }
};

IndexOrders::IndexOrders(sqlite3* db, const QString& file) : db_(db), file_(file), fileId_(fileIdOf(file)) {}

IndexOrders::~IndexOrders() = default;

IndexOrders::Entry* IndexOrders::find(const QString& quotedTable, const QStringList& keys, bool make) {
    for (const std::unique_ptr<Entry>& e : entries_)
        if (e->table == quotedTable && e->keys == keys) return e.get();
    if (!make) return nullptr;
    entries_.push_back(std::make_unique<Entry>());
    entries_.back()->table = quotedTable;
    entries_.back()->keys = keys;
    return entries_.back().get();
}

void IndexOrders::changed(const QString& quotedTable, const QStringList& columns) {
    for (const std::unique_ptr<Entry>& e : entries_) {
        if (!quotedTable.isEmpty() && e->table.compare(quotedTable, Qt::CaseInsensitive) != 0) continue;
        bool moves = quotedTable.isEmpty() || columns.isEmpty();
        for (const QString& c : columns)
            moves = moves || e->keys.contains(c, Qt::CaseInsensitive);
        if (moves) {
            e->fresh = false;
            ++e->changes;
        }
    }
}

void IndexOrders::takeOver(Entry& e) {
    if (!e.pass || !e.pass->done.load(std::memory_order_acquire)) return;
    if (e.pass->changes != e.changes) {
        e.pass.reset(); // the rows moved while it read
    } else if (e.pass->rc == SQLITE_OK) {
        e.order = std::move(e.pass->order);
        e.fresh = true;
        e.pass.reset();
    } // a failed pass stays, so that the same rows are not tried again in the background
}

void IndexOrders::stop(Entry& e) {
    e.pass.reset(); // told to stop, and waited for: it stops within a few thousand rows
}

const IndexOrder* IndexOrders::order(const QString& quotedTable, const QStringList& keys, int* rc,
                                     bool read) {
    *rc = SQLITE_OK;
    Entry* entry = find(quotedTable, keys, read);
    if (!entry) return nullptr;
    takeOver(*entry);
    if (entry->fresh) return &entry->order;
    if (!read) return nullptr;
    IndexOrder o;
    if ((*rc = readIndexOrder(db_, quotedTable, keys, &o)) != SQLITE_OK) return nullptr;
    entry->order = std::move(o);
    entry->fresh = true;
    return &entry->order;
}

void IndexOrders::prepare(const QString& quotedTable, const QStringList& keys) {
    Entry* e = find(quotedTable, keys, true);
    prepared_ = e;
    if (file_.isEmpty() || !fileId_.valid) return;
    takeOver(*e);
    if (e->fresh || (e->pass && e->pass->changes == e->changes)) return;
    stop(*e);
    e->pass = std::make_shared<Pass>();
    Pass* p = e->pass.get();
    p->changes = e->changes;
    try {
        p->thread = std::thread(
            [p, file = file_, id = fileId_, table = quotedTable, keys] { p->run(file, id, table, keys); });
    } catch (const std::system_error&) {
        e->pass.reset(); // no thread to be had: the order is read when it is needed
    }
}

void IndexOrders::prepareAgain() {
    if (prepared_ && !prepared_->fresh) prepare(prepared_->table, prepared_->keys);
}

void IndexOrders::await(const QString& quotedTable, const QStringList& keys) {
    Entry* e = find(quotedTable, keys, false);
    if (!e || !e->pass) return;
    if (e->pass->thread.joinable()) e->pass->thread.join();
    takeOver(*e);
}

} // namespace dao::detail
