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
    return collationNamed(QString::fromUtf8(collation ? collation : "BINARY"));
}

} // namespace

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// NOCASE's folding, A-Z to a-z, of the eight bytes of a word at once; other bytes stay.
uint64_t foldWord(uint64_t w) {
    const uint64_t low7 = w & ~kHighs;
    const uint64_t aboveZ = low7 + 0x25 * kOnes; // high bit set where the byte is above 'Z'
    const uint64_t fromA = low7 + 0x3f * kOnes;  // high bit set where the byte is 'A' or above
    const uint64_t upper = ~w & kHighs & (fromA ^ aboveZ);
    return w | (upper >> 2);
}

bool hasZeroByte(uint64_t w) {
    return ((w - kOnes) & ~w & kHighs) != 0;
}

uint64_t mix(uint64_t h, uint64_t w) {
    h = (h ^ w) * 0xff51afd7ed558ccdull;
    return h ^ (h >> 32);
}

// The hash of a key from its bytes after the tag, eight at a time, folded on the way when fold:
// a text hashes alike folded before or while hashing. *zero tells whether a byte was zero.
uint64_t hashBytes(char tag, const char* p, size_t n, bool fold, bool* zero) {
    uint64_t h = 0x9e3779b97f4a7c15ull ^ (uint64_t(uint8_t(tag)) << 56) ^ n;
    bool zeros = false;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        zeros = zeros || hasZeroByte(w);
        h = mix(h, fold ? foldWord(w) : w);
    }
    uint64_t w = 0;
    for (size_t j = i; j < n; ++j)
        w |= uint64_t(uint8_t(p[j])) << (8 * (j - i));
    const uint64_t padding = n - i == 0 ? ~0ull : ~0ull << (8 * (n - i)); // bytes past the end
    zeros = zeros || (n > i && hasZeroByte(w | padding));
    h = mix(h, fold ? foldWord(w) : w) * 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 29;
    if (zero) *zero = zeros;
    return h ? h : 1; // 0 marks a free slot
}

uint64_t hashOf(std::string_view key) {
    return hashBytes(key[0], key.data() + 1, key.size() - 1, false, nullptr);
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

template <class Equal> bool MemberSet::find(uint64_t hash, Equal equal) const {
    if (slots_.empty()) return false;
    if (!bloom_.empty()) {
        const uint64_t bit = (hash >> 40) & (bloom_.size() * 64 - 1);
        if (!(bloom_[bit / 64] >> (bit % 64) & 1)) return false;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.hash == 0) return false;
        if (slot.hash == hash && equal(std::string_view(keys_.data() + slot.at, slot.size))) return true;
    }
}

bool MemberSet::contains(std::string_view key, uint64_t hash) const {
    return find(hash, [&](std::string_view k) { return k == key; });
}

void MemberSet::grow() {
    std::vector<Slot> fresh(std::max<size_t>(64, slots_.size() * 2));
    const size_t mask = fresh.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.hash == 0) continue;
        size_t at = slot.hash & mask;
        while (fresh[at].hash != 0)
            at = (at + 1) & mask;
        fresh[at] = slot;
    }
    slots_ = std::move(fresh);
}

void MemberSet::insert(std::string_view key, uint64_t hash) {
    if (contains(key, hash)) return;
    if ((entries_ + 1) * 2 > slots_.size()) grow();
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at].hash != 0)
        at = (at + 1) & mask;
    slots_[at] = {hash, uint32_t(keys_.size()), uint32_t(key.size())};
    keys_ += key;
    ++entries_;
}

void MemberSet::add(sqlite3_value* v) {
    ++count_;
    bloom_.clear();
    if (!withKey(v, [&](std::string_view key) { insert(key, hashOf(key)); })) hasNull_ = true;
}

void MemberSet::seal() {
    // About 16 bits a value: most values not in the set are told by one bit, from a map small
    // enough to stay in the processor's cache.
    size_t words = 1024;
    while (words * 64 < entries_ * 16)
        words *= 2;
    bloom_.assign(words, 0);
    for (const Slot& slot : slots_) {
        if (slot.hash == 0) continue;
        const uint64_t bit = (slot.hash >> 40) & (words * 64 - 1);
        bloom_[bit / 64] |= uint64_t(1) << (bit % 64);
    }
}

int MemberSet::test(sqlite3_value* v) const {
    bool found = false;
    if (sqlite3_value_type(v) == SQLITE_TEXT) {
        // Text, the common case, is hashed as it stands and folded on the way, without its key
        // being written out, unless it holds a zero byte that NOCASE treats apart.
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        size_t size = size_t(sqlite3_value_bytes(v));
        if (collation_ == Collation::RTrim)
            while (size > 0 && text[size - 1] == ' ')
                --size;
        const bool fold = collation_ == Collation::NoCase;
        bool zero = false;
        const uint64_t hash = hashBytes('t', text, size, fold, &zero);
        if (!(zero && fold)) {
            // Equal when the key is this text folded as the collation folds it.
            found = find(hash, [&](std::string_view k) {
                if (k.size() != size + 1 || k[0] != 't') return false;
                for (size_t i = 0; i < size; ++i) {
                    char c = text[i];
                    if (fold && c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
                    if (k[i + 1] != c) return false;
                }
                return true;
            });
            return found ? 1 : hasNull_ ? -1 : 0;
        }
    }
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
    set->seal();
    return set;
}

std::shared_ptr<const MemberSet> MemberSets::get(sqlite3* db, long long changeSeq, const QString& table,
                                                 const QString& column, const QStringList& subqueries,
                                                 int* rc) {
    constexpr size_t kKept = 4;
    *rc = SQLITE_OK;
    const QString key = table + u'\x1f' + column + u'\x1f' + subqueries.join(u'\x1f');
    std::erase_if(entries_, [&](const Entry& e) { return e.changeSeq != changeSeq; });
    for (const Entry& e : entries_)
        if (e.key == key) return e.set;
    std::shared_ptr<const MemberSet> set = readMemberSet(db, table, column, subqueries, rc);
    if (!set) return nullptr;
    if (entries_.size() >= kKept) entries_.erase(entries_.begin());
    entries_.push_back({key, changeSeq, set});
    return set;
}

} // namespace dao::detail
