#include "platform/dao/query_recordset.h"

#include "platform/dao/jet_sql.h"
#include "platform/dao/member_set.h"
#include "platform/dao/result_order.h"
#include "platform/dao/sqlite_util.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace dao {

using namespace detail;

namespace {

// Rows read ahead of the one asked for. A result that fits is read whole and its statement
// finalised at once, so the common small query holds no read lock on the shared file.
constexpr int kReadAhead = 512;
// Rows whose values stay in memory; earlier ones keep only their rowid (when the query has one).
constexpr size_t kCachedRows = 4096;
const char* const kRowidColumn = "__velk_rowid";
// A row number no result reaches: fetching towards it reads to the end.
constexpr long long kPastTheEnd = std::numeric_limits<long long>::max() / 2;

bool isKeyword(const SqlToken& t) {
    static const char* const words[] = {
        "WHERE", "ORDER",   "GROUP",  "HAVING",    "LIMIT", "UNION",  "JOIN", "INNER", "LEFT", "RIGHT",
        "CROSS", "NATURAL", "EXCEPT", "INTERSECT", "ON",    "WINDOW", "FULL", "OUTER", "USING"};
    for (const char* w : words)
        if (t.isWord(w)) return true;
    return false;
}

QVariant storageOf(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    if (v.typeId() == QMetaType::QDate) return dateToStorage(v.toDate());
    if (v.typeId() == QMetaType::Bool) return qlonglong(v.toBool() ? 1 : 0);
    return v;
}

} // namespace

QuerySource analyseQuerySource(const QString& sql) {
    const QVector<SqlToken> t = tokenizeSql(sql);
    QuerySource none;
    auto solid = [&](int i) {
        while (i < t.size() && t[i].kind == SqlToken::Space)
            ++i;
        return i;
    };
    qsizetype offset = 0;
    int i = 0;
    for (; i < t.size() && t[i].kind == SqlToken::Space; ++i)
        offset += t[i].text.size();
    if (i >= t.size() || !t[i].isWord("SELECT")) return none;
    offset += t[i].text.size();
    int j = solid(i + 1);
    if (j < t.size() && t[j].isWord("DISTINCT")) return none;
    if (j < t.size() && t[j].isWord("ALL")) {
        for (int k = i + 1; k <= j; ++k)
            offset += t[k].text.size();
        i = j;
    }
    const qsizetype insertAt = offset;

    int depth = 0, from = -1;
    qsizetype fromAt = insertAt;
    for (int k = i + 1; k < t.size(); ++k, fromAt += t[k - 1].text.size()) {
        if (t[k].isSymbol("("))
            ++depth;
        else if (t[k].isSymbol(")"))
            --depth;
        else if (depth == 0 && t[k].isWord("FROM")) {
            from = k;
            break;
        }
    }
    if (from < 0) return none;
    int k = solid(from + 1);
    if (k >= t.size() || !(t[k].kind == SqlToken::Word || t[k].kind == SqlToken::Bracketed ||
                           t[k].kind == SqlToken::DoubleText || t[k].kind == SqlToken::SingleText))
        return none;
    QuerySource src;
    src.table = t[k].kind == SqlToken::Word ? t[k].text : unquoteLiteral(t[k].text);
    if (t[k].kind == SqlToken::Bracketed) src.table = bareName(t[k].text);
    src.qualifier = quoteName(src.table);
    k = solid(k + 1);
    if (k < t.size() && t[k].isWord("AS")) k = solid(k + 1);
    if (k < t.size() && (t[k].kind == SqlToken::Word || t[k].kind == SqlToken::Bracketed) &&
        !isKeyword(t[k])) {
        src.qualifier = quoteName(t[k].kind == SqlToken::Bracketed ? bareName(t[k].text) : t[k].text);
        k = solid(k + 1);
    }
    QString fromText;
    for (int m = from; m < k; ++m)
        fromText += t[m].text;
    // The rest, at the top level, must not bring in another table or fold rows together (a comma
    // in the closing ORDER BY only separates its keys).
    depth = 0;
    qsizetype at = 0;
    for (int m = 0; m < k; ++m)
        at += t[m].text.size();
    bool ordered = false, limited = false;
    for (int m = k; m < t.size(); at += t[m].text.size(), ++m) {
        if (t[m].isSymbol("("))
            ++depth;
        else if (t[m].isSymbol(")"))
            --depth;
        else if (depth == 0 && ((t[m].isSymbol(",") && !ordered) || t[m].isWord("JOIN") ||
                                t[m].isWord("GROUP") || t[m].isWord("HAVING") || t[m].isWord("UNION") ||
                                t[m].isWord("EXCEPT") || t[m].isWord("INTERSECT")))
            return none;
        else if (depth == 0 && t[m].isWord("ORDER")) {
            ordered = true;
            src.orderByAt = at;
        } else if (depth == 0 && (t[m].isWord("LIMIT") || t[m].isWord("OFFSET")))
            limited = true;
        else if (depth == 0 && t[m].isSymbol(";"))
            break;
        if (t[m].kind != SqlToken::Space) src.endAt = at + t[m].text.size();
    }
    if (limited) src.orderByAt = -1;
    src.insertAt = insertAt;
    src.fromAt = fromAt;
    src.selectList = sql.mid(insertAt, fromAt - insertAt);
    src.fromText = fromText.trimmed();
    return src;
}

