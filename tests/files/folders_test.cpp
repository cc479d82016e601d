#include "platform/files/atomic_file.h"
#include "platform/files/drives.h"
#include "platform/files/folders.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace files;
using testsupport::modeOf;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class Folders : public testsupport::TempDirTest {
protected:
    void TearDown() override { setTempDirOverride(QString()); }
};

} // namespace

TEST_F(Folders, CaseInsensitiveLookupLengthAndJoin) {
    writeFile(path("velki.mdb"), " \r\n");
    EXPECT_EQ(findFileNoCase(folder(), "VELKI.MDB"), path("velki.mdb"));
    EXPECT_TRUE(existsNoCase(folder(), "VeLkI.MdB"));
    // A missing file gets the fixed spelling.
    EXPECT_EQ(findFileNoCase(folder() + "/", "VELK.INI"), folder() + "/VELK.INI");
    EXPECT_FALSE(existsNoCase(folder(), "VELK.INI"));
    EXPECT_EQ(fileLength(path("velki.mdb")), 3);
    EXPECT_EQ(fileLength(path("NONE.DAT")), 0);
    EXPECT_EQ(fileLength(folder()), 0);
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
}

TEST(ProgramFolder, IsTheExecutablesFolderUnlessInjected) {
    EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());
    setProgramFolder("/opt/velk/");
    EXPECT_EQ(programFolder(), "/opt/velk");
    setProgramFolder(QString());
    EXPECT_EQ(programFolder(), QCoreApplication::applicationDirPath());
}

TEST_F(Folders, TempDirIsCreatedPrivate) {
    const QString wanted = path("state/velk");
    setTempDirOverride(wanted);
    EXPECT_EQ(GetTempDir(), wanted + "/");
    EXPECT_EQ(modeOf(wanted), mode_t(0700));
}

TEST_F(Folders, DefaultTempDirFollowsXdgStateHome) {
    const QByteArray oldXdg = qgetenv("XDG_STATE_HOME"), oldHome = qgetenv("HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder()));
    EXPECT_EQ(GetTempDir(), folder() + "/velk/");
    qunsetenv("XDG_STATE_HOME");
    qputenv("HOME", QFile::encodeName(folder()));
    EXPECT_EQ(GetTempDir(), folder() + "/.local/state/velk/");
    EXPECT_EQ(modeOf(folder() + "/.local/state/velk"), mode_t(0700));
    oldXdg.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", oldXdg);
    qputenv("HOME", oldHome);
}

TEST_F(Folders, TempDirRefusesAFolderOthersCanWriteAndAPlainFile) {
    ASSERT_TRUE(QDir().mkdir(path("shared")));
    ::chmod(QFile::encodeName(path("shared")).constData(), 0777);
    setTempDirOverride(path("shared"));
    EXPECT_EQ(GetTempDir(), QString());
    writeFile(path("file"));
    setTempDirOverride(path("file"));
    EXPECT_EQ(GetTempDir(), QString());
}

TEST_F(Folders, TempDirRefusesALinkPlantedInASharedStateFolder) {
    // A folder of the user's own, private as required, and the link someone placed where the
    // private folder would be created.
    ASSERT_TRUE(QDir().mkdir(path("mine")));
    ::chmod(QFile::encodeName(path("mine")).constData(), 0700);
    ASSERT_TRUE(QDir().mkdir(path("shared")));
    ASSERT_TRUE(QFile::link(path("mine"), path("shared/velk")));
    const QByteArray oldXdg = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(path("shared")));
    EXPECT_EQ(GetTempDir(), QString());
    oldXdg.isNull() ? qunsetenv("XDG_STATE_HOME") : qputenv("XDG_STATE_HOME", oldXdg);
    EXPECT_TRUE(QFileInfo(path("shared/velk")).isSymLink()) << "left as it was";
}

TEST_F(Folders, AtomicWriteReplacesKeepingTheModeAndNoTemporaryFile) {
    const QString ini = path("VELK.INI");
    ASSERT_TRUE(atomicWrite(ini, "\"A\",\"PA\"\r\n"));
    ::chmod(QFile::encodeName(ini).constData(), 0640);
    QString error;
    ASSERT_TRUE(atomicWrite(ini, "\"B\",\"NY\"\r\n", &error)) << error.toStdString();
    EXPECT_EQ(readFile(ini), "\"B\",\"NY\"\r\n");
    EXPECT_EQ(modeOf(ini), mode_t(0640));
    EXPECT_EQ(files(), QStringList{"VELK.INI"});
}

TEST_F(Folders, FailedAtomicWriteKeepsTheOldFile) {
    const QString search = path("SEARCH1.VKD");
    writeFile(search, "old");
    QString error;
    bool ok;
    {
        testsupport::FileSizeLimit limit(8);
        ok = atomicWrite(search, QByteArray(100, 'x'), &error);
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains("SEARCH1.VKD"));
    EXPECT_EQ(readFile(search), "old");
    EXPECT_EQ(files(), QStringList{"SEARCH1.VKD"});
}

