// Taking every free record lock at once: what other holders have is left to them and reported,
// everything else is taken, and closing gives it all back.
#include "platform/locks/row_lock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using locks::RowLockFile;

namespace {

class RowLocks : public testsupport::TempDirTest {};

TEST_F(RowLocks, AllFreeLocksTakenAroundWhatOthersHold) {
    const QString file = path("VELKPA.LDB");
    RowLockFile other(file), all(file), later(file);
    ASSERT_EQ(other.tryLock("100", "01"), RowLockFile::Result::Locked);
    ASSERT_EQ(other.tryLock("200", "01"), RowLockFile::Result::Locked);

    std::vector<RowLockFile::HeldRange> held;
    ASSERT_EQ(all.lockAllFree(held), RowLockFile::Result::Locked);
    auto isHeld = [&](const QString& f) {
        const off_t at = locks::lockOffset(f, "01");
        for (const auto& r : held)
            if (at >= r.start && at < r.end) return true;
        return false;
    };
    EXPECT_EQ(held.size(), 2u);
    EXPECT_TRUE(isHeld("100"));
    EXPECT_TRUE(isHeld("200"));
    EXPECT_FALSE(isHeld("300"));

    // Nobody gets a free record meanwhile, and the held ones stay their holder's.
    EXPECT_EQ(later.tryLock("300", "01"), RowLockFile::Result::Busy);
    other.unlock("100", "01");
    EXPECT_EQ(later.tryLock("100", "01"), RowLockFile::Result::Locked);
    later.unlock("100", "01");

    all.close();
    EXPECT_EQ(later.tryLock("300", "01"), RowLockFile::Result::Locked);
}

} // namespace
