#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace files;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void touch(const QString& path, const QByteArray& contents = QByteArray()) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class TempDirTest : public ::testing::Test {
protected:
    void TearDown() override { setTempDirOverride(QString()); }
    QTemporaryDir dir;
};

} // namespace

TEST(Folders, CaseInsensitiveLookup) {
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("velki.mdb")));
    EXPECT_EQ(findFileNoCase(dir.path(), QStringLiteral("VELKI.MDB")),
              dir.filePath(QStringLiteral("velki.mdb")));
    EXPECT_TRUE(existsNoCase(dir.path(), QStringLiteral("VeLkI.MdB")));
    // A missing file gets the fixed spelling.
    EXPECT_EQ(findFileNoCase(dir.path() + QStringLiteral("/"), QStringLiteral("VELK.INI")),
              dir.path() + QStringLiteral("/VELK.INI"));
    EXPECT_FALSE(existsNoCase(dir.path(), QStringLiteral("VELK.INI")));
}

TEST(Folders, FileLengthAndJoin) {
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("REST.DAT")), " \r\n");
    EXPECT_EQ(fileLength(dir.filePath(QStringLiteral("REST.DAT"))), 3);
    EXPECT_EQ(fileLength(dir.filePath(QStringLiteral("NONE.DAT"))), 0);
    EXPECT_EQ(fileLength(dir.path()), 0);
    EXPECT_EQ(joinPath(QStringLiteral("/a/"), QStringLiteral("/b")), QStringLiteral("/a/b"));
    EXPECT_EQ(joinPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
}

TEST(Folders, ProgramFolderCanBeInjected) {
    EXPECT_FALSE(programFolder().isEmpty());
    setProgramFolder(QStringLiteral("/opt/velk/"));
    EXPECT_EQ(programFolder(), QStringLiteral("/opt/velk"));
    setProgramFolder(QString());
    EXPECT_NE(programFolder(), QStringLiteral("/opt/velk"));
}

TEST_F(TempDirTest, CreatedPrivateWithTrailingSlash) {
    const QString wanted = dir.filePath(QStringLiteral("state/velk"));
    setTempDirOverride(wanted);
    EXPECT_EQ(GetTempDir(), wanted + QStringLiteral("/"));
    EXPECT_EQ(modeOf(wanted), mode_t(0700));
    // A second call finds it and ends in exactly one "/".
    setTempDirOverride(wanted + QStringLiteral("/"));
    EXPECT_EQ(GetTempDir(), wanted + QStringLiteral("/"));
}

TEST_F(TempDirTest, DefaultFollowsXdgStateHome) {
    const QByteArray oldXdg = qgetenv("XDG_STATE_HOME"), oldHome = qgetenv("HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
    EXPECT_EQ(GetTempDir(), dir.path() + QStringLiteral("/velk/"));
    qunsetenv("XDG_STATE_HOME");
    qputenv("HOME", QFile::encodeName(dir.path()));
    EXPECT_EQ(GetTempDir(), dir.path() + QStringLiteral("/.local/state/velk/"));
    EXPECT_EQ(modeOf(dir.path() + QStringLiteral("/.local/state/velk")), mode_t(0700));
    oldXdg.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", oldXdg);
    qputenv("HOME", oldHome);
}

TEST_F(TempDirTest, RefusesAFolderOthersCanWrite) {
    const QString shared = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    ::chmod(QFile::encodeName(shared).constData(), 0777);
    setTempDirOverride(shared);
    EXPECT_EQ(GetTempDir(), QString());
    // A plain file in the way is no folder either.
    touch(dir.filePath(QStringLiteral("file")));
    setTempDirOverride(dir.filePath(QStringLiteral("file")));
    EXPECT_EQ(GetTempDir(), QString());
}

TEST(AtomicWrite, WritesAndReplaces) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VELK.INI"));
    ASSERT_TRUE(atomicWrite(path, "\"A\",\"PA\"\r\n"));
    ::chmod(QFile::encodeName(path).constData(), 0640);
    QString error;
    ASSERT_TRUE(atomicWrite(path, "\"B\",\"NY\"\r\n", &error)) << error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray("\"B\",\"NY\"\r\n"));
    EXPECT_EQ(modeOf(path), mode_t(0640));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("VELK.INI")});
}

TEST(AtomicWrite, FailedWriteKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SEARCH1.VKD"));
    touch(path, "old");
    // Files may not grow beyond 8 bytes while this runs: the write fails part way, even as root.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 8;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = atomicWrite(path, QByteArray(100, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QStringLiteral("SEARCH1.VKD")));
    EXPECT_EQ(readFile(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("SEARCH1.VKD")});
}

TEST(AtomicWrite, UnwritableFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VELK.INI"));
    touch(path, "old");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0500);
    QString error;
    EXPECT_FALSE(atomicWrite(path, "new", &error));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("old"));
}

TEST(AtomicWrite, TargetThatCannotBeReplacedLeavesNoTemporaryFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("INITIAL"));
    ASSERT_TRUE(QDir().mkdir(path));
    EXPECT_FALSE(atomicWrite(path, "x"));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}
