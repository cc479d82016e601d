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
    // 1 when v is among the values, 0 when it is not, -1 for Null (v Null and the set not empty,
    // or v absent from a set that holds a Null).
    int test(sqlite3_value* v) const;
    size_t size() const { return count_; }

private:
    // Calls use(key) with the bytes two values share exactly when the engine finds them equal;
    // false (use not called) for Null.
    template <class Use> bool withKey(sqlite3_value* v, Use use) const;
    bool contains(std::string_view key, uint64_t hash) const;
    void insert(std::string_view key, uint64_t hash);
    void grow();

    Collation collation_;
    bool hasNull_ = false;
    size_t count_ = 0; // values added, Nulls included
    std::string keys_;
    std::vector<uint32_t> keyAt_;  // per entry: where its key starts in keys_ (its end is the next's start)
    std::vector<uint64_t> hashes_; // per entry
    std::vector<uint32_t> slots_;  // open addressing: entry + 1, 0 free
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

// The values of the sub-queries (each one column, SQLite dialect) for a test of table.column
// against them. nullptr when the engine's test cannot be matched here (not text on both sides, or
// two collations), leaving the test to the engine; nullptr with *rc set when the engine failed.
std::unique_ptr<MemberSet> readMemberSet(sqlite3* db, const QString& table, const QString& column,
                                         const QStringList& subqueries, int* rc);

} // namespace dao::detail