QueryRecordset::QueryRecordset(Database& db, const QString& jetSql, RecordsetType type, int options)
    : Recordset(db, type) {
    open(jetSql, nullptr, options);
}

QueryRecordset::QueryRecordset(Database& db, const QueryTerms& terms, RecordsetType type, int options)
    : Recordset(db, type) {
    open(terms.text, &terms, options);
}

void QueryRecordset::nameFields() {
    QStringList names, types;
    originColumns_.clear();
    for (int c = firstField_; c < sqlite3_column_count(stmt_); ++c) {
        names << QString::fromUtf8(sqlite3_column_name(stmt_, c));
        types << normalizeType(sqlite3_column_decltype(stmt_, c));
        QString origin;
        if (!baseTable_.isEmpty()) {
            const char* table = sqlite3_column_table_name(stmt_, c);
            const char* column = sqlite3_column_origin_name(stmt_, c);
            if (table && column && QString::fromUtf8(table).compare(baseTable_, Qt::CaseInsensitive) == 0)
                origin = QString::fromUtf8(column);
        }
        originColumns_ << origin;
    }
    setFields(names, types);
}

OrderOutcome QueryRecordset::readTerms(const QueryTerms& terms, const QStringList& keyColumns, Places* places,
                                       int* rc) {
    Database& db = *db_;
    OrderedRead read{terms.table, quoteName(terms.table), QString(), {}, keyColumns};
    for (const QString& term : terms.orderBy) {
        const std::optional<OrderTerm> t = orderTermOf(translateJetSql(term));
        if (!t) return OrderOutcome::NotHere;
        read.terms.append(*t);
    }
    QStringList conditions;
    for (const QString& c : terms.conditions)
        conditions << u'(' + translateJetSql(c) + u')';
    // Each membership against a set of the sub-queries' values, as they stand in this transaction
    // (read in it, or kept since the last change); one the set cannot answer as the engine would
    // is left to the engine.
    db.noteOutsideChanges();
    std::vector<std::shared_ptr<const MemberSet>> sets;
    std::vector<std::unique_ptr<MemberSetInUse>> inUse;
    for (const MembershipTerm& m : terms.memberships) {
        QStringList subqueries;
        for (const QString& sub : m.subqueries)
            subqueries << translateJetSql(sub);
        const QString column = read.qualifier + u'.' + quoteName(m.column);
        sets.push_back(
            db.memberSets().get(db.handle(), db.changeSeq(), terms.table, m.column, subqueries, rc));
        if (*rc != SQLITE_OK) return OrderOutcome::Failed;
        if (!sets.back()) {
            conditions << column + (m.negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) +
                              subqueries.join(QStringLiteral(" UNION ALL ")) + u')';
            continue;
        }
        inUse.push_back(std::make_unique<MemberSetInUse>(*sets.back()));
        conditions << (m.negated ? QStringLiteral("NOT ") : QString()) +
                          QStringLiteral("velk_in(%1, %2)").arg(inUse.back()->id()).arg(column);
    }
    read.body = QStringLiteral("FROM ") + read.qualifier;
    if (!conditions.isEmpty())
        read.body += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return readOrderedRows(db.handle(), db.orders(), read, places, rc);
}

