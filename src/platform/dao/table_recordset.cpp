#include "platform/dao/table_recordset.h"

#include "platform/dao/index_order.h"
#include "platform/dao/sqlite_util.h"

#include <sqlite3.h>

#include <algorithm>

namespace dao {

using namespace detail;

namespace {
constexpr int kMaxChunk = 256;
constexpr long long kOffsetLimit = 4096; // rows an OFFSET skips more cheaply than the kept order is made
constexpr int kNearStart = 64; // rows stepped back over to place a row without the kept order
constexpr long long kStepLimit = 300; // farther jumps are placed at once
} // namespace

// A read transaction (unless the connection has one open) that begins with the look for other
// connections' commits: no commit can come between that look and the reads inside, so the kept
// order the look left fresh and the rows read by it agree.
class TableRecordset::ReadScope {
public:
    explicit ReadScope(Database& db) : db_(db) {
        read_.emplace(db.handle());
        db_.noteOutsideChanges();
    }
    ~ReadScope() {
        const bool began = read_->began();
        read_.reset();
        // What the look found stale may be read again in the background, now that no lock is held.
        if (began) db_.prepareStaleOrder();
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    Database& db_;
    std::optional<ReadTransaction> read_;
};

TableRecordset::TableRecordset(Database& db, const QString& table, int options)
    : Recordset(db, RecordsetType::Table) {
    const QString op = QStringLiteral("open the table %1 in").arg(table);
    updatable_ = !(options & ReadOnly) && !db.readOnly();

    // Columns in table order, with their declared types.
    sqlite3_stmt* st = nullptr;
    const QString sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table));
    if (sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(op, errorText(db.handle()));
    }
    QStringList names, types;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        names << readColumn(st, 1).toString();
        types << normalizeType(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE || names.isEmpty())
        fail(op, rc != SQLITE_DONE ? reasonFor(db.handle(), rc) : QStringLiteral("the table has no columns"));
    setFields(names, types);

    // Keep the table name as stored, so index names built from it match.
    table_ = table;
    for (const QString& t : db.tableNames())
        if (t.compare(table, Qt::CaseInsensitive) == 0) table_ = t;
    quotedTable_ = quoteName(table_);
    QStringList cols{QStringLiteral("rowid")};
    for (const QString& n : names)
        cols << quoteName(n);
    selectList_ = cols.join(QStringLiteral(", "));

    MoveFirst(); // Jet opens a table on its first row
}

TableRecordset::~TableRecordset() {
    release();
}

void TableRecordset::release() {
    writeStatements_.clear(); // owned through statements_
    levelStatements_.clear();
    statements_.clear();
}

sqlite3_stmt* TableRecordset::statement(const QString& sql) const {
    Database& db = database(QStringLiteral("read from"));
    int rc = SQLITE_OK;
    sqlite3_stmt* st = statements_.get(db.handle(), sql, &rc);
    if (!st) fail(QStringLiteral("read from"), reasonFor(db.handle(), rc));
    return st;
}

std::vector<TableRecordset::Row> TableRecordset::readRows(sqlite3_stmt* st, int limit) const {
    std::vector<Row> rows;
    const int n = int(fieldNames_.size());
    int rc;
    while (int(rows.size()) < limit && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        Row r;
        r.rowid = sqlite3_column_int64(st, 0);
        r.raw.reserve(n);
        for (int i = 0; i < n; ++i)
            r.raw.append(readColumn(st, i + 1));
        rows.push_back(std::move(r));
    }
    if (int(rows.size()) < limit && rc != SQLITE_DONE) {
        const QString reason =
            reasonFor(sqlite3_db_handle(st), sqlite3_extended_errcode(sqlite3_db_handle(st)));
        sqlite3_reset(st);
        fail(QStringLiteral("read from"), reason);
    }
    sqlite3_reset(st); // a finished read holds no lock
    return rows;
}

QString TableRecordset::orderOf(int from, bool forward) const {
    const QString dir = forward ? QString() : QStringLiteral(" DESC");
    QStringList parts;
    for (int k = from; k < int(keyNames_.size()); ++k)
        parts << keyNames_[k] + dir;
    parts << QStringLiteral("rowid") + dir;
    return QStringLiteral(" ORDER BY ") + parts.join(QStringLiteral(", "));
}

