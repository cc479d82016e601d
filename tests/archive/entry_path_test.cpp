#include "platform/archive/entry_path.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

using namespace archive;
using testsupport::writeFile;

namespace {

struct NameCase {
    const char* name;
    const char* path;   // segments joined by "/"; nullptr when refused
    bool directory;
    const char* refusal; // part of the reason
};

const NameCase kNames[] = {
    {"VELKPA.MDB", "VELKPA.MDB", false, nullptr},
    {"DATA/VELKPA.MDB", "DATA/VELKPA.MDB", false, nullptr},
    // Archives made on Windows separate folders with a backslash.
    {"DATA\\VELKPA.MDB", "DATA/VELKPA.MDB", false, nullptr},
    {"./a//b/./c.txt", "a/b/c.txt", false, nullptr},
    {"REPORTS/", "REPORTS", true, nullptr},
    {"a..b/c..", "a..b/c..", false, nullptr},
    {"../VELKPA.MDB", nullptr, false, "leaves the folder"},
    {"DATA/../../VELKPA.MDB", nullptr, false, "leaves the folder"},
    {"DATA/..", nullptr, false, "leaves the folder"},
    {"..\\VELKPA.MDB", nullptr, false, "leaves the folder"},
    {"/etc/passwd", nullptr, false, "absolute"},
    {"\\VELK\\VELKPA.MDB", nullptr, false, "absolute"},
    {"C:\\VELK\\VELKPA.MDB", nullptr, false, "drive"},
    {"c:VELKPA.MDB", nullptr, false, "drive"},
    {"", nullptr, false, "no name"},
    {"./", nullptr, false, "no name"},
    {"VELK\x01.MDB", nullptr, false, "control characters"},
    {"VELK\n.MDB", nullptr, false, "control characters"},
};

class EntryNames : public ::testing::TestWithParam<NameCase> {};

} // namespace

TEST_P(EntryNames, BecomeRelativePathsOrAreRefused) {
    const NameCase& c = GetParam();
    const EntryPath p = entryPath(QString::fromUtf8(c.name));
    if (c.path) {
        EXPECT_EQ(p.segments.join('/'), QString::fromUtf8(c.path));
        EXPECT_EQ(p.directory, c.directory);
        EXPECT_TRUE(p.refusal.isEmpty()) << p.refusal.toStdString();
    } else {
        EXPECT_TRUE(p.segments.isEmpty());
        EXPECT_TRUE(p.refusal.contains(QString::fromUtf8(c.refusal))) << p.refusal.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EntryNames, ::testing::ValuesIn(kNames));

namespace {

class Destinations : public testsupport::TempDirTest {
protected:
    Destination resolve(const char* name) { return resolveDestination(folder(), entryPath(QString::fromUtf8(name))); }
};

} // namespace

TEST_F(Destinations, ExistingFilesAndFoldersAreFoundWithoutRegardToCase) {
    writeFile(path("VELKPA.MDB"), "old");
    ASSERT_TRUE(QDir().mkpath(path("Reports/Old")));
    struct {
        const char* name;
        QString path;
        bool replaces;
    } cases[] = {
        {"velkpa.mdb", path("VELKPA.MDB"), true},
        {"VELKPA.MDB", path("VELKPA.MDB"), true},
        {"REPORTS/old/VKPRTALL.RPT", path("Reports/Old/VKPRTALL.RPT"), false},
        {"reports/NEW/x.txt", path("Reports/NEW/x.txt"), false},
        {"VELKNJ.MDB", path("VELKNJ.MDB"), false},
        {"REPORTS/", path("Reports"), false},
    };
    for (const auto& c : cases) {
        const Destination d = resolve(c.name);
        EXPECT_TRUE(d.refusal.isEmpty()) << c.name << ": " << d.refusal.toStdString();
        EXPECT_EQ(d.path, c.path) << c.name;
        EXPECT_EQ(d.replaces, c.replaces) << c.name;
    }
}

TEST_F(Destinations, ALinkAmongTheFoldersMayNotLeadOutside) {
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    ASSERT_TRUE(QDir().mkpath(path("real")));
    ASSERT_EQ(::symlink(QFile::encodeName(outside.path()).constData(), QFile::encodeName(path("data")).constData()), 0);
    ASSERT_EQ(::symlink("real", QFile::encodeName(path("inner")).constData()), 0);
    ASSERT_EQ(::symlink("missing", QFile::encodeName(path("dangling")).constData()), 0);

    // Found without regard to case, "DATA" is the link that leads out of the folder.
    EXPECT_TRUE(resolve("DATA/VELKPA.MDB").refusal.contains("link")) << resolve("DATA/VELKPA.MDB").refusal.toStdString();
    EXPECT_TRUE(resolve("data/").refusal.contains("link"));
    EXPECT_TRUE(resolve("DANGLING/x").refusal.contains("link"));
    // A link that stays inside is followed.
    const Destination inner = resolve("INNER/x.txt");
    EXPECT_TRUE(inner.refusal.isEmpty()) << inner.refusal.toStdString();
    EXPECT_EQ(inner.path, path("inner/x.txt"));
    // A file entry of the link's own name replaces the link, not what it points to.
    const Destination link = resolve("data");
    EXPECT_TRUE(link.refusal.isEmpty());
    EXPECT_EQ(link.path, path("data"));
}

TEST_F(Destinations, AFileAndAFolderInEachOthersWayAreRefused) {
    ASSERT_TRUE(QDir().mkpath(path("VELKI.MDB")));
    writeFile(path("INITIAL"), "x");
    EXPECT_TRUE(resolve("velki.mdb").refusal.contains("in the way"));
    EXPECT_TRUE(resolve("initial/SEARCH1.VKD").refusal.contains("in the way"));
    EXPECT_TRUE(resolve("INITIAL/").refusal.contains("in the way"));
}

TEST_F(Destinations, AMissingTargetFolderIsRefused) {
    EXPECT_TRUE(resolveDestination(path("none"), entryPath("A.TXT")).refusal.contains("does not exist"));
}