void QueryRecordset::open(const QString& jetSql, const QueryTerms* terms, int options) {
    const QString op = QStringLiteral("read from");
    Database& db = *db_;
    forwardOnly_ = type_ == RecordsetType::Snapshot && (options & ForwardOnly);
    const bool wantUpdates = type_ == RecordsetType::Dynaset && !(options & ReadOnly) && !db.readOnly();
    updatable_ = false;

    const QString sql = translateJetSql(jetSql);
    auto prepare = [&](const QString& text) {
        sqlite3_stmt* st = nullptr;
        const QByteArray utf8 = text.toUtf8();
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &st, &tail) != SQLITE_OK) {
            sqlite3_finalize(st);
            return static_cast<sqlite3_stmt*>(nullptr);
        }
        return st;
    };

    // A query on one table reads each row's rowid too: a dynaset writes through it, and both kinds
    // keep only the rowids (and keys) of rows passed over, reading their values again when they are
    // revisited.
    QString keyHead, keyQualifier; // the read of one row by key, less the key's terms
    QStringList keyColumns;        // the table's key, when the result holds it whole
    if (!forwardOnly_) {
        QuerySource src;
        QString withRowid;
        if (terms) {
            src.table = terms->table;
            src.qualifier = quoteName(terms->table);
            src.selectList = QStringLiteral(" * ");
            src.fromText = QStringLiteral("FROM ") + src.qualifier;
            withRowid = QStringLiteral("SELECT %1.rowid AS %2, * FROM %1")
                            .arg(src.qualifier, QLatin1String(kRowidColumn));
        } else {
            src = analyseQuerySource(sql);
            const bool numbered =
                src.orderByAt >= 0 && ordersByColumnNumber(sql.mid(src.orderByAt, src.endAt - src.orderByAt));
            if (!numbered) {
                withRowid = sql;
                withRowid.insert(
                    src.insertAt,
                    QStringLiteral(" %1.rowid AS %2,").arg(src.qualifier, QLatin1String(kRowidColumn)));
            }
        }
        if (!src.table.isEmpty() && !withRowid.isEmpty() && db.tableExists(src.table))
            stmt_ = prepare(withRowid);
        if (stmt_) {
            firstField_ = 1;
            baseTable_ = src.table;
            updatable_ = wantUpdates;
            refetchSql_ = QStringLiteral("SELECT ") + src.selectList + u' ' + src.fromText +
                          QStringLiteral(" WHERE ") + src.qualifier + QStringLiteral(".rowid = ?");
            keyHead = QStringLiteral("SELECT ") + src.qualifier + QStringLiteral(".rowid, ") +
                      src.selectList + u' ' + src.fromText + QStringLiteral(" WHERE ");
            keyQualifier = src.qualifier;
            nameFields();
            // Rows are known by their table's key when the result holds it.
            for (const QString& key : db.indexColumns(baseTable_, QStringLiteral("PRIMARY"))) {
                const auto at =
                    std::find_if(originColumns_.begin(), originColumns_.end(),
                                 [&](const QString& c) { return c.compare(key, Qt::CaseInsensitive) == 0; });
                if (at == originColumns_.end()) { // the result lacks part of the key: by rowid only
                    keyFields_.clear();
                    keyColumns.clear();
                    break;
                }
                keyFields_.push_back(int(at - originColumns_.begin()));
                keyColumns << key;
            }
            // An ordered result is known whole at once as its rows in order (their rowids and
            // keys), read in one read transaction, and its rows are read by rowid as they are
            // looked at: the count is exact, any row is reached without reading those before it,
            // and no read lock stays.
            int rc = SQLITE_OK;
            Places places;
            OrderOutcome outcome = OrderOutcome::NotHere;
            {
                ReadTransaction snapshot(db.handle());
                if (terms) {
                    outcome = readTerms(*terms, keyColumns, &places, &rc);
                } else if (std::optional<OrderedRead> read = orderedReadOf(sql, src)) {
                    read->keyColumns = keyColumns;
                    outcome = readOrderedRows(db.handle(), db.orders(), *read, &places, &rc);
                }
            }
            switch (outcome) {
            case OrderOutcome::Done:
                rowids_ = std::move(places.rowids);
                keyAt_ = std::move(places.keyAt);
                keys_ = std::move(places.keys);
                deleted_.assign(rowids_.size(), false);
                done_ = true;
                break;
            case OrderOutcome::Failed:
                sqlite3_finalize(stmt_);
                stmt_ = nullptr;
                fail(op, reasonFor(db.handle(), rc));
            case OrderOutcome::NotHere:
                if (terms) { // read the text as it stands
                    sqlite3_finalize(stmt_);
                    stmt_ = nullptr;
                    firstField_ = 0;
                    baseTable_.clear();
                    refetchSql_.clear();
                    keyFields_.clear();
                    open(jetSql, nullptr, options);
                    return;
                }
                break;
            }
        }
    }
    if (!stmt_) {
        stmt_ = prepare(sql);
        if (!stmt_) fail(op, reasonFor(db.handle(), sqlite3_extended_errcode(db.handle())));
        nameFields();
    }
    if (sqlite3_column_count(stmt_) <= firstField_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        fail(op, QStringLiteral("the SQL text is not a query that returns rows"));
    }

    if (!keyFields_.empty()) {
        QStringList terms;
        for (const QString& key : std::as_const(keyColumns))
            terms << keyQualifier + u'.' + quoteName(key) + QStringLiteral(" = ?");
        keyRefetchSql_ = keyHead + terms.join(QStringLiteral(" AND "));
    }

    if (done_) finishRead(); // the statement only named the fields
    if (fetchTo(0)) // Jet opens a query on its first row
        moveTo(0);
    else
        eof_ = true;
}

