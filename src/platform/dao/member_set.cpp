#include "platform/dao/member_set.h"

#include "platform/dao/result_order.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace dao::detail {

namespace {

std::mutex registryMutex;
std::unordered_map<long long, const MemberSet*> registry;
long long lastId = 0;

const MemberSet* setInUse(long long id) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second;
}

void memberFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // The id is a constant of the statement: its set is looked up once per statement.
    auto* set = static_cast<const MemberSet*>(sqlite3_get_auxdata(ctx, 0));
    if (!set) {
        set = setInUse(sqlite3_value_int64(argv[0]));
        if (!set) {
            sqlite3_result_error(ctx, "velk_in: no such set", -1);
            return;
        }
        sqlite3_set_auxdata(ctx, 0, const_cast<MemberSet*>(set), nullptr);
    }
    const int found = set->test(argv[1]);
    if (found < 0)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int(ctx, found);
}

// SQLite's rule: a declared type with INT in it is numeric; with CHAR, CLOB or TEXT, text.
bool textAffinity(const char* declared) {
    const QByteArray t = QByteArray(declared ? declared : "").toUpper();
    return !t.contains("INT") && (t.contains("CHAR") || t.contains("CLOB") || t.contains("TEXT"));
}

// The declared type's text affinity and the collation of table.column; nothing when unknown.
std::optional<Collation> textCollationOf(sqlite3* db, const char* table, const char* column) {
    const char* declared = nullptr;
    const char* collation = nullptr;
    if (sqlite3_table_column_metadata(db, nullptr, table, column, &declared, &collation, nullptr, nullptr,
                                      nullptr) != SQLITE_OK ||
        !textAffinity(declared))
        return std::nullopt;
    const QByteArray name = QByteArray(collation ? collation : "BINARY").toUpper();
    if (name == "BINARY") return Collation::Binary;
    if (name == "NOCASE") return Collation::NoCase;
    if (name == "RTRIM") return Collation::RTrim;
    return std::nullopt;
}

} // namespace

namespace {

// A hash of a short key, eight bytes at a time.
uint64_t hashOf(std::string_view key) {
    uint64_t h = 0x9e3779b97f4a7c15ull ^ key.size();
    size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, key.data() + i, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
    }
    uint64_t w = 0;
    std::memcpy(&w, key.data() + i, key.size() - i);
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 29);
}

} // namespace

template <class Use> bool MemberSet::withKey(sqlite3_value* v, Use use) const {
    char small[64];
    std::string large;
    auto room = [&](size_t n) -> char* {
        if (n <= sizeof small) return small;
        large.resize(n);
        return large.data();
    };
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: { // numbers equal by value, whole or not
        double d = sqlite3_value_double(v);
        if (d == 0) d = 0;
        small[0] = 'n';
        std::memcpy(small + 1, &d, sizeof d);
        use(std::string_view(small, 1 + sizeof d));
        return true;
    }
    case SQLITE_BLOB: { // compared byte for byte in any collation
        const size_t n = size_t(sqlite3_value_bytes(v));
        char* out = room(n + 1);
        out[0] = 'b';
        if (n) std::memcpy(out + 1, sqlite3_value_blob(v), n);
        use(std::string_view(out, n + 1));
        return true;
    }
    default:
        break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    int size = sqlite3_value_bytes(v);
    if (collation_ == Collation::RTrim)
        while (size > 0 && text[size - 1] == ' ')
            --size;
    // NOCASE folds A-Z only, and stops comparing at a zero byte that both texts hold at the same
    // place; texts of different lengths are never equal.
    const void* zero = collation_ == Collation::NoCase ? std::memchr(text, 0, size_t(size)) : nullptr;
    const size_t compared = zero ? size_t(static_cast<const char*>(zero) - text) + 1 : size_t(size);
    char* out = room(compared + 1 + (zero ? sizeof size : 0));
    out[0] = 't';
    std::memcpy(out + 1, text, compared);
    if (collation_ == Collation::NoCase)
        for (size_t i = 1; i <= compared; ++i)
            if (out[i] >= 'A' && out[i] <= 'Z') out[i] = char(out[i] - 'A' + 'a');
    size_t n = compared + 1;
    if (zero) {
        std::memcpy(out + n, &size, sizeof size);
        n += sizeof size;
    }
    use(std::string_view(out, n));
    return true;
}

