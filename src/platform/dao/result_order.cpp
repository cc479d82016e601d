#include "platform/dao/result_order.h"

#include "platform/dao/index_order.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/query_recordset.h"
#include "platform/dao/sqlite_util.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace dao::detail {

std::optional<Collation> collationNamed(const QString& name) {
    if (name.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) == 0) return Collation::Binary;
    if (name.compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0) return Collation::NoCase;
    if (name.compare(QLatin1String("RTRIM"), Qt::CaseInsensitive) == 0) return Collation::RTrim;
    return std::nullopt;
}

namespace {

bool isName(const SqlToken& t) {
    return t.kind == SqlToken::Word || t.kind == SqlToken::Bracketed;
}

// One term's tokens, blanks left out.
std::optional<OrderTerm> readTerm(QVector<SqlToken> t) {
    OrderTerm term;
    for (const SqlToken& k : t)
        term.written += k.text + u' ';
    term.written.chop(1);
    auto endsWith = [&](const char* word) { return !t.isEmpty() && t.last().isWord(word); };
    if (t.size() >= 2 && t[t.size() - 2].isWord("NULLS") && (endsWith("FIRST") || endsWith("LAST"))) {
        term.nullsFirst = endsWith("FIRST");
        t.resize(t.size() - 2);
        if (endsWith("ASC") || endsWith("DESC")) {
            term.descending = endsWith("DESC");
            t.removeLast();
        }
    } else if (endsWith("ASC") || endsWith("DESC")) {
        term.descending = endsWith("DESC");
        term.nullsFirst = !term.descending;
        t.removeLast();
    }
    if (t.size() >= 2 && t[t.size() - 2].isWord("COLLATE")) {
        term.collate = collationNamed(bareName(t.last().text));
        if (!term.collate) return std::nullopt;
        t.resize(t.size() - 2);
    }
    if (t.isEmpty() || (t.size() == 1 && t[0].kind == SqlToken::Number)) return std::nullopt;
    for (const SqlToken& k : t)
        term.expression += k.text + u' ';
    term.expression.chop(1);
    if (t.size() == 1 && isName(t[0]))
        term.column = bareName(t[0].text);
    else if (t.size() == 3 && isName(t[0]) && t[1].isSymbol(".") && isName(t[2]))
        term.column = bareName(t[2].text);
    else if (t.size() >= 3 && t[0].kind == SqlToken::Word && !t[0].isWord("CAST") && t[1].isSymbol("(") &&
             t.last().isSymbol(")")) {
        int depth = 0;
        bool whole = true; // the parenthesis after the name closes at the end
        for (int i = 1; i < t.size(); ++i) {
            depth += t[i].isSymbol("(") ? 1 : t[i].isSymbol(")") ? -1 : 0;
            if (depth == 0 && i + 1 < t.size()) whole = false;
        }
        term.call = whole;
    }
    return term;
}

// True when a select list names only columns of the one table (or all of them): then no result
// column has a name of its own that an ORDER BY term could mean instead of a table column.
bool plainSelectList(const QString& list) {
    QVector<SqlToken> item;
    auto itemPlain = [&] {
        if (item.size() == 1) return item[0].isSymbol("*") || isName(item[0]);
        return item.size() == 3 && isName(item[0]) && item[1].isSymbol(".") &&
               (isName(item[2]) || item[2].isSymbol("*"));
    };
    for (const SqlToken& t : tokenizeSql(list)) {
        if (t.kind == SqlToken::Space) continue;
        if (t.isSymbol(",")) {
            if (!itemPlain()) return false;
            item.clear();
        } else {
            item.append(t);
        }
    }
    return itemPlain();
}

// True when SQLite reads the query's rows in its order without a sort of its own, without going
// from an index to the table row by row, and without looking each row up in a sub-query's list
// (in the order of another column those look-ups land all over the list, several times slower
// than in the list's own order, which the planner does not weigh): then its order costs nothing.
bool orderComesFree(sqlite3* db, const QByteArray& sql) {
    sqlite3_stmt* st = nullptr;
    const QByteArray explain = "EXPLAIN QUERY PLAN " + sql;
    if (sqlite3_prepare_v2(db, explain.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    bool free = true;
    while (free && sqlite3_step(st) == SQLITE_ROW) {
        if (sqlite3_column_int(st, 1) != 0) continue; // a step of a sub-query
        const QByteArray detail(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        free = !detail.contains("TEMP B-TREE") && !detail.contains("USING INDEX") &&
               !detail.contains("LIST SUBQUERY");
    }
    sqlite3_finalize(st);
    return free;
}

struct TableIndex {
    QStringList columns; // key columns in order
    std::vector<std::optional<Collation>> collations;
};

// The table's indexes that order rows by plain columns, ascending, over the whole table.
std::vector<TableIndex> tableIndexes(sqlite3* db, const QString& table) {
    std::vector<TableIndex> out;
    auto rows = [db](const QString& sql, const std::function<void(sqlite3_stmt*)>& each) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                each(st);
        sqlite3_finalize(st);
    };
    auto text = [](sqlite3_stmt* st, int col) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)));
    };
    QStringList names;
    rows(QStringLiteral("PRAGMA index_list(%1)").arg(quoteName(table)), [&](sqlite3_stmt* st) {
        if (sqlite3_column_int(st, 4) == 0) names << text(st, 1); // not partial
    });
    for (const QString& name : names) {
        TableIndex index;
        bool plain = true;
        rows(QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteName(name)), [&](sqlite3_stmt* st) {
            if (sqlite3_column_int(st, 5) == 0) return; // the rowid after the keys
            plain = plain && sqlite3_column_int(st, 1) >= 0 && sqlite3_column_int(st, 3) == 0;
            index.columns << text(st, 2);
            index.collations.push_back(collationNamed(text(st, 4)));
            // The kept order is read by the columns as they are declared: an index in a collation
            // of its own orders its rows otherwise.
            const char* collSeq = nullptr;
            plain = plain && sqlite3_table_column_metadata(db, nullptr, table.toUtf8().constData(),
                                                           index.columns.last().toUtf8().constData(), nullptr,
                                                           &collSeq, nullptr, nullptr, nullptr) == SQLITE_OK &&
                    index.collations.back() &&
                    collationNamed(QString::fromUtf8(collSeq ? collSeq : "BINARY")) == index.collations.back();
        });
        if (plain && !index.columns.isEmpty()) out.push_back(std::move(index));
    }
    return out;
}

