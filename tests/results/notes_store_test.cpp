// Notes: counting, reading under the record's lock, writing back, and the lock between two
// holders in one program and between two programs, one of which dies.
#include "platform/locks/row_lock.h"
#include "results/notes_store.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

using results::NotesStore;

namespace {

class NotesStoreTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        dbPath = path("VELKPA.MDB");
        db = dao::Database::create(dbPath);
        db->createTable("NOTES", {{"FILE", "TEXT", 9}, {"SEQUENCE", "TEXT", 2}, {"NOTES", "MEMO", 0}});
        db->createIndex("NOTES", "PRIMARY", {"FILE", "SEQUENCE"}, true);
        addNote("100", "01", " ");
        addNote("100", "02", "Called in May\r\nWants a quote");
        addNote("100", "03", "ab");
        addNote("100", "04", "***LOCKED***");
        db->executeBound("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES ('100', '05', NULL)", {});
        lockPath = locks::lockFileFor(dbPath);
    }
    void addNote(const QString& f, const QString& s, const QString& n) {
        db->executeBound("INSERT INTO NOTES (FILE, SEQUENCE, NOTES) VALUES (?, ?, ?)", {f, s, n});
    }
    QVariant stored(const QString& f, const QString& s) {
        return db->scalar("SELECT NOTES FROM NOTES WHERE FILE = ? AND SEQUENCE = ?", {f, s});
    }

    QString dbPath, lockPath;
    std::unique_ptr<dao::Database> db;
};

TEST_F(NotesStoreTest, OpenWriteAndReadBack) {
    NotesStore store(*db, lockPath);
    QString unopened = "x";
    EXPECT_THROW(store.write(unopened), dao::DaoError); // a write needs an open note
    NotesStore::Opened o = store.open("100", "02");
    ASSERT_EQ(o.result, NotesStore::OpenResult::Opened);
    EXPECT_EQ(*o.text, "Called in May\r\nWants a quote");
    EXPECT_TRUE(store.isOpen());
    QString text = "New note";
    EXPECT_EQ(store.write(text), NotesStore::WriteResult::Written);
    EXPECT_FALSE(store.isOpen());
    EXPECT_EQ(stored("100", "02").toString(), "New note");

    // An empty box is stored, and left, as one blank.
    store.open("100", "03");
    QString empty;
    store.write(empty);
    EXPECT_EQ(empty, " ");
    EXPECT_EQ(stored("100", "03").toString(), " ");
    EXPECT_EQ(*store.open("100", "03").text, " ");
    store.cancel();

    // A Null note opens with nothing to show.
    o = store.open("100", "05");
    EXPECT_EQ(o.result, NotesStore::OpenResult::Opened);
    EXPECT_FALSE(o.text.has_value());
    store.cancel();
}

TEST_F(NotesStoreTest, CountsAndAMissingRowCreatedOnFirstWrite) {
    NotesStore store(*db, lockPath);
    EXPECT_EQ(store.noteLength("100", "02"), 28);
    EXPECT_EQ(store.noteLength("100", "05"), std::nullopt); // a Null note cannot be counted
    // A record without a notes row counts 0 and is not given one by counting, only by a write.
    EXPECT_EQ(store.noteLength("777", "01"), 0);
    EXPECT_FALSE(stored("777", "01").isValid());
    NotesStore::Opened o = store.open("777", "01");
    ASSERT_EQ(o.result, NotesStore::OpenResult::Opened);
    EXPECT_FALSE(o.text.has_value());
    QString text = "First words";
    store.write(text);
    EXPECT_EQ(stored("777", "01").toString(), "First words");
    EXPECT_EQ(store.noteLength("777", "01"), 11);
}

TEST_F(NotesStoreTest, SecondHolderIsRefusedUntilTheFirstWritesOrCloses) {
    // One lock byte per record, beside the database; keys do not run into each other.
    EXPECT_EQ(locks::lockFileFor("/p/VELKPA.MDB"), "/p/VELKPA.LDB");
    EXPECT_NE(locks::lockOffset("12", "3"), locks::lockOffset("1", "23"));
    auto second = dao::Database::open(dbPath);
    NotesStore a(*db, lockPath);
    NotesStore b(*second, lockPath);
    ASSERT_EQ(a.open("100", "02").result, NotesStore::OpenResult::Opened);
    EXPECT_EQ(b.open("100", "02").result, NotesStore::OpenResult::Busy);
    EXPECT_FALSE(b.isOpen());
    EXPECT_EQ(b.noteLength("100", "02"), std::nullopt); // the count fails meanwhile
    // Other records are free.
    EXPECT_EQ(b.open("100", "03").result, NotesStore::OpenResult::Opened);
    b.cancel();

    QString text = "A's words";
    a.write(text);
    ASSERT_EQ(b.open("100", "02").result, NotesStore::OpenResult::Opened);
    EXPECT_EQ(a.open("100", "02").result, NotesStore::OpenResult::Busy);
    b.close(); // closing the list drops the lock
    EXPECT_EQ(a.open("100", "02").result, NotesStore::OpenResult::Opened);
    a.cancel();
}

TEST_F(NotesStoreTest, CountingAbandonsAnOpenNote) {
    auto second = dao::Database::open(dbPath);
    NotesStore a(*db, lockPath);
    NotesStore b(*second, lockPath);
    ASSERT_EQ(a.open("100", "02").result, NotesStore::OpenResult::Opened);
    a.noteLength("100", "03"); // the list moved on
    EXPECT_FALSE(a.isOpen());
    EXPECT_EQ(b.open("100", "02").result, NotesStore::OpenResult::Opened);
    // a's write takes the lock again, and is refused while b has it: a's text is not lost.
    QString text = "late";
    EXPECT_EQ(a.write(text), NotesStore::WriteResult::Busy);
    b.cancel();
    EXPECT_EQ(a.write(text), NotesStore::WriteResult::Written);
    EXPECT_EQ(stored("100", "02").toString(), "late");
}

