#include "platform/dao/result_order.h"

#include "platform/dao/index_order.h"
#include "platform/dao/jet_sql.h"
#include "platform/dao/query_recordset.h"
#include "platform/dao/sqlite_util.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>

namespace dao::detail {

namespace {

std::optional<Collation> collationNamed(const QString& name) {
    if (name.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) == 0) return Collation::Binary;
    if (name.compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0) return Collation::NoCase;
    if (name.compare(QLatin1String("RTRIM"), Qt::CaseInsensitive) == 0) return Collation::RTrim;
    return std::nullopt;
}

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
        });
        if (plain && !index.columns.isEmpty()) out.push_back(std::move(index));
    }
    return out;
}

void appendBigEndian(std::string& out, quint64 v) {
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(char((v >> shift) & 0xff));
}

// Bytes with an end mark that keeps their order: a zero byte becomes 00 FF, the end 00 00.
void appendEscaped(std::string& out, const char* p, int n) {
    for (int i = 0; i < n; ++i) {
        out.push_back(p[i]);
        if (p[i] == 0) out.push_back(char(0xff));
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

bool appendSortKey(std::string& out, const SortValue& v, bool termHasReal, bool descending, bool nullsFirst) {
    const size_t begin = out.size();
    switch (v.type) {
    case SortValue::Null:
        out.push_back(char(nullsFirst != descending ? 0x01 : 0x05));
        break;
    case SortValue::Integer:
    case SortValue::Real: {
        out.push_back(char(0x02));
        if (!termHasReal) { // whole numbers exactly
            appendBigEndian(out, quint64(v.integer) ^ (quint64(1) << 63));
            break;
        }
        // With fractions among them every number goes as a double, which holds a whole number
        // exactly up to 2^53; beyond that the order is left to SQLite.
        if (v.type == SortValue::Integer && (v.integer > (qint64(1) << 53) || v.integer < -(qint64(1) << 53))) {
            out.resize(begin);
            return false;
        }
        double d = v.type == SortValue::Integer ? double(v.integer) : v.real;
        if (d == 0) d = 0; // -0 is 0
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
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

OrderOutcome readOrderedRowids(sqlite3* db, IndexOrders& orders, const QString& sql, const QuerySource& src,
                               std::vector<qint64>* rowids, int* rc) {
    if (src.orderByAt < 0 || src.fromAt < 0 || !plainSelectList(src.selectList)) return OrderOutcome::NotHere;
    const std::optional<QVector<OrderTerm>> terms =
        parseOrderBy(sql.mid(src.orderByAt, src.endAt - src.orderByAt));
    if (!terms) return OrderOutcome::NotHere;
    const QString body = sql.mid(src.fromAt, src.orderByAt - src.fromAt);
    const QString rowid = src.qualifier + QStringLiteral(".rowid");

    // Each term's collation: a column's own, BINARY for a function's result, or COLLATE's.
    std::vector<std::optional<Collation>> collations;
    for (const OrderTerm& t : *terms) {
        std::optional<Collation> c = t.collate;
        if (!t.column.isEmpty()) {
            const char* declared = nullptr;
            const char* collSeq = nullptr;
            if (sqlite3_table_column_metadata(db, nullptr, src.table.toUtf8().constData(),
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

    // The longest tail of the terms that an index of the table is ordered by gives the order of
    // the rows its terms leave tied (all of it, when the index covers every term); the terms
    // before it are sorted here. Without such a tail, ties go by rowid.
    int k = int(terms->size()); // the terms sorted here
    const IndexOrder* tail = nullptr;
    bool tailDescending = false;
    for (const TableIndex& index : tableIndexes(db, src.table)) {
        for (int j = 0; j < k; ++j) {
            const int n = int(terms->size()) - j;
            bool matches = n <= index.columns.size();
            for (int i = 0; matches && i < n; ++i) {
                const OrderTerm& t = (*terms)[j + i];
                matches = !t.column.isEmpty() && t.column.compare(index.columns[i], Qt::CaseInsensitive) == 0 &&
                          collations[size_t(j + i)] == index.collations[i] &&
                          t.descending == (*terms)[j].descending && t.nullsFirst != t.descending;
            }
            if (!matches) continue;
            QStringList keys;
            for (const QString& c : index.columns)
                keys << quoteName(c);
            const IndexOrder* o = orders.order(quoteName(src.table), keys, rc);
            if (!o) return OrderOutcome::Failed;
            k = j;
            tail = o;
            tailDescending = (*terms)[j].descending;
            break;
        }
    }
    bool sortable = true;
    for (int i = 0; i < k; ++i)
        sortable = sortable && collations[size_t(i)].has_value();

    auto select = [&](int keys, const QString& order) {
        QString text = QStringLiteral("SELECT ") + rowid;
        for (int i = 0; i < keys; ++i)
            text += QStringLiteral(", ") + (*terms)[i].expression;
        return (text + u' ' + body + order).toUtf8();
    };
    // Read in whatever order costs least (the planner's choice with no order asked for), or in
    // SQLite's order when some term cannot be sorted here.
    QByteArray query = sortable ? select(k, QString()) : select(0, sql.mid(src.orderByAt, src.endAt - src.orderByAt));
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return OrderOutcome::NotHere;
    }
    if (!sortable) {
        k = 0;
        tail = nullptr;
    }
    const bool sortHere = sortable;

    // The rows with their keys as they come; the keys are made into byte strings that sort as
    // SQLite orders the values (appendSortKey) once every value of a term is known.
    rowids->clear();
    std::vector<SortValue> values; // k per row; text in `store`, as its collation compares it
    std::string store;
    std::vector<bool> hasReal(size_t(k), false);
    int step;
    while ((step = sqlite3_step(st)) == SQLITE_ROW) {
        rowids->push_back(sqlite3_column_int64(st, 0));
        for (int i = 0; i < k; ++i) {
            SortValue v;
            switch (sqlite3_column_type(st, i + 1)) {
            case SQLITE_INTEGER:
                v.type = SortValue::Integer;
                v.integer = sqlite3_column_int64(st, i + 1);
                break;
            case SQLITE_FLOAT:
                v.type = SortValue::Real;
                v.real = sqlite3_column_double(st, i + 1);
                hasReal[size_t(i)] = true;
                break;
            case SQLITE_TEXT:
                v.type = SortValue::Text;
                v.integer = qint64(store.size());
                v.size = appendForCollation(store, reinterpret_cast<const char*>(sqlite3_column_text(st, i + 1)),
                                            sqlite3_column_bytes(st, i + 1), *collations[size_t(i)]);
                break;
            case SQLITE_BLOB:
                v.type = SortValue::Blob;
                v.integer = qint64(store.size());
                v.size = sqlite3_column_bytes(st, i + 1);
                store.append(static_cast<const char*>(sqlite3_column_blob(st, i + 1)), size_t(v.size));
                break;
            default:
                break;
            }
            values.push_back(v);
        }
    }
    const int code = step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
    sqlite3_finalize(st);
    if (code != SQLITE_OK) {
        *rc = code;
        return OrderOutcome::Failed;
    }
    if (!sortHere) return OrderOutcome::Done;

    // The tail's order: each row's place in the index, turned round for a descending tail.
    std::vector<qint64> places;
    if (tail) {
        places.reserve(rowids->size());
        const qint64 last = qint64(tail->rowids.size()) - 1;
        for (qint64 r : *rowids) {
            const long long at = tail->positionOf(r);
            if (at < 0) return OrderOutcome::NotHere; // a row the index does not know yet
            places.push_back(tailDescending ? last - at : at);
        }
        if (k == 0) { // the index gives the whole order: the rows by their places
            std::vector<bool> present(tail->rowids.size(), false);
            for (qint64 at : places)
                present[size_t(at)] = true;
            rowids->clear();
            for (size_t at = 0; at < present.size(); ++at)
                if (present[at]) rowids->push_back(tail->rowids[size_t(tailDescending ? last - qint64(at) : qint64(at))]);
            return OrderOutcome::Done;
        }
    }
    std::string keys;
    std::vector<size_t> ends;
    ends.reserve(rowids->size());
    for (size_t r = 0; r < rowids->size(); ++r) {
        for (int i = 0; i < k; ++i) {
            SortValue v = values[r * size_t(k) + size_t(i)];
            if (v.type == SortValue::Text || v.type == SortValue::Blob) v.bytes = store.data() + v.integer;
            const OrderTerm& t = (*terms)[i];
            if (!appendSortKey(keys, v, hasReal[size_t(i)], t.descending, t.nullsFirst))
                return OrderOutcome::NotHere;
        }
        appendBigEndian(keys, quint64(tail ? places[r] : (*rowids)[r]) ^ (quint64(1) << 63));
        ends.push_back(keys.size());
    }
    std::vector<KeyRef> refs(rowids->size());
    for (size_t r = 0; r < refs.size(); ++r) {
        const size_t begin = r == 0 ? 0 : ends[r - 1];
        refs[r] = {reinterpret_cast<const unsigned char*>(keys.data()) + begin, int(ends[r] - begin), quint32(r)};
    }
    multikeySort(refs.data(), refs.size(), 0);
    std::vector<qint64> sorted;
    sorted.reserve(refs.size());
    for (const KeyRef& ref : refs)
        sorted.push_back((*rowids)[ref.row]);
    *rowids = std::move(sorted);
    return OrderOutcome::Done;
}

} // namespace dao::detail