QString TableRecordset::whereOf(const Level& lv, const QVariantList& keys, bool forward) const {
    QStringList parts;
    for (int k = 0; k < lv.equal; ++k)
        parts << keyNames_[k] + QStringLiteral(" IS ?");
    if (lv.compareRowid) parts << (forward ? QStringLiteral("rowid > ?") : QStringLiteral("rowid < ?"));
    if (lv.compareKey) {
        const QString& k = keyNames_[lv.equal];
        if (forward)
            parts << (keys.value(lv.equal).isValid() ? k + QStringLiteral(" > ?")
                                                     : k + QStringLiteral(" IS NOT NULL"));
        else
            parts << (lv.keyIsNull ? k + QStringLiteral(" IS NULL") : k + QStringLiteral(" < ?"));
    }
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

namespace {
// Binds the values a level's WHERE uses, in its order; returns the next parameter number.
int bindLevel(sqlite3_stmt* st, int equal, bool compareRowid, bool compareKeyValue, const QVariantList& keys,
              qint64 rowid) {
    int p = 1;
    for (int k = 0; k < equal; ++k)
        bindValue(st, p++, keys.value(k));
    if (compareRowid) sqlite3_bind_int64(st, p++, rowid);
    if (compareKeyValue) bindValue(st, p++, keys.value(equal));
    return p;
}
} // namespace

// The statement of a scan step, found by the step's shape without building its text.
sqlite3_stmt* TableRecordset::levelStatement(const Level& lv, bool keyValue, bool forward, bool count,
                                             const QVariantList& keys) const {
    const int shape = lv.equal | (lv.compareRowid << 8) | (lv.compareKey << 9) | (lv.keyIsNull << 10) |
                      (keyValue << 11) | (forward << 12) | (count << 13);
    if (sqlite3_stmt* st = levelStatements_.value(shape)) return st;
    QString sql;
    if (count) {
        sql = QStringLiteral("SELECT count(*) FROM ") + quotedTable_ + whereOf(lv, keys, false);
    } else {
        const int from = lv.compareRowid ? int(keyNames_.size()) : lv.equal;
        sql = QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") + quotedTable_ +
              whereOf(lv, keys, forward) + orderOf(from, forward) + QStringLiteral(" LIMIT ?");
    }
    sqlite3_stmt* st = statement(sql);
    levelStatements_.insert(shape, st);
    return st;
}

std::vector<TableRecordset::Row> TableRecordset::runLevel(const Level& lv, const QVariantList& keys,
                                                          qint64 rowid, bool forward, int limit) const {
    const bool keyValue = lv.compareKey && !lv.keyIsNull && keys.value(lv.equal).isValid();
    sqlite3_stmt* st = levelStatement(lv, keyValue, forward, false, keys);
    const int p = bindLevel(st, lv.equal, lv.compareRowid, keyValue, keys, rowid);
    sqlite3_bind_int(st, p, limit);
    return readRows(st, limit);
}

long long TableRecordset::countLevel(const Level& lv, const QVariantList& keys, qint64 rowid) const {
    const bool keyValue = lv.compareKey && !lv.keyIsNull && keys.value(lv.equal).isValid();
    sqlite3_stmt* st = levelStatement(lv, keyValue, false, true, keys);
    bindLevel(st, lv.equal, lv.compareRowid, keyValue, keys, rowid);
    long long n = 0;
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) fail(QStringLiteral("count the rows of"), reasonFor(sqlite3_db_handle(st), rc));
    return n;
}

// Rows after (keys, rowid) in index order are, nearest first: the same keys with a larger rowid,
// then for each shorter prefix of equal keys, a larger next key. Each step is an index range scan;
// Null keys (which sort first) are handled by IS / IS NOT NULL instead of row-value comparison.
std::vector<TableRecordset::Row> TableRecordset::scanFrom(const QVariantList& keys, qint64 rowid,
                                                          bool forward, int limit) const {
    std::vector<Row> out;
    const int n = int(keyNames_.size());
    auto take = [&](const Level& lv) {
        if (int(out.size()) >= limit) return;
        std::vector<Row> rows = runLevel(lv, keys, rowid, forward, limit - int(out.size()));
        std::move(rows.begin(), rows.end(), std::back_inserter(out));
    };
    take(Level{n, true, false, false});
    for (int l = n - 1; l >= 0; --l) {
        if (forward) {
            take(Level{l, false, true, false});
        } else if (keys.value(l).isValid()) {
            take(Level{l, false, true, false}); // smaller values
            take(Level{l, false, true, true});  // then Nulls, which sort before every value
        }
    }
    return out;
}