// The table's largest rowid (about its number of rows), 0 when it has none or it cannot be read.
qint64 largestRowid(sqlite3* db, const QString& table) {
    sqlite3_stmt* st = nullptr;
    qint64 largest = 0;
    if (sqlite3_prepare_v2(db, ("SELECT max(rowid) FROM " + quoteName(table)).toUtf8().constData(), -1, &st,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        largest = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return largest;
}

void appendBigEndian(std::string& out, quint64 v) {
    char bytes[8];
    for (int i = 7; i >= 0; --i, v >>= 8)
        bytes[i] = char(v & 0xff);
    out.append(bytes, 8);
}

// Bytes with an end mark that keeps their order: a zero byte becomes 00 FF, the end 00 00.
void appendEscaped(std::string& out, const char* p, int n) {
    const char* const end = p + n;
    while (p < end) {
        const char* zero = static_cast<const char*>(std::memchr(p, 0, size_t(end - p)));
        const char* stop = zero ? zero + 1 : end;
        out.append(p, size_t(stop - p));
        if (zero) out.push_back(char(0xff));
        p = stop;
    }
    out.append(2, char(0));
}

// A key as the multikey quicksort sees it; every key ends with its row's number, so no two are equal.
struct KeyRef {
    const unsigned char* bytes;
    int size;
    quint32 row;
};

int byteAt(const KeyRef& k, int depth) {
    return depth < k.size ? k.bytes[depth] : -1;
}

bool keyBefore(const KeyRef& a, const KeyRef& b, int depth) {
    const int n = std::min(a.size, b.size) - depth;
    const int c = n > 0 ? std::memcmp(a.bytes + depth, b.bytes + depth, size_t(n)) : 0;
    return c != 0 ? c < 0 : a.size < b.size;
}

// Bentley and Sedgewick's multikey quicksort: byte strings that share long beginnings (names of
// one family, equal names) are sorted without comparing those beginnings again and again.
void multikeySort(KeyRef* a, size_t n, int depth) {
    while (n > 1) {
        if (n < 12) {
            std::sort(a, a + n, [depth](const KeyRef& x, const KeyRef& y) { return keyBefore(x, y, depth); });
            return;
        }
        const int x = byteAt(a[0], depth), y = byteAt(a[n / 2], depth), z = byteAt(a[n - 1], depth);
        const int pivot = std::max(std::min(x, y), std::min(std::max(x, y), z));
        size_t lt = 0, i = 0, gt = n;
        while (i < gt) {
            const int c = byteAt(a[i], depth);
            if (c < pivot)
                std::swap(a[lt++], a[i++]);
            else if (c > pivot)
                std::swap(a[i], a[--gt]);
            else
                ++i;
        }
        multikeySort(a, lt, depth);
        multikeySort(a + gt, n - gt, depth);
        if (pivot < 0) return; // keys that ended here: at most one, as no two are equal
        a += lt;
        n = gt - lt;
        ++depth;
    }
}

} // namespace

bool ordersByColumnNumber(const QString& clause) {
    const QVector<SqlToken> t = tokenizeSql(clause);
    int depth = 0;
    bool termStart = false;
    for (const SqlToken& k : t) {
        if (k.kind == SqlToken::Space) continue;
        if (depth == 0 && termStart && k.kind == SqlToken::Number) return true;
        termStart = depth == 0 && (k.isWord("BY") || k.isSymbol(","));
        depth += k.isSymbol("(") ? 1 : k.isSymbol(")") ? -1 : 0;
    }
    return false;
}

std::optional<QVector<OrderTerm>> parseOrderBy(const QString& clause) {
    QVector<SqlToken> tokens;
    for (const SqlToken& t : tokenizeSql(clause))
        if (t.kind != SqlToken::Space) tokens.append(t);
    if (tokens.size() < 3 || !tokens[0].isWord("ORDER") || !tokens[1].isWord("BY")) return std::nullopt;
    QVector<OrderTerm> terms;
    QVector<SqlToken> term;
    int depth = 0;
    for (int i = 2; i <= tokens.size(); ++i) {
        const bool end = i == tokens.size() || (depth == 0 && tokens[i].isSymbol(";"));
        if (end || (depth == 0 && tokens[i].isSymbol(","))) {
            const std::optional<OrderTerm> t = readTerm(term);
            if (!t) return std::nullopt;
            terms.append(*t);
            term.clear();
            if (end) break;
            continue;
        }
        depth += tokens[i].isSymbol("(") ? 1 : tokens[i].isSymbol(")") ? -1 : 0;
        term.append(tokens[i]);
    }
    return terms;
}

int appendForCollation(std::string& out, const char* text, int size, Collation c) {
    if (c == Collation::RTrim)
        while (size > 0 && text[size - 1] == ' ')
            --size;
    const size_t at = out.size();
    out.append(text, size_t(size));
    if (c == Collation::NoCase)
        for (size_t i = at; i < out.size(); ++i)
            if (out[i] >= 'A' && out[i] <= 'Z') out[i] = char(out[i] - 'A' + 'a');
    return size;
}

bool appendSortKey(std::string& out, const SortValue& v, bool descending, bool nullsFirst) {
    const size_t begin = out.size();
    switch (v.type) {
    case SortValue::Null:
        out.push_back(char(nullsFirst != descending ? 0x01 : 0x05));
        break;
    case SortValue::Integer:
    case SortValue::Real: {
        // Every number goes as a double, which holds a whole number exactly up to 2^53; beyond
        // that the order is left to SQLite.
        if (v.type == SortValue::Integer && (v.integer > (qint64(1) << 53) || v.integer < -(qint64(1) << 53))) {
            out.resize(begin);
            return false;
        }
        double d = v.type == SortValue::Integer ? double(v.integer) : v.real;
        if (d == 0) d = 0; // -0 is 0
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        out.push_back(char(0x02));
        appendBigEndian(out, (bits >> 63) ? ~bits : bits | (quint64(1) << 63));
        break;
    }
    case SortValue::Text:
    case SortValue::Blob:
        out.push_back(char(v.type == SortValue::Text ? 0x03 : 0x04));
        appendEscaped(out, v.bytes, v.size);
        break;
    }
    if (descending)
        for (size_t i = begin; i < out.size(); ++i)
            out[i] = char(0xff - static_cast<unsigned char>(out[i]));
    return true;
}

std::optional<OrderTerm> orderTermOf(const QString& term) {
    QVector<SqlToken> tokens;
    for (const SqlToken& t : tokenizeSql(term))
        if (t.kind != SqlToken::Space) tokens.append(t);
    return readTerm(tokens);
}

std::optional<OrderedRead> orderedReadOf(const QString& sql, const QuerySource& src) {
    if (src.orderByAt < 0 || src.fromAt < 0 || !plainSelectList(src.selectList)) return std::nullopt;
    const std::optional<QVector<OrderTerm>> terms =
        parseOrderBy(sql.mid(src.orderByAt, src.endAt - src.orderByAt));
    if (!terms) return std::nullopt;
    return OrderedRead{src.table, src.qualifier, sql.mid(src.fromAt, src.orderByAt - src.fromAt), *terms, {}};
}

void appendKey(std::string& out, sqlite3_stmt* st, int col) {
    // Through the column's value: one call of the statement's interface instead of three.
    sqlite3_value* v = sqlite3_column_value(st, col);
    const int type = sqlite3_value_type(v);
    char head[1 + 8];
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        head[0] = type == SQLITE_INTEGER ? 'i' : 'f';
        const qint64 whole = sqlite3_value_int64(v);
        const double real = sqlite3_value_double(v);
        std::memcpy(head + 1, type == SQLITE_INTEGER ? static_cast<const void*>(&whole) : &real, 8);
        out.append(head, 9);
    } else if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        // Short values, as keys are, take one byte for their length.
        const void* bytes =
            type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(v)) : sqlite3_value_blob(v);
        const int n = sqlite3_value_bytes(v);
        const bool small = n < 255;
        head[0] = type == SQLITE_TEXT ? (small ? 't' : 'T') : (small ? 'b' : 'B');
        if (small)
            head[1] = char(n);
        else
            std::memcpy(head + 1, &n, sizeof n);
        out.append(head, small ? 2 : 1 + sizeof n);
        out.append(static_cast<const char*>(bytes), size_t(n));
    } else {
        out.push_back('n');
    }
}