QueryRecordset::~QueryRecordset() {
    release();
}

void QueryRecordset::finishRead() {
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

void QueryRecordset::release() {
    finishRead();
    if (refetch_) {
        sqlite3_finalize(refetch_);
        refetch_ = nullptr;
    }
    if (keyRefetch_) {
        sqlite3_finalize(keyRefetch_);
        keyRefetch_ = nullptr;
    }
}

void QueryRecordset::remember(long long n) const {
    if (refetchSql_.isEmpty()) return; // without rowids every row stays
    cached_.push_back(n);
    forgetOldest(cached_.size() - std::min(cached_.size(), kCachedRows), n);
}

void QueryRecordset::forgetOldest(size_t count, long long keep) const {
    for (; count > 0 && !cached_.empty(); --count) {
        const long long old = cached_.front();
        cached_.pop_front();
        if (old != keep && old >= base_ && size_t(old - base_) < rows_.size())
            rows_[size_t(old - base_)].clear();
    }
}

void QueryRecordset::prepareOnce(sqlite3_stmt*& st, const QString& sql) const {
    if (st) return;
    const QString op = QStringLiteral("read from");
    Database& db = database(op);
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK) {
        const QString reason = reasonFor(db.handle(), sqlite3_extended_errcode(db.handle()));
        sqlite3_finalize(st);
        st = nullptr;
        fail(op, reason);
    }
}

void QueryRecordset::appendRowKey(std::string& out, sqlite3_stmt* st, int firstColumn) const {
    for (int f : keyFields_)
        appendKey(out, st, firstColumn + f);
}

bool QueryRecordset::sameKey(sqlite3_stmt* st, long long n, int firstColumn) const {
    if (!keyed()) return true;
    std::string key;
    appendRowKey(key, st, firstColumn);
    return keys_.compare(keyAt_[size_t(n - base_)], key.size(), key) == 0;
}

