// "x IN (SELECT y FROM ...)" tested against the sub-query's values held in memory. The engine looks
// each row's value up in a list of its own, which costs more per row than the rest of a scan; a
// hash set answers the same question several times faster. The answer is the engine's to the
// letter: values equal in the collation of x, and Null where the engine gives Null.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_value;

namespace dao::detail {

enum class Collation;

class MemberSet {
public:
    explicit MemberSet(Collation collation) : collation_(collation) {}

    void add(sqlite3_value* v);
    // Done adding: builds the map that answers most tests of values not in the set.
    void seal();
    // 1 when v is among the values, 0 when it is not, -1 for Null (v Null and the set not empty,
    // or v absent from a set that holds a Null).
    int test(sqlite3_value* v) const;
    size_t size() const { return count_; }

private:
    // Calls use(key) with the bytes two values share exactly when the engine finds them equal;
    // false (use not called) for Null.
    template <class Use> bool withKey(sqlite3_value* v, Use use) const;
    // True when a key of that hash is equal(key) (equal: bool(std::string_view)).
    template <class Equal> bool find(uint64_t hash, Equal equal) const;
    bool contains(std::string_view key, uint64_t hash) const;
    void insert(std::string_view key, uint64_t hash);
    void grow();

    // Open addressing, the hash beside where the key is, so that a value that is not in the set
    // (most of them, in a scan) is told by one look at memory.
    struct Slot {
        uint64_t hash = 0; // 0: free
        uint32_t at = 0;   // the key in keys_
        uint32_t size = 0;
    };

    Collation collation_;
    bool hasNull_ = false;
    size_t count_ = 0;   // values added, Nulls included
    size_t entries_ = 0; // distinct keys
    std::string keys_;
    std::vector<Slot> slots_;
    std::vector<uint64_t> bloom_; // a bit per hash: clear when no value has that hash
};

// Registers the SQL function velk_in(id, x) on a connection: the membership of x in the set that
// is in use under id (MemberSetInUse), as 1, 0 or Null. An id not in use is an error.
void registerMemberFunction(sqlite3* db);

// Makes a set known to velk_in under id() for as long as this object lives.
class MemberSetInUse {
public:
    explicit MemberSetInUse(const MemberSet& set);
    ~MemberSetInUse();
    MemberSetInUse(const MemberSetInUse&) = delete;
    MemberSetInUse& operator=(const MemberSetInUse&) = delete;
    long long id() const { return id_; }

private:
    long long id_;
};

// The sets read on one connection, kept while it notes no change (Database::changeSeq): the same
// search run again (another order, its tab chosen again) does not read its sets again.
class MemberSets {
public:
    // readMemberSet's set, read unless one of these sub-queries is kept from the same count of
    // changes.
    std::shared_ptr<const MemberSet> get(sqlite3* db, long long changeSeq, const QString& table,
                                         const QString& column, const QStringList& subqueries, int* rc);

private:
    struct Entry {
        QString key;
        long long changeSeq;
        std::shared_ptr<const MemberSet> set;
    };
    std::vector<Entry> entries_; // the last few, most recent last
};

// The values of the sub-queries (each one column, SQLite dialect) for a test of table.column
// against them. nullptr when the engine's test cannot be matched here (not text on both sides, or
// two collations), leaving the test to the engine; nullptr with *rc set when the engine failed.
std::unique_ptr<MemberSet> readMemberSet(sqlite3* db, const QString& table, const QString& column,
                                         const QStringList& subqueries, int* rc);

} // namespace dao::detail