std::vector<TableRecordset::Row> TableRecordset::scanEnd(bool forward, int limit) const {
    return runLevel(Level{0, false, false, false}, {}, 0, forward, limit);
}

QVariantList TableRecordset::keysOf(const Row& r) const {
    QVariantList keys;
    keys.reserve(int(keyCols_.size()));
    for (int c : keyCols_)
        keys.append(r.raw.value(c));
    return keys;
}

void TableRecordset::placeOn(std::vector<Row> rows, int pos, bool ascending) {
    if (!ascending) {
        std::reverse(rows.begin(), rows.end());
        pos = int(rows.size()) - 1 - pos;
    }
    window_ = std::move(rows);
    pos_ = pos;
    cur_ = window_[pos_];
    curDeleted_ = false;
    at_ = At::Row;
    windowSeq_ = curSeq_ = db_->changeSeq();
}

void TableRecordset::toEnd(bool eof) {
    at_ = eof ? At::EOF_ : At::BOF;
    window_.clear();
    pos_ = -1;
    absPos_ = -1;
}

bool TableRecordset::windowFresh() const {
    return db_ && windowSeq_ == db_->changeSeq();
}

const std::vector<int>& TableRecordset::primaryKey() const {
    if (!primaryFields_) {
        std::vector<int> fields;
        for (const QString& key :
             database(QStringLiteral("read from")).indexColumns(table_, QStringLiteral("PRIMARY")))
            fields.push_back(fieldIndex(key));
        if (std::find(fields.begin(), fields.end(), -1) != fields.end()) fields.clear();
        primaryFields_ = fields;
    }
    return *primaryFields_;
}

bool TableRecordset::refreshCurrent() const {
    if (at_ != At::Row || curDeleted_ || !db_) return at_ == At::Row && !curDeleted_;
    if (curSeq_ == db_->changeSeq()) return true;
    std::vector<Row> rows = rowById(cur_.rowid);
    // Row ids are used again: after another copy deleted the employer, or loaded a release, the
    // row id may hold another one.
    bool same = !rows.empty();
    for (int f : primaryKey())
        same = same && rows.front().raw.value(f) == cur_.raw.value(f);
    if (same)
        cur_ = std::move(rows.front());
    else
        curDeleted_ = true;
    curSeq_ = db_->changeSeq();
    return !curDeleted_;
}