// A killed run's file in the making goes at the next write into its folder; a running writer's
// (locked), one just made and the user's own hidden files stay.
TEST_F(Folders, AKilledWritersTemporaryFileIsRemovedByTheNextWriter) {
    const auto made = [&](const QString& name, time_t age) {
        writeFile(path(name), "x");
        const timespec times[2] = {{std::time(nullptr) - age, 0}, {std::time(nullptr) - age, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, 0);
    };
    made(".VELKPA.MDB.velk-Ab12Cd", 3600); // killed
    made(".DATAPA.DAT.velk-Lk0001", 3600); // still written
    made(".profile.backup", 3600);
    made(".OUT.TXT.velk-Zz9999", 0);
    const int writer = ::open(QFile::encodeName(path(".DATAPA.DAT.velk-Lk0001")).constData(), O_RDONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    ASSERT_TRUE(atomicWrite(path("VELK.INI"), "x"));
    ::close(writer);
    EXPECT_EQ(files(), QStringList({".DATAPA.DAT.velk-Lk0001", ".OUT.TXT.velk-Zz9999", ".profile.backup", "VELK.INI"}));
}

TEST_F(Folders, AtomicWriteIntoAnUnwritableFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    writeFile(path("VELK.INI"), "old");
    ::chmod(QFile::encodeName(folder()).constData(), 0500);
    QString error;
    EXPECT_FALSE(atomicWrite(path("VELK.INI"), "new", &error));
    ::chmod(QFile::encodeName(folder()).constData(), 0700);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path("VELK.INI")), "old");
}

TEST_F(Folders, AtomicWriteOverAFolderFailsAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(QDir().mkdir(path("INITIAL")));
    EXPECT_FALSE(atomicWrite(path("INITIAL"), "x"));
    EXPECT_TRUE(QFileInfo(path("INITIAL")).isDir());
    EXPECT_EQ(files(), QStringList());
}

TEST_F(Folders, CopyIntoPlaceDropsAStaleJournalAndAFailedCopyKeepsTheOldFile) {
    writeFile(path("REPORT.MDB"), "new");
    writeFile(path("WORK.MDB"), "old");
    writeFile(path("WORK.MDB-journal"), "journal of an interrupted run");
    EXPECT_EQ(copyIntoPlace(path("REPORT.MDB"), path("WORK.MDB"), QFileDevice::ReadOwner | QFileDevice::WriteOwner),
              QString());
    EXPECT_EQ(readFile(path("WORK.MDB")), "new");
    EXPECT_EQ(modeOf(path("WORK.MDB")), 0600u);
    EXPECT_EQ(files(), QStringList({"REPORT.MDB", "WORK.MDB"}));

    EXPECT_NE(copyIntoPlace(path("GONE.MDB"), path("WORK.MDB"), QFileDevice::ReadOwner), QString());
    ASSERT_TRUE(QDir().mkdir(path("INITIAL")));
    EXPECT_NE(copyIntoPlace(path("REPORT.MDB"), path("INITIAL"), QFileDevice::ReadOwner), QString());
    EXPECT_EQ(readFile(path("WORK.MDB")), "new");
    EXPECT_TRUE(QFileInfo(path("INITIAL")).isDir());
    EXPECT_EQ(files(), QStringList({"REPORT.MDB", "WORK.MDB"})); // no temporary copy left
}

TEST(Drives, TheHomeFolderTheWholeFileSystemAndTheUsersVolumesOnce) {
    const QVector<files::Mount> mounts = {
        {"/", "/dev/sda2", "ext4"},
        {"/proc", "proc", "proc"},
        {"/sys/fs/cgroup", "cgroup2", "cgroup2"},
        {"/run/user/1000", "tmpfs", "tmpfs"},
        {"/boot/efi", "/dev/sda1", "vfat"},
        {"/snap/core/17", "/dev/loop3", "squashfs"},
        {"/etc/hosts", "/dev/sda2", "ext4"}, // a bind mount of the system disk
        {"/srv/data", "/dev/sdb1", "xfs"},
        {"/home/pat/data", "/dev/sdb1", "xfs"}, // the same disk bound again
        {"/media/pat/STICK", "/dev/sdc1", "vfat"},
        {"/run/media/pat/DVD", "/dev/sr0", "iso9660"},
        {"/mnt/share", "fileserver:/export", "nfs4"},
        {"/mnt/overlay", "overlay", "overlay"},
    };
    QStringList shown;
    for (const files::Drive& d : files::pickableDrives(mounts, "/home/pat"))
        shown << d.label + " = " + d.root;
    EXPECT_EQ(shown, QStringList({"Home (/home/pat) = /home/pat/", "/ = /", "/srv/data = /srv/data/",
                                  "/media/pat/STICK = /media/pat/STICK/",
                                  "/run/media/pat/DVD = /run/media/pat/DVD/", "/mnt/share = /mnt/share/"}));
}