void bindKey(sqlite3_stmt* st, const char* p, int count) {
    for (int i = 1; i <= count; ++i) {
        const char tag = *p++;
        if (tag == 'i' || tag == 'f') {
            qint64 whole;
            double real;
            std::memcpy(tag == 'i' ? static_cast<void*>(&whole) : static_cast<void*>(&real), p, 8);
            p += 8;
            if (tag == 'i')
                sqlite3_bind_int64(st, i, whole);
            else
                sqlite3_bind_double(st, i, real);
        } else if (tag == 'n') {
            sqlite3_bind_null(st, i);
        } else {
            int n;
            if (tag == 't' || tag == 'b') {
                n = uint8_t(*p++);
            } else {
                std::memcpy(&n, p, sizeof n);
                p += sizeof n;
            }
            if (tag == 't' || tag == 'T')
                sqlite3_bind_text(st, i, p, n, SQLITE_TRANSIENT);
            else
                sqlite3_bind_blob(st, i, p, n, SQLITE_TRANSIENT);
            p += n;
        }
    }
}

OrderOutcome readOrderedRows(sqlite3* db, IndexOrders& orders, const OrderedRead& read, Places* places,
                             int* rc) {
    const QVector<OrderTerm>& terms = read.terms;
    if (terms.isEmpty()) return OrderOutcome::NotHere;
    const QString rowid = read.qualifier + QStringLiteral(".rowid");

    // Each term's collation: a column's own, BINARY for a function's result, or COLLATE's.
    std::vector<std::optional<Collation>> collations;
    for (const OrderTerm& t : terms) {
        std::optional<Collation> c = t.collate;
        if (!t.column.isEmpty()) {
            const char* declared = nullptr;
            const char* collSeq = nullptr;
            if (sqlite3_table_column_metadata(db, nullptr, read.table.toUtf8().constData(),
                                              t.column.toUtf8().constData(), &declared, &collSeq, nullptr,
                                              nullptr, nullptr) != SQLITE_OK)
                c.reset();
            else if (!c)
                c = collationNamed(QString::fromUtf8(collSeq ? collSeq : "BINARY"));
        } else if (t.call && !c) {
            c = Collation::Binary;
        }
        collations.push_back(c);
    }

    // Columns of the read: the rowid, the key, then the values of the terms sorted here.
    const int firstTerm = 1 + int(read.keyColumns.size());
    auto select = [&](int keys, const QString& order) {
        QString text = QStringLiteral("SELECT ") + rowid;
        for (const QString& key : read.keyColumns)
            text += QStringLiteral(", ") + read.qualifier + u'.' + quoteName(key);
        for (int i = 0; i < keys; ++i)
            text += QStringLiteral(", ") + terms[i].expression;
        return (text + u' ' + read.body + u' ' + order).toUtf8();
    };
    const int n = int(terms.size());
    auto tailClause = [&](int j) {
        QStringList tail;
        for (int i = j; i < n; ++i)
            tail << terms[i].written;
        return QStringLiteral("ORDER BY ") + tail.join(QStringLiteral(", "));
    };
    // An index ordered by the terms from j on (plain columns, one direction, the index's collation).
    const std::vector<TableIndex> indexes = tableIndexes(db, read.table);
    auto indexFor = [&](int j) -> const TableIndex* {
        for (const TableIndex& index : indexes) {
            bool matches = n - j <= index.columns.size();
            for (int i = 0; matches && j + i < n; ++i) {
                const OrderTerm& t = terms[j + i];
                matches = !t.column.isEmpty() &&
                          t.column.compare(index.columns[i], Qt::CaseInsensitive) == 0 &&
                          collations[size_t(j + i)] == index.collations[i] &&
                          t.descending == terms[j].descending && t.nullsFirst != t.descending;
            }
            if (matches) return &index;
        }
        return nullptr;
    };

    // The longest tail of the terms whose order comes without sorting: SQLite reads the rows in it
    // at no cost, or an index in its order is kept (IndexOrders). The terms before that tail are
    // sorted here; rows they leave tied keep the tail's order. Without such a tail every term is
    // sorted here, ties by rowid; a term that cannot be sorted here leaves the order to SQLite.
    int k = n;                // the terms sorted here
    bool readInOrder = false; // rows come in the tail's order
    const IndexOrder* tail = nullptr;
    bool tailDescending = false;
    QByteArray query;
    bool headSortable = true;
    for (int j = 0; j < n && query.isEmpty() && headSortable; ++j) {
        const QByteArray ordered = select(j, tailClause(j));
        if (orderComesFree(db, ordered)) {
            query = ordered;
            readInOrder = true;
        } else if (const TableIndex* index = indexFor(j)) {
            QStringList keys;
            for (const QString& c : index->columns)
                keys << quoteName(c);
            if (!(tail = orders.order(quoteName(read.table), keys, rc))) return OrderOutcome::Failed;
            tailDescending = terms[j].descending;
            query = select(j, QString());
        }
        k = j;
        headSortable = collations[size_t(j)].has_value();
    }
    if (query.isEmpty()) {
        readInOrder = !headSortable;
        k = headSortable ? n : 0;
        query = select(k, headSortable ? QString() : tailClause(0));
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return OrderOutcome::NotHere;
    }

    // Each row's rowid, key and, for the terms sorted here, its sort key: byte strings that sort
    // as SQLite orders the values (appendSortKey), then what breaks their ties: the row's place in
    // the tail's order (where it came, or its place in the index), else its rowid.
    std::vector<qint64>& rowids = places->rowids;
    std::vector<quint32>& keyAt = places->keyAt;
    rowids.clear();
    keyAt.clear();
    places->keys.clear();
    const bool keyed = !read.keyColumns.isEmpty();
    // Room for every row of the table at once: growing step by step copies and touches fresh
    // memory again and again, which costs more than the read; room not written costs nothing.
    const size_t room = size_t(std::clamp<qint64>(largestRowid(db, read.table), 0, 1 << 23)) + 1;
    rowids.reserve(room);
    if (keyed) {
        keyAt.reserve(room);
        places->keys.reserve(room * 12);
    }
    std::string keys, folded;
    std::vector<size_t> ends;
    if (k > 0) ends.reserve(room);
    std::vector<qint64> placeInTail; // when an index gives the whole order
    const qint64 last = tail ? qint64(tail->rowids.size()) - 1 : 0;
    bool here = true;
    int step;
    while ((step = sqlite3_step(st)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(st, 0);
        qint64 place = readInOrder ? qint64(rowids.size()) : id;
        if (tail) {
            const long long at = tail->positionOf(id);
            if (at < 0) { // a row the index does not know yet
                here = false;
                break;
            }
            place = tailDescending ? last - at : at;
        }
        rowids.push_back(id);
        if (keyed) {
            keyAt.push_back(quint32(places->keys.size()));
            for (int c = 1; c < firstTerm; ++c)
                appendKey(places->keys, st, c);
        }
        if (k == 0) {
            if (tail) placeInTail.push_back(place);
            continue;
        }
        for (int i = 0; i < k && here; ++i) {
            const int col = firstTerm + i;
            SortValue v;
            switch (sqlite3_column_type(st, col)) {
            case SQLITE_INTEGER:
                v.type = SortValue::Integer;
                v.integer = sqlite3_column_int64(st, col);
                break;
            case SQLITE_FLOAT:
                v.type = SortValue::Real;
                v.real = sqlite3_column_double(st, col);
                break;
            case SQLITE_TEXT:
                folded.clear();
                v.type = SortValue::Text;
                v.size =
                    appendForCollation(folded, reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                       sqlite3_column_bytes(st, col), *collations[size_t(i)]);
                v.bytes = folded.data();
                break;
            case SQLITE_BLOB:
                v.type = SortValue::Blob;
                v.bytes = static_cast<const char*>(sqlite3_column_blob(st, col));
                v.size = sqlite3_column_bytes(st, col);
                break;
            default:
                break;
            }
            here = appendSortKey(keys, v, terms[i].descending, terms[i].nullsFirst);
        }
        if (!here) break;
        appendBigEndian(keys, quint64(place) ^ (quint64(1) << 63));
        ends.push_back(keys.size());
    }
    const int code = !here || step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
    sqlite3_finalize(st);
    if (code != SQLITE_OK) {
        *rc = code;
        return OrderOutcome::Failed;
    }
    if (!here) return OrderOutcome::NotHere;
    if (k == 0 && !tail) return OrderOutcome::Done; // read in order

    // The rows put in order: by their places in the index, or by their sort keys.
    std::vector<quint32> order;
    order.reserve(rowids.size());
    if (k == 0) {
        std::vector<quint32> rowAt(tail->rowids.size(), 0); // row + 1 by place
        for (size_t r = 0; r < placeInTail.size(); ++r)
            rowAt[size_t(placeInTail[r])] = quint32(r + 1);
        for (quint32 r : rowAt)
            if (r != 0) order.push_back(r - 1);
    } else {
        std::vector<KeyRef> refs(rowids.size());
        for (size_t r = 0; r < refs.size(); ++r) {
            const size_t begin = r == 0 ? 0 : ends[r - 1];
            refs[r] = {reinterpret_cast<const unsigned char*>(keys.data()) + begin, int(ends[r] - begin),
                       quint32(r)};
        }
        multikeySort(refs.data(), refs.size(), 0);
        for (const KeyRef& ref : refs)
            order.push_back(ref.row);
    }
    std::vector<qint64> sorted;
    std::vector<quint32> sortedKeys;
    sorted.reserve(order.size());
    sortedKeys.reserve(keyed ? order.size() : 0);
    for (quint32 r : order) {
        sorted.push_back(rowids[r]);
        if (keyed) sortedKeys.push_back(keyAt[r]);
    }
    rowids = std::move(sorted);
    keyAt = std::move(sortedKeys);
    return OrderOutcome::Done;
}

} // namespace dao::detail