bool TableRecordset::refreshCurrentRow() {
    const QString op = QStringLiteral("read from");
    Database& db = database(op);
    ReadScope scope(db);
    // Also a row taken for deleted because its row id went to another: it may be elsewhere now.
    if (at_ != At::Row) return false;
    primaryKey();
    const bool wasDeleted = curDeleted_;
    const Row before = cur_;
    QStringList terms;
    for (int f : *primaryFields_)
        terms << quoteName(fieldNames_[f]) + QStringLiteral(" = ?");
    if (terms.isEmpty()) terms << QStringLiteral("rowid = ?");
    sqlite3_stmt* st =
        statement(QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") + quotedTable_ +
                  QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND ")));
    if (primaryFields_->empty()) sqlite3_bind_int64(st, 1, before.rowid);
    for (size_t k = 0; k < primaryFields_->size(); ++k)
        bindValue(st, int(k) + 1, before.raw.value((*primaryFields_)[k]));
    std::vector<Row> rows = readRows(st, 1);
    curDeleted_ = rows.empty();
    if (!curDeleted_) cur_ = std::move(rows.front());
    curSeq_ = db.changeSeq();
    // The rows around it were read before: moving on scans from the row as it is now.
    windowSeq_ = -1;
    absSeq_ = -1;
    if (curDeleted_) return !wasDeleted;
    return wasDeleted || cur_.rowid != before.rowid || cur_.raw != before.raw;
}

void TableRecordset::moveToEnd(bool first) {
    database(first ? QStringLiteral("move to the first row of") : QStringLiteral("move to the last row of"));
    abandonEdit();
    std::vector<Row> rows = scanEnd(first, chunk_);
    if (rows.empty()) {
        toEnd(true);
        at_ = At::Empty;
        return;
    }
    placeOn(std::move(rows), 0, first);
    absPos_ = first ? 0 : -1; // the last row's position is counted only when asked for
    absSeq_ = db_->changeSeq();
}

void TableRecordset::MoveFirst() {
    moveToEnd(true);
}

void TableRecordset::MoveLast() {
    moveToEnd(false);
}

void TableRecordset::MoveNext() {
    step(true);
}

void TableRecordset::MovePrevious() {
    step(false);
}

// One row on in the index order: from the window when it holds the row, else by a scan from the
// current key, in chunks that grow while the caller keeps moving.
void TableRecordset::step(bool forward) {
    const QString op =
        forward ? QStringLiteral("move to the next row of") : QStringLiteral("move to the previous row of");
    database(op);
    abandonEdit();
    if (at_ == At::Empty || at_ == (forward ? At::EOF_ : At::BOF))
        fail(op, QStringLiteral("No current record."));
    if (at_ != At::Row) { // from BOF forward, from EOF backward
        forward ? MoveFirst() : MoveLast();
        return;
    }
    const bool posKnown = absPos_ >= 0 && absSeq_ == db_->changeSeq();
    const int next = pos_ + (forward ? 1 : -1);
    if (windowFresh() && next >= 0 && next < int(window_.size())) {
        pos_ = next;
        cur_ = window_[pos_];
        curDeleted_ = false;
    } else {
        std::vector<Row> rows = scanFrom(keysOf(cur_), cur_.rowid, forward, chunk_);
        chunk_ = std::min(chunk_ * 2, kMaxChunk);
        if (rows.empty()) {
            toEnd(forward);
            return;
        }
        placeOn(std::move(rows), 0, forward);
    }
    absPos_ = posKnown ? absPos_ + (forward ? 1 : -1) : -1;
    absSeq_ = db_->changeSeq();
}

const IndexOrder* TableRecordset::indexOrder(bool read) const {
    if (keyNames_.isEmpty()) return nullptr; // rowid order: counting is the index-free way
    Database& db = database(QStringLiteral("move to a row of"));
    int rc = SQLITE_OK;
    const IndexOrder* o = db.orders().order(quotedTable_, keyNames_, &rc, read);
    if (!o && rc != SQLITE_OK) fail(QStringLiteral("move to a row of"), reasonFor(db.handle(), rc));
    return o;
}

void TableRecordset::prepareOrder() const {
    if (!keyNames_.isEmpty() && db_) db_->prepareOrder(quotedTable_, keyNames_);
}

void TableRecordset::awaitOrder() const {
    if (!keyNames_.isEmpty() && db_) db_->orders().await(quotedTable_, keyNames_);
}

std::vector<TableRecordset::Row> TableRecordset::rowById(qint64 rowid) const {
    sqlite3_stmt* st = statement(QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") +
                                 quotedTable_ + QStringLiteral(" WHERE rowid = ?"));
    sqlite3_bind_int64(st, 1, rowid);
    return readRows(st, 1);
}

long long TableRecordset::RecordCount() {
    Database& db = database(QStringLiteral("count the rows of"));
    ReadScope scope(db);
    if (count_ >= 0 && countSeq_ == db.changeSeq()) return count_;
    const IndexOrder* o = indexOrder(false);
    count_ = o ? static_cast<long long>(o->rowids.size()) : countLevel(Level{0, false, false, false}, {}, 0);
    countSeq_ = db.changeSeq();
    return count_;
}

std::optional<long long> TableRecordset::currentPosition(bool read) {
    Database& db = *db_;
    auto known = [&](long long pos) {
        absPos_ = pos;
        absSeq_ = db.changeSeq();
        return absPos_;
    };
    if (absPos_ >= 0 && absSeq_ == db.changeSeq()) return absPos_;
    if (const IndexOrder* o = indexOrder(read); o && o->positionOf(cur_.rowid) >= 0)
        return known(o->positionOf(cur_.rowid));
    const QVariantList keys = keysOf(cur_);
    if (!read) {
        // A row near the start (the first row after a new order is chosen) is placed by stepping
        // back, without the pass that makes the order.
        if (keyNames_.isEmpty()) return std::nullopt;
        const size_t before = scanFrom(keys, cur_.rowid, false, kNearStart).size();
        if (before < size_t(kNearStart)) return known(static_cast<long long>(before));
        return std::nullopt;
    }
    // Rows before the current one: the backward scan's steps, counted.
    const int n = int(keyNames_.size());
    long long before = countLevel(Level{n, true, false, false}, keys, cur_.rowid);
    for (int l = n - 1; l >= 0; --l) {
        if (keys.value(l).isValid()) {
            before += countLevel(Level{l, false, true, false}, keys, cur_.rowid);
            before += countLevel(Level{l, false, true, true}, keys, cur_.rowid);
        }
    }
    return known(before);
}

long long TableRecordset::AbsolutePosition() {
    Database& db = database(QStringLiteral("move to a row of"));
    std::optional<long long> pos;
    bool kept;
    {
        ReadScope scope(db);
        if (!hasCurrent()) return -1;
        kept = indexOrder(false) != nullptr;
        pos = currentPosition(false);
    }
    if (!pos) {
        awaitOrder();
        ReadScope scope(db);
        if (!hasCurrent()) return -1;
        pos = currentPosition(true);
        kept = true;
    }
    // Positions far from the start come next, when the user scrolls or types.
    if (!kept) prepareOrder();
    return *pos;
}

void TableRecordset::placeAt(long long n, bool read) {
    Database& db = *db_;
    std::vector<Row> rows;
    if (const IndexOrder* o = indexOrder(read)) {
        if (n >= static_cast<long long>(o->rowids.size())) {
            toEnd(true);
            return;
        }
        rows = rowById(o->rowids[size_t(n)]);
    } else {
        const QString sql = QStringLiteral("SELECT ") + selectList_ + QStringLiteral(" FROM ") + quotedTable_ +
                            orderOf(0, true) + QStringLiteral(" LIMIT ? OFFSET ?");
        sqlite3_stmt* st = statement(sql);
        sqlite3_bind_int(st, 1, 1);
        sqlite3_bind_int64(st, 2, n);
        rows = readRows(st, 1);
    }
    if (rows.empty()) {
        toEnd(true);
        return;
    }
    // A jump reads its row alone: the rows after it are read when the caller moves on to them.
    chunk_ = 16;
    placeOn(std::move(rows), 0, true);
    absPos_ = n;
    absSeq_ = db.changeSeq();
}

void TableRecordset::setAbsolutePosition(long long n) {
    const QString op = QStringLiteral("move to a row of");
    Database& db = database(op);
    abandonEdit();
    if (n < 0) fail(op, QStringLiteral("the position %1 is not valid").arg(n));
    // Near the start, skipping rows costs less than the pass that makes the order.
    const bool far = n >= kOffsetLimit && !keyNames_.isEmpty();
    bool kept;
    {
        ReadScope scope(db);
        const bool posKnown = at_ == At::Row && absPos_ >= 0 && absSeq_ == db.changeSeq();
        if (posKnown && std::abs(n - absPos_) <= kStepLimit) {
            while (at_ == At::Row && absPos_ < n)
                MoveNext();
            while (at_ == At::Row && absPos_ > n)
                MovePrevious();
            return;
        }
        kept = indexOrder(false) != nullptr;
        if (kept || !far) placeAt(n, false);
    }
    if (far && !kept) {
        awaitOrder();
        ReadScope scope(db);
        placeAt(n, true);
    } else if (!kept) {
        prepareOrder(); // for the jumps to come farther away
    }
}

std::optional<std::vector<QVariantList>> TableRecordset::rowsAt(long long start, int count,
                                                                const std::vector<int>& fields) {
    Database& db = database(QStringLiteral("read from"));
    std::vector<QVariantList> out;
    if (start < 0 || count <= 0) return out;
    QStringList columns;
    for (int f : fields)
        columns << (f >= 0 && f < fieldCount() ? quoteName(fieldNames_[size_t(f)]) : QStringLiteral("NULL"));
    // Up to limit rows of st, each field as the recordset reads it.
    auto readEach = [&](sqlite3_stmt* st, int limit) {
        int rc = SQLITE_DONE, read = 0;
        while (read < limit && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            QVariantList values;
            values.reserve(int(fields.size()));
            for (size_t i = 0; i < fields.size(); ++i) {
                const int f = fields[i];
                values.append(f >= 0 && f < fieldCount()
                                  ? fromStorage(readColumn(st, int(i)), Kind(fieldKinds_[size_t(f)]))
                                  : QVariant());
            }
            out.push_back(std::move(values));
            ++read;
        }
        const bool failed = read < limit && rc != SQLITE_DONE;
        const QString reason =
            failed ? reasonFor(db.handle(), sqlite3_extended_errcode(db.handle())) : QString();
        sqlite3_reset(st);
        if (failed) fail(QStringLiteral("read from"), reason);
        return read;
    };
    const QString select = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                           QStringLiteral(" FROM ") + quotedTable_;
    const bool far = start >= kOffsetLimit && !keyNames_.isEmpty();
    if (far) awaitOrder();
    bool kept = false;
    {
        ReadScope scope(db);
        // The order and the rows come from one read: a place holds the row the order puts there.
        if (const IndexOrder* o = indexOrder(far)) {
            kept = true;
            sqlite3_stmt* st = statement(select + QStringLiteral(" WHERE rowid = ?"));
            const size_t end = std::min(o->rowids.size(), size_t(start) + size_t(count));
            for (size_t at = size_t(std::min<long long>(start, qint64(end))); at < end; ++at) {
                sqlite3_bind_int64(st, 1, o->rowids[at]);
                if (readEach(st, 1) == 0)
                    out.emplace_back(); // keeps the places in step; read with the order, never
            }
        } else {
            sqlite3_stmt* st = statement(select + orderOf(0, true) + QStringLiteral(" LIMIT ? OFFSET ?"));
            sqlite3_bind_int(st, 1, count);
            sqlite3_bind_int64(st, 2, start);
            readEach(st, count);
        }
    }
    if (!kept) prepareOrder();
    return out;
}

Bookmark TableRecordset::bookmark() const {
    if (!hasCurrent()) fail(QStringLiteral("mark the current row of"), QStringLiteral("No current record."));
    return cur_.rowid;
}

void TableRecordset::setBookmark(Bookmark b) {
    const QString op = QStringLiteral("return to a marked row of");
    database(op);
    abandonEdit();
    std::vector<Row> rows = rowById(b);
    if (rows.empty()) fail(op, QStringLiteral("Not a valid bookmark."));
    placeOn(std::move(rows), 0, true);
    absPos_ = -1;
}

void TableRecordset::setIndex(const QString& indexName) {
    const QString op = QStringLiteral("choose the index %1 of").arg(indexName);
    Database& db = database(op);
    abandonEdit();
    std::vector<int> cols;
    QStringList names;
    if (!indexName.isEmpty()) {
        const QStringList indexCols = db.indexColumns(table_, indexName);
        if (indexCols.isEmpty())
            fail(op, QStringLiteral("'%1' is not an index in this table").arg(indexName));
        for (const QString& c : indexCols) {
            const int f = fieldIndex(c);
            if (f < 0) fail(op, QStringLiteral("the index column %1 is not a field of the table").arg(c));
            cols.push_back(f);
            names << quoteName(fieldNames_[f]);
        }
    }
    indexName_ = indexName;
    levelStatements_.clear(); // shapes name the old index's columns
    keyCols_ = std::move(cols);
    keyNames_ = names;
    // The current row stays current, now placed in the new order.
    windowSeq_ = -1;
    absPos_ = -1;
    chunk_ = 16;
}

QVariant TableRecordset::keyForBinding(int keyPos, const QVariant& v) const {
    bool ok = true;
    const QVariant c = convertForType(v, fieldTypes_.value(keyCols_[keyPos]), &ok);
    return ok ? c : v;
}

void TableRecordset::Seek(const QString& op, const QVariantList& given) {
    const QString opName = QStringLiteral("search");
    database(opName);
    abandonEdit();
    if (keyCols_.empty()) fail(opName, QStringLiteral("Operation invalid without a current index."));
    const int j = int(given.size());
    if (j == 0 || j > int(keyCols_.size()))
        fail(opName, QStringLiteral("the index %1 has %2 key fields; %3 values were given")
                         .arg(indexName_)
                         .arg(keyCols_.size())
                         .arg(j));
    QVariantList keys;
    for (int k = 0; k < j; ++k)
        keys.append(keyForBinding(k, given[k]));

    const QString o = op.trimmed();
    const bool forward = o == u"=" || o == u">=" || o == u">";
    const bool inclusive = o == u"=" || o == u">=" || o == u"<=";
    if (!forward && o != u"<=" && o != u"<")
        fail(opName, QStringLiteral("'%1' is not a comparison Seek accepts").arg(op));

    std::vector<Row> rows;
    if (inclusive) rows = runLevel(Level{j, false, false, false}, keys, 0, forward, 1);
    if (rows.empty() && o != u"=") {
        for (int l = j - 1; l >= 0 && rows.empty(); --l) {
            if (forward) {
                rows = runLevel(Level{l, false, true, false}, keys, 0, true, 1);
            } else if (keys.value(l).isValid()) {
                rows = runLevel(Level{l, false, true, false}, keys, 0, false, 1);
                if (rows.empty()) rows = runLevel(Level{l, false, true, true}, keys, 0, false, 1);
            }
        }
    }
    noMatch_ = rows.empty();
    if (noMatch_) {
        toEnd(true); // Jet leaves the current row undefined after a failed Seek
        return;
    }
    placeOn(std::move(rows), 0, true);
    absPos_ = -1;
    chunk_ = 16;
}

void TableRecordset::deleteRow() {
    const QString op = QStringLiteral("delete a row from");
    Database& db = database(op);
    sqlite3_stmt* st = statement(QStringLiteral("DELETE FROM ") + quotedTable_ + " WHERE rowid = ?");
    sqlite3_bind_int64(st, 1, cur_.rowid);
    const int rc = sqlite3_step(st);
    const int code = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db.handle());
    sqlite3_reset(st);
    if (code != SQLITE_OK) fail(op, reasonFor(db.handle(), code));
    db.noteChange();
    curDeleted_ = true;
    curSeq_ = db.changeSeq();
}