bool QueryRecordset::readByKey(long long n, QVariantList* row) const {
    const QString op = QStringLiteral("read from");
    Database& db = database(op);
    prepareOnce(keyRefetch_, keyRefetchSql_);
    bindKey(keyRefetch_, keys_.data() + keyAt_[size_t(n - base_)], int(keyFields_.size()));
    const int rc = sqlite3_step(keyRefetch_);
    row->clear();
    if (rc == SQLITE_ROW) {
        // The row may sit under another rowid now (a release loaded since): reads and writes follow it.
        rowids_[size_t(n - base_)] = sqlite3_column_int64(keyRefetch_, 0);
        const int cols = sqlite3_column_count(keyRefetch_);
        row->reserve(cols - 1);
        for (int c = 1; c < cols; ++c)
            row->append(readColumn(keyRefetch_, c));
    }
    const int code =
        rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db.handle());
    sqlite3_reset(keyRefetch_);
    sqlite3_clear_bindings(keyRefetch_);
    if (code != SQLITE_OK) fail(op, reasonFor(db.handle(), code));
    return rc == SQLITE_ROW;
}

QVariantList& QueryRecordset::rowSlot(long long n) const {
    const size_t at = size_t(n - base_);
    if (at >= rows_.size()) rows_.resize(at + 1);
    return rows_[at];
}

const QVariantList& QueryRecordset::rowAt(long long n) const {
    QVariantList& row = rowSlot(n);
    if (!row.isEmpty() || refetchSql_.isEmpty() || deleted_[size_t(n - base_)]) return row;
    const QString op = QStringLiteral("read from");
    Database& db = database(op);
    prepareOnce(refetch_, refetchSql_);
    sqlite3_bind_int64(refetch_, 1, rowids_[size_t(n - base_)]);
    const int rc = sqlite3_step(refetch_);
    // Another connection may have deleted the row and given its rowid to another: the row read
    // must still have the key it had.
    const bool moved = rc == SQLITE_ROW && !sameKey(refetch_, n, 0);
    if (rc == SQLITE_ROW && !moved) {
        const int cols = sqlite3_column_count(refetch_);
        row.reserve(cols);
        for (int c = 0; c < cols; ++c)
            row.append(readColumn(refetch_, c));
    }
    const int code =
        rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db.handle());
    sqlite3_reset(refetch_);
    if (code != SQLITE_OK) fail(op, reasonFor(db.handle(), code));
    if ((rc == SQLITE_DONE || moved) && !(keyed() && readByKey(n, &row))) { // deleted since it was read
        deleted_[size_t(n - base_)] = true;
        row.clear();
        return row;
    }
    remember(n);
    return row;
}

bool QueryRecordset::fetchTo(long long n) {
    if (n < base_) return false; // behind a forward-only read
    if (n < loaded()) return true;
    if (done_) return false;
    if (!db_ || !stmt_) fail(QStringLiteral("read from"), QStringLiteral("the recordset is closed"));
    const int cols = sqlite3_column_count(stmt_);
    const long long want = forwardOnly_ ? n : std::max(n, loaded() + kReadAhead - 1);
    // Rows well before the one asked for are only passed over: when they can be read again by
    // rowid they keep just that, and their values are neither read nor converted.
    const long long keepFrom = refetchSql_.isEmpty() ? 0 : n - kReadAhead;
    size_t passed = 0;
    // Rows passed over push the oldest rows out of memory as reading them would have.
    auto forgetForPassed = [&] {
        forgetOldest(cached_.size() + passed - std::min(cached_.size() + passed, kCachedRows), -1);
        passed = 0;
    };
    while (loaded() <= want) {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_DONE) {
            done_ = true;
            finishRead(); // the whole result is read: free the statement and its lock now
            break;
        }
        if (rc != SQLITE_ROW) {
            const QString reason = reasonFor(db_->handle(), sqlite3_extended_errcode(db_->handle()));
            finishRead();
            done_ = true;
            fail(QStringLiteral("read from"), reason);
        }
        if (forwardOnly_) { // keeps no row behind the one just read
            base_ = loaded();
            rows_.clear();
            rowids_.clear();
            deleted_.clear();
        }
        if (keyed()) {
            keyAt_.push_back(quint32(keys_.size()));
            appendRowKey(keys_, stmt_, firstField_);
        }
        if (loaded() < keepFrom) {
            rows_.emplace_back();
            rowids_.push_back(sqlite3_column_int64(stmt_, 0));
            deleted_.push_back(false);
            ++passed;
            continue;
        }
        if (passed) forgetForPassed();
        QVariantList row;
        row.reserve(cols - firstField_);
        for (int c = firstField_; c < cols; ++c)
            row.append(readColumn(stmt_, c));
        rows_.push_back(std::move(row));
        rowids_.push_back(firstField_ ? sqlite3_column_int64(stmt_, 0) : -1);
        deleted_.push_back(false);
        remember(loaded() - 1);
    }
    if (passed) forgetForPassed();
    return n < loaded();
}