bool MemberSet::contains(std::string_view key, uint64_t hash) const {
    if (slots_.empty()) return false;
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const uint32_t entry = slots_[at];
        if (entry == 0) return false;
        const size_t e = entry - 1;
        if (hashes_[e] != hash) continue;
        const size_t begin = keyAt_[e];
        const size_t end = e + 1 < keyAt_.size() ? keyAt_[e + 1] : keys_.size();
        if (std::string_view(keys_).substr(begin, end - begin) == key) return true;
    }
}

void MemberSet::grow() {
    std::vector<uint32_t> fresh(std::max<size_t>(64, slots_.size() * 2), 0);
    const size_t mask = fresh.size() - 1;
    for (size_t e = 0; e < hashes_.size(); ++e) {
        size_t at = hashes_[e] & mask;
        while (fresh[at] != 0)
            at = (at + 1) & mask;
        fresh[at] = uint32_t(e + 1);
    }
    slots_ = std::move(fresh);
}

void MemberSet::insert(std::string_view key, uint64_t hash) {
    if (contains(key, hash)) return;
    if ((hashes_.size() + 1) * 2 > slots_.size()) grow();
    keyAt_.push_back(uint32_t(keys_.size()));
    keys_ += key;
    hashes_.push_back(hash);
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at] != 0)
        at = (at + 1) & mask;
    slots_[at] = uint32_t(hashes_.size());
}

void MemberSet::add(sqlite3_value* v) {
    ++count_;
    if (!withKey(v, [&](std::string_view key) { insert(key, hashOf(key)); })) hasNull_ = true;
}

int MemberSet::test(sqlite3_value* v) const {
    bool found = false;
    if (!withKey(v, [&](std::string_view key) { found = contains(key, hashOf(key)); }))
        return count_ == 0 ? 0 : -1; // Null is in no empty list, unknown in any other
    if (found) return 1;
    return hasNull_ ? -1 : 0;
}

void registerMemberFunction(sqlite3* db) {
    sqlite3_create_function(db, "velk_in", 2, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, &memberFunction,
                            nullptr, nullptr);
}

MemberSetInUse::MemberSetInUse(const MemberSet& set) {
    std::lock_guard<std::mutex> lock(registryMutex);
    id_ = ++lastId;
    registry.emplace(id_, &set);
}

MemberSetInUse::~MemberSetInUse() {
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.erase(id_);
}

std::unique_ptr<MemberSet> readMemberSet(sqlite3* db, const QString& table, const QString& column,
                                         const QStringList& subqueries, int* rc) {
    *rc = SQLITE_OK;
    // The engine compares in the left column's collation, or the right one's when the left has
    // none declared, which the schema does not tell apart from BINARY: only one collation on
    // both sides is certain.
    const std::optional<Collation> left =
        textCollationOf(db, table.toUtf8().constData(), column.toUtf8().constData());
    if (!left) return nullptr;
    auto set = std::make_unique<MemberSet>(*left);
    for (const QString& subquery : subqueries) {
        sqlite3_stmt* st = nullptr;
        if ((*rc = sqlite3_prepare_v2(db, subquery.toUtf8().constData(), -1, &st, nullptr)) != SQLITE_OK) {
            sqlite3_finalize(st);
            return nullptr;
        }
        const char* subTable = sqlite3_column_count(st) == 1 ? sqlite3_column_table_name(st, 0) : nullptr;
        const char* subColumn = subTable ? sqlite3_column_origin_name(st, 0) : nullptr;
        if (!subTable || !subColumn || textCollationOf(db, subTable, subColumn) != left) {
            sqlite3_finalize(st);
            return nullptr;
        }
        int step;
        while ((step = sqlite3_step(st)) == SQLITE_ROW)
            set->add(sqlite3_column_value(st, 0));
        *rc = step == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
        sqlite3_finalize(st);
        if (*rc != SQLITE_OK) return nullptr;
    }
    return set;
}

} // namespace dao::detail