QVariant TableRecordset::currentValue(int index) const {
    if (!refreshCurrent())
        fail(QStringLiteral("read a field from"),
             curDeleted_ ? QStringLiteral("Record is deleted.") : QStringLiteral("No current record."));
    return fromStorage(cur_.raw.value(index), Kind(fieldKinds_[size_t(index)]));
}

bool TableRecordset::hasCurrent() const {
    return refreshCurrent();
}

void TableRecordset::writeRow(bool isNew) {
    const QString op = QStringLiteral("save a row in");
    Database& db = database(op);
    // The statement for this set of changed fields; a loader sets the same fields row after row.
    QByteArray mask(changed_.size() + 1, '0');
    mask[0] = isNew ? 'I' : 'U';
    int changedCount = 0;
    for (int i = 0; i < changed_.size(); ++i) {
        if (changed_.at(i)) {
            mask[i + 1] = '1';
            ++changedCount;
        }
    }
    if (!isNew && !hasCurrent())
        fail(op, curDeleted_ ? QStringLiteral("Record is deleted.") : QStringLiteral("No current record."));
    if (!isNew && changedCount == 0) return;
    sqlite3_stmt* st = writeStatements_.value(mask);
    if (!st) {
        QStringList cols;
        for (int i = 0; i < changed_.size(); ++i)
            if (changed_.at(i)) cols << quoteName(fieldNames_[i]);
        QString sql;
        if (isNew && cols.isEmpty())
            sql = QStringLiteral("INSERT INTO ") + quotedTable_ + QStringLiteral(" DEFAULT VALUES");
        else if (isNew)
            sql = QStringLiteral("INSERT INTO ") + quotedTable_ + QStringLiteral(" (") +
                  cols.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                  QStringList(cols.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
        else
            sql = QStringLiteral("UPDATE ") + quotedTable_ + QStringLiteral(" SET ") +
                  cols.join(QStringLiteral(" = ?, ")) + QStringLiteral(" = ? WHERE rowid = ?");
        st = statement(sql);
        writeStatements_.insert(mask, st);
    }
    int p = 1;
    binder_.start(editBuf_, changed_);
    for (int i = 0; i < changed_.size(); ++i)
        if (changed_.at(i)) binder_.bind(st, p++, editBuf_.at(i));
    if (!isNew) sqlite3_bind_int64(st, p, cur_.rowid);
    const int rc = sqlite3_step(st);
    const int code = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db.handle());
    sqlite3_reset(st);
    if (code != SQLITE_OK) fail(op, reasonFor(db.handle(), code));
    if (isNew) {
        db.noteChange();
    } else {
        QStringList columns;
        for (int i = 0; i < changed_.size(); ++i)
            if (changed_.at(i)) columns << quoteName(fieldNames_[i]);
        db.noteUpdate(quotedTable_, columns);
    }
    lastModified_ = isNew ? sqlite3_last_insert_rowid(db.handle()) : cur_.rowid;
    // After AddNew the row that was current stays current (Jet); after Edit the edited row is
    // re-read on next access, since its values and place in the order may have changed.
}

} // namespace dao