void QueryRecordset::reachEnd() {
    while (!done_)
        fetchTo(kPastTheEnd);
}

void QueryRecordset::moveTo(long long n) {
    pos_ = n;
    eof_ = false;
    reached_ = std::max(reached_, n + 1);
}

void QueryRecordset::requireScrollable(const QString& operation, long long target) const {
    if (forwardOnly_ && target < pos_)
        fail(operation, QStringLiteral("a forward-only recordset cannot move backwards"));
}

void QueryRecordset::MoveFirst() {
    const QString op = QStringLiteral("move to the first row of");
    database(op);
    abandonEdit();
    requireScrollable(op, 0);
    if (fetchTo(0)) {
        moveTo(0);
    } else {
        pos_ = -1;
        eof_ = true;
    }
}

void QueryRecordset::MoveLast() {
    const QString op = QStringLiteral("move to the last row of");
    database(op);
    abandonEdit();
    // Passes every remaining row (an ordered result knows them all already); the last row is read
    // when it is looked at.
    reachEnd();
    if (rowids_.empty()) { // a forward-only read keeps the last row it read
        pos_ = -1;
        eof_ = true;
        return;
    }
    moveTo(loaded() - 1);
}

void QueryRecordset::MoveNext() {
    const QString op = QStringLiteral("move to the next row of");
    database(op);
    abandonEdit();
    if (eof_) fail(op, QStringLiteral("No current record."));
    const long long target = pos_ + 1;
    if (fetchTo(target)) {
        moveTo(target);
    } else {
        pos_ = std::max(pos_, loaded() - 1);
        eof_ = true;
        if (loaded() == 0) pos_ = -1;
    }
}

void QueryRecordset::MovePrevious() {
    const QString op = QStringLiteral("move to the previous row of");
    database(op);
    abandonEdit();
    if (pos_ < 0) fail(op, QStringLiteral("No current record."));
    if (forwardOnly_) fail(op, QStringLiteral("a forward-only recordset cannot move backwards"));
    if (eof_) {
        eof_ = false; // back onto the last row
        return;
    }
    --pos_;
}

long long QueryRecordset::AbsolutePosition() {
    database(QStringLiteral("move to a row of"));
    return pos_ >= 0 && !eof_ ? pos_ : -1;
}

void QueryRecordset::setAbsolutePosition(long long n) {
    const QString op = QStringLiteral("move to a row of");
    database(op);
    abandonEdit();
    if (n < 0) fail(op, QStringLiteral("the position %1 is not valid").arg(n));
    requireScrollable(op, n);
    if (fetchTo(n)) {
        moveTo(n);
    } else {
        reachEnd();
        pos_ = loaded() - 1;
        eof_ = true;
        reached_ = std::max(reached_, loaded());
    }
}

Bookmark QueryRecordset::bookmark() const {
    if (pos_ < 0 || eof_)
        fail(QStringLiteral("mark the current row of"), QStringLiteral("No current record."));
    return pos_;
}

void QueryRecordset::setBookmark(Bookmark b) {
    const QString op = QStringLiteral("return to a marked row of");
    database(op);
    abandonEdit();
    if (b < 0 || b >= loaded() || b < base_) fail(op, QStringLiteral("Not a valid bookmark."));
    moveTo(b);
}

