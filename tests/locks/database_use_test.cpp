#include "other_copy.h"
#include "platform/locks/database_use.h"
#include "platform/locks/row_lock.h"
#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using locks::DatabaseUse;
using Mode = DatabaseUse::Mode;
using Result = DatabaseUse::Result;

namespace {

// Another copy of the program holding a claim on the database.
class OtherCopy : public lockstest::OtherCopy {
public:
    OtherCopy(const QString& database, Mode mode)
        : lockstest::OtherCopy([&](const Hold& hold) {
              DatabaseUse use;
              hold(use.take(database, mode) == Result::Taken ? "T" : "B");
          }) {}
    bool took() const { return answer == "T"; }
};

class DatabaseUseTest : public testsupport::TempDirTest {
protected:
    QString database() const { return path("VELKPA.MDB"); }
};

} // namespace

TEST_F(DatabaseUseTest, ACopyWorkingOnTheDatabaseKeepsAnUpdateOutAndTheReverse) {
    const struct {
        const char* what;
        Mode other, here;
        Result expected;
    } cases[] = {
        {"two copies work on one database", Mode::Working, Mode::Working, Result::Taken},
        {"an update while a copy works on it", Mode::Working, Mode::Replacing, Result::Busy},
        {"a copy opening it while an update replaces it", Mode::Replacing, Mode::Working, Result::Busy},
        {"two updates at once", Mode::Replacing, Mode::Replacing, Result::Busy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OtherCopy other(database(), c.other);
        ASSERT_TRUE(other.took());
        DatabaseUse here;
        EXPECT_EQ(here.take(database(), c.here), c.expected);
        EXPECT_EQ(here.held(), c.expected == Result::Taken);
    }
}

TEST_F(DatabaseUseTest, TheClaimEndsWithTheCopyThatHeldItEvenWhenItDies) {
    OtherCopy ended(database(), Mode::Working);
    ended.end();
    DatabaseUse update;
    EXPECT_EQ(update.take(database(), Mode::Replacing), Result::Taken);
    update.release();

    OtherCopy killed(database(), Mode::Working);
    killed.die();
    EXPECT_EQ(update.take(database(), Mode::Replacing), Result::Taken);
}

TEST_F(DatabaseUseTest, RecordLocksAndTheClaimDoNotMeet) {
    {
        // A restore here, taking every record, while another copy works on the database.
        OtherCopy working(database(), Mode::Working);
        ASSERT_TRUE(working.took());
        locks::RowLockFile restore(locks::lockFileFor(database()));
        std::vector<locks::RowLockFile::HeldRange> held;
        ASSERT_EQ(restore.lockAllFree(held), locks::RowLockFile::Result::Locked);
        EXPECT_TRUE(held.empty()) << "the claim holds no record";
    }
    // A note being edited here, and an update in another copy.
    locks::RowLockFile notes(locks::lockFileFor(database()));
    ASSERT_EQ(notes.tryLock(QStringLiteral("1000001"), QStringLiteral("01")),
              locks::RowLockFile::Result::Locked);
    OtherCopy update(database(), Mode::Replacing);
    EXPECT_TRUE(update.took()) << "a note's lock is no claim on the database";
}

TEST_F(DatabaseUseTest, AClaimCountsOnlyInTheLockFileAtItsPath) {
    const QString lockFile = locks::lockFileFor(database());
    {
        // The lock file removed under an update: a copy opening the database takes its claim in a
        // new file, and the update sees that its own claim no longer keeps anyone out.
        DatabaseUse update;
        ASSERT_EQ(update.take(database(), Mode::Replacing), Result::Taken);
        EXPECT_TRUE(update.stillAtPath());
        QFile::remove(lockFile);
        OtherCopy opening(database(), Mode::Working);
        EXPECT_TRUE(opening.took());
        EXPECT_FALSE(update.stillAtPath());
    }
    // Removed under a working copy: the update's claim in the new file keeps its notes unsaved.
    DatabaseUse working;
    ASSERT_EQ(working.take(database(), Mode::Working), Result::Taken);
    QFile::remove(lockFile);
    OtherCopy update(database(), Mode::Replacing);
    ASSERT_TRUE(update.took());
    locks::RowLockFile notes(lockFile);
    QString error;
    EXPECT_EQ(notes.tryLock(QStringLiteral("1000001"), QStringLiteral("01"), &error),
              locks::RowLockFile::Result::Failed);
    EXPECT_TRUE(error.contains("an update in another copy of VELK is replacing the database"))
        << error.toStdString();
}

TEST_F(DatabaseUseTest, TheLockFileIsCreatedWithTheUsersUmask) {
    const mode_t before = ::umask(027);
    DatabaseUse use;
    ASSERT_EQ(use.take(database(), Mode::Working), Result::Taken);
    ::umask(before);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(locks::lockFileFor(database())).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}