TEST_F(NotesStoreTest, NoteThatReadsLikeTheLockMarkerIsAnOrdinaryNote) {
    NotesStore store(*db, lockPath);
    NotesStore::Opened o = store.open("100", "04");
    EXPECT_EQ(o.result, NotesStore::OpenResult::Opened);
    EXPECT_EQ(*o.text, "***LOCKED***");
    store.cancel();
    auto second = dao::Database::open(dbPath);
    NotesStore other(*second, lockPath);
    EXPECT_EQ(other.open("100", "04").result, NotesStore::OpenResult::Opened);
}

TEST_F(NotesStoreTest, LockOfAProgramThatDiesIsReleased) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const QByteArray lockFile = lockPath.toLocal8Bit();
    const off_t offset = locks::lockOffset("100", "02");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls in the child.
        const int fd = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = offset;
        fl.l_len = 1;
        const char ok = (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &fl) == 0) ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            pause();
    }
    ::close(ready[1]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(ok, '1');

    NotesStore store(*db, lockPath);
    EXPECT_EQ(store.open("100", "02").result, NotesStore::OpenResult::Busy);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(store.open("100", "02").result, NotesStore::OpenResult::Opened);
    store.cancel();
}

TEST_F(NotesStoreTest, RemovedLockFileIsTakenAgainAndAnotherUsersNoteIsNotReplacedUnseen) {
    auto second = dao::Database::open(dbPath);
    NotesStore a(*db, lockPath);
    NotesStore b(*second, lockPath);
    ASSERT_EQ(a.open("100", "02").result, NotesStore::OpenResult::Opened);
    ASSERT_TRUE(QFile::remove(lockPath));
    // b cannot see a lock in a removed file: it opens the note, and while b has it a cannot save.
    ASSERT_EQ(b.open("100", "02").result, NotesStore::OpenResult::Opened);
    QString aText = "A's words", bText = "B's words";
    EXPECT_EQ(a.write(aText), NotesStore::WriteResult::Busy);
    EXPECT_EQ(b.write(bText), NotesStore::WriteResult::Written);
    // a's save does not replace b's note unseen; a holds the lock in the file now at the path.
    EXPECT_EQ(a.write(aText), NotesStore::WriteResult::Changed);
    EXPECT_EQ(stored("100", "02").toString(), "B's words");
    EXPECT_EQ(b.open("100", "02").result, NotesStore::OpenResult::Busy);
    // Told, a saves again on purpose.
    EXPECT_EQ(a.write(aText), NotesStore::WriteResult::Written);
    EXPECT_EQ(stored("100", "02").toString(), "A's words");

    // Any new lock of a holder whose file went is taken in the file at the path.
    locks::RowLockFile x(lockPath), y(lockPath);
    ASSERT_EQ(x.tryLock("200", "01"), locks::RowLockFile::Result::Locked);
    ASSERT_TRUE(QFile::remove(lockPath));
    ASSERT_EQ(y.tryLock("200", "01"), locks::RowLockFile::Result::Locked);
    EXPECT_EQ(x.tryLock("200", "01"), locks::RowLockFile::Result::Busy);
    EXPECT_TRUE(x.stillAtPath());
}

TEST_F(NotesStoreTest, LockFileIsCreatedWithTheUsersUmask) {
    for (const mode_t mask : {mode_t(022), mode_t(077)}) {
        QFile::remove(lockPath);
        const mode_t old = ::umask(mask);
        locks::RowLockFile lock(lockPath);
        const locks::RowLockFile::Result r = lock.tryLock("100", "02");
        ::umask(old);
        EXPECT_EQ(r, locks::RowLockFile::Result::Locked);
        EXPECT_EQ(testsupport::modeOf(lockPath), mode_t(0666 & ~mask)) << "umask " << mask;
    }
}

TEST_F(NotesStoreTest, LockFileThatCannotBeWrittenShowsTheNoteReadOnly) {
    const QByteArray dir = QFile::encodeName(folder());
    const struct {
        const char* what;
        QString lock;
        mode_t folderMode;
        bool precreated; // by another user, read-only for the others
    } cases[] = {
        {"read-only program folder", lockPath, 0555, false},
        {"lock file of another user", lockPath, 0755, true},
        {"no folder for the lock file", path("no/such/folder/VELKPA.LDB"), 0755, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(lockPath);
        if (c.precreated) {
            testsupport::writeFile(lockPath);
            ::chmod(QFile::encodeName(lockPath).constData(), 0444);
        }
        ::chmod(dir.constData(), c.folderMode);
        {
            testsupport::FilesAsAnotherUser otherUser;
            NotesStore store(*db, c.lock);
            const NotesStore::Opened o = store.open("100", "02");
            EXPECT_EQ(o.result, NotesStore::OpenResult::ReadOnly);
            EXPECT_EQ(o.text.value_or(QString()), "Called in May\r\nWants a quote");
            EXPECT_TRUE(o.error.contains(c.lock + " cannot be opened for writing")) << o.error.toStdString();
            EXPECT_FALSE(store.isOpen());
            QString text = "Never stored";
            EXPECT_THROW(store.write(text), dao::DaoError);
            EXPECT_EQ(store.noteLength("100", "02"), 28); // counted without the lock
        }
        ::chmod(dir.constData(), 0700);
        EXPECT_EQ(stored("100", "02").toString(), "Called in May\r\nWants a quote");
    }
}

} // namespace