bool QueryRecordset::refreshCurrentRow() {
    if (type_ != RecordsetType::Dynaset || refetchSql_.isEmpty()) return false;
    const QString op = QStringLiteral("read from");
    Database& db = database(op);
    db.noteOutsideChanges();
    if (pos_ < 0 || eof_ || pos_ < base_ || pos_ >= loaded()) return false;
    const size_t at = size_t(pos_ - base_);
    if (deleted_[at]) return false;
    if (!hasCurrent()) return true; // read again just now (by rowid, then key), and gone
    QVariantList& held = rowSlot(pos_);
    const QVariantList before = held;
    QVariantList row;
    if (!keyed()) {
        held.clear();
        rowAt(pos_);
        return deleted_[at] || held != before;
    }
    if (!readByKey(pos_, &row)) { // the key is gone
        deleted_[at] = true;
        held.clear();
        return true;
    }
    const bool changed = row != before;
    held = std::move(row);
    return changed;
}

bool QueryRecordset::hasCurrent() const {
    if (pos_ < 0 || eof_ || pos_ < base_) return false;
    if (pos_ >= loaded()) return false;
    rowAt(pos_); // a row read again may turn out deleted
    return !deleted_[size_t(pos_ - base_)];
}

bool QueryRecordset::currentDeleted() const {
    if (pos_ < base_ || eof_) return false;
    if (pos_ >= loaded()) return false;
    return (rowAt(pos_), deleted_[size_t(pos_ - base_)]);
}

QVariant QueryRecordset::currentValue(int index) const {
    if (currentDeleted()) fail(QStringLiteral("read a field from"), QStringLiteral("Record is deleted."));
    if (!hasCurrent()) fail(QStringLiteral("read a field from"), QStringLiteral("No current record."));
    return fromStorage(rowAt(pos_).value(index), Kind(fieldKinds_[size_t(index)]));
}

void QueryRecordset::deleteRow() {
    Database& db = database(QStringLiteral("delete a row from"));
    db.executeBound(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoteName(baseTable_)),
                    {rowids_[size_t(pos_ - base_)]});
    deleted_[size_t(pos_ - base_)] = true;
}

void QueryRecordset::writeRow(bool isNew) {
    const QString op = QStringLiteral("save a row in");
    Database& db = database(op);
    if (!updatable_) fail(op, QStringLiteral("the recordset is not updatable"));
    if (!isNew && !hasCurrent()) fail(op, QStringLiteral("No current record."));
    QStringList cols;
    QVariantList params;
    std::vector<int> which;
    for (int i = 0; i < changed_.size(); ++i) {
        if (!changed_[i]) continue;
        if (originColumns_.value(i).isEmpty())
            fail(op, QStringLiteral("the field %1 cannot be updated").arg(fieldNames_[i]));
        cols << quoteName(originColumns_[i]);
        params << editBuf_[i];
        which.push_back(i);
    }
    if (which.empty() && !isNew) return;
    const QString table = quoteName(baseTable_);
    if (isNew) {
        if (cols.isEmpty())
            db.executeBound(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table), {});
        else
            db.executeBound(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, cols.join(QStringLiteral(", ")),
                         QStringList(cols.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
                params);
        lastModified_ = -1; // a new row is not part of this result until it is opened again
        return;
    }
    const size_t at = size_t(pos_ - base_);
    params << rowids_[at];
    db.runBound(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(table, cols.join(QStringLiteral(" = ?, "))),
                params, table, cols);
    if (keyed() && std::any_of(which.begin(), which.end(), [&](int i) {
            return std::find(keyFields_.begin(), keyFields_.end(), i) != keyFields_.end();
        })) {
        // A key written here is the row's key from now on.
        prepareOnce(refetch_, refetchSql_);
        sqlite3_bind_int64(refetch_, 1, rowids_[at]);
        if (sqlite3_step(refetch_) == SQLITE_ROW) {
            keyAt_[at] = quint32(keys_.size());
            appendRowKey(keys_, refetch_, 0);
        }
        sqlite3_reset(refetch_);
    }
    rowAt(pos_);
    for (int i : which) // the cached row shows what was written
        if (QVariantList& held = rowSlot(pos_); !held.isEmpty()) held[i] = storageOf(editBuf_[i]);
    lastModified_ = pos_;
}

} // namespace dao
