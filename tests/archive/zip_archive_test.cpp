#include "archive/zip_builder.h"
#include "platform/archive/zip_archive.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

using namespace archive;
using testsupport::modeOf;
using testsupport::readFile;
using testsupport::writeFile;
using testsupport::writeZip;
using testsupport::ZipItem;

namespace {

// An archive in its own folder and a program folder to extract into.
class Zip : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path("source")));
        ASSERT_TRUE(QDir().mkpath(path("program")));
    }
    QString zipPath(const QString& name = "VELKPA.ZIP") const { return path("source/" + name); }
    QString target() const { return path("program"); }
    QString inTarget(const QString& name) const { return path("program/" + name); }
    // Every file and folder in the program folder, hidden ones included, as relative paths.
    QStringList targetContents() const {
        QStringList names;
        QDirIterator it(target(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names.append(QDir(target()).relativeFilePath(it.next()));
        names.sort();
        return names;
    }
};

} // namespace

TEST_F(Zip, TwoFilesAreListedAndExtractedWithProgress) {
    const QByteArray db(300000, 'd');
    writeZip(zipPath(), {{"VELKPA.MDB", db}, {"REPORTS/VKPRTALL.RPT", "{}", 0, true}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath())) << zip.errorString().toStdString();
    ASSERT_EQ(zip.count(), 2);
    EXPECT_EQ(zip.entry(0).name, "VELKPA.MDB");
    EXPECT_EQ(zip.entry(0).size, db.size());
    EXPECT_EQ(zip.entry(1).name, "REPORTS/VKPRTALL.RPT");
    EXPECT_TRUE(zip.verify());

    QList<Progress> seen;
    ASSERT_TRUE(zip.extractAll(target(), [&](const Progress& p) {
        seen.append(p);
        return true;
    })) << zip.errorString().toStdString();
    EXPECT_EQ(readFile(inTarget("VELKPA.MDB")), db);
    EXPECT_EQ(readFile(inTarget("REPORTS/VKPRTALL.RPT")), "{}");
    EXPECT_EQ(targetContents(), QStringList({"REPORTS", "REPORTS/VKPRTALL.RPT", "VELKPA.MDB"}));

    // Each entry starts at 0 of its size; the last report has the whole run done.
    ASSERT_GE(seen.size(), 4);
    EXPECT_EQ(seen.first().entry, 0);
    EXPECT_EQ(seen.first().entryDone, 0);
    EXPECT_EQ(seen.first().entryCount, 2);
    EXPECT_EQ(seen.last().entry, 1);
    EXPECT_EQ(seen.last().name, "REPORTS/VKPRTALL.RPT");
    EXPECT_EQ(seen.last().totalDone, db.size() + 2);
    EXPECT_EQ(seen.last().totalSize, db.size() + 2);
}

TEST_F(Zip, UnreadableArchivesAreReportedAtOpeningWithTheirReason) {
    writeZip(path("whole.zip"), {{"VELKPA.MDB", QByteArray(5000, 'x'), 0, true}, {"VELKI.MDB", "settings"}});
    const QByteArray whole = readFile(path("whole.zip"));
    writeFile(zipPath("TRUNC.ZIP"), whole.left(whole.size() * 6 / 10));
    writeFile(zipPath("EMPTY.ZIP"));
    writeFile(zipPath("TEXT.ZIP"), "This is not an archive.\r\n");
    ASSERT_TRUE(QDir().mkpath(zipPath("FOLDER.ZIP")));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"TRUNC.ZIP", "not a zip archive, or it is incomplete"},
        {"EMPTY.ZIP", "empty"},
        {"TEXT.ZIP", "not a zip archive"},
        {"FOLDER.ZIP", "is a folder"},
        {"MISSING.ZIP", "does not exist"},
    };
    for (const auto& c : cases) {
        ZipArchive zip;
        EXPECT_FALSE(zip.open(zipPath(c.name))) << c.name;
        EXPECT_EQ(zip.error(), ZipArchive::Error::Open) << c.name;
        EXPECT_TRUE(zip.errorString().contains(zipPath(c.name))) << zip.errorString().toStdString();
        EXPECT_TRUE(zip.errorString().contains(c.reason)) << zip.errorString().toStdString();
        EXPECT_FALSE(zip.isOpen());
    }
}

TEST_F(Zip, DamagedDataAreFoundBeforeAnythingIsWrittenAndNeverReplaceAGoodFile) {
    // Data that deflate cannot shrink much, so the damage lands inside them.
    QByteArray db(20000, Qt::Uninitialized);
    quint32 seed = 12345;
    for (char& c : db)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "deflated");
        writeZip(zipPath(), {{"VELKPA.MDB", db, 0, stored}});
        QByteArray bytes = readFile(zipPath());
        // The first entry's data follow its 30-byte local header, its name and its extra field.
        const int start = 30 + (uchar(bytes[26]) | uchar(bytes[27]) << 8) + (uchar(bytes[28]) | uchar(bytes[29]) << 8);
        bytes[start + 100] = char(bytes[start + 100] ^ 0x5a);
        bytes[start + 101] = char(bytes[start + 101] ^ 0x5a);
        writeFile(zipPath(), bytes);
        writeFile(inTarget("VELKPA.MDB"), "the user's database");

        ZipArchive zip;
        ASSERT_TRUE(zip.open(zipPath())) << zip.errorString().toStdString();
        EXPECT_FALSE(zip.verify());
        EXPECT_EQ(zip.error(), ZipArchive::Error::Damaged);
        EXPECT_TRUE(zip.errorString().contains("damaged")) << zip.errorString().toStdString();
        EXPECT_TRUE(zip.errorString().contains("VELKPA.MDB"));

        // Extracting without the check fails on the same entry and keeps the old file whole.
        EXPECT_FALSE(zip.extractAll(target()));
        EXPECT_EQ(zip.error(), ZipArchive::Error::Damaged);
        EXPECT_EQ(readFile(inTarget("VELKPA.MDB")), "the user's database");
        EXPECT_EQ(targetContents(), QStringList{"VELKPA.MDB"});
    }
}

TEST_F(Zip, EntriesThatWouldLeaveTheFolderAreRefusedBeforeAnyIsWritten) {
    const struct {
        ZipItem bad;
        const char* reason;
    } cases[] = {
        {{"../VELKPA.MDB", "x"}, "leaves the folder"},
        {{"DATA/../../../etc/x", "x"}, "leaves the folder"},
        {{"..\\VELKPA.MDB", "x"}, "leaves the folder"},
        {{"/tmp/VELKPA.MDB", "x"}, "absolute"},
        {{"C:\\VELK\\VELKPA.MDB", "x"}, "drive"},
        {testsupport::linkItem("VELKNJ.MDB", "/etc/passwd"), "symbolic link"},
        {{"PIPE", "", S_IFIFO | 0644}, "neither a file nor a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bad.name.constData());
        // A good entry first: it must not be written either.
        writeZip(zipPath(), {{"VELKI.MDB", "settings"}, c.bad});
        ZipArchive zip;
        ASSERT_TRUE(zip.open(zipPath())) << zip.errorString().toStdString();
        EXPECT_EQ(zip.entry(1).name, QString::fromUtf8(c.bad.name));
        EXPECT_TRUE(zip.entry(1).refusal.contains(c.reason)) << zip.entry(1).refusal.toStdString();
        EXPECT_FALSE(zip.check(target()));
        EXPECT_FALSE(zip.extractAll(target()));
        EXPECT_EQ(zip.error(), ZipArchive::Error::Refused);
        EXPECT_TRUE(zip.errorString().contains(QString::fromUtf8(c.bad.name))) << zip.errorString().toStdString();
        EXPECT_TRUE(zip.errorString().contains(c.reason)) << zip.errorString().toStdString();
        EXPECT_EQ(targetContents(), QStringList());
        EXPECT_FALSE(QFileInfo::exists(path("VELKPA.MDB")));
        EXPECT_FALSE(QFileInfo::exists("/tmp/VELKPA.MDB"));
    }
}

TEST_F(Zip, NamesInEitherCaseReplaceTheExistingFileAndKeepItsSpelling) {
    writeFile(inTarget("VELKPA.MDB"), "old pa");
    writeFile(inTarget("VELKI.MDB"), "old settings");
    ASSERT_TRUE(QDir().mkpath(inTarget("Initial")));
    writeZip(zipPath(), {{"velkpa.mdb", "new pa"}, {"VELKI.Mdb", "new settings"}, {"INITIAL/SEARCH1.VKD", "s"},
                         {"VELKNJ.MDB", "new nj"}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    // The names are reported exactly as stored; only where they land ignores case.
    EXPECT_EQ(zip.entry(0).name, "velkpa.mdb");
    EXPECT_EQ(zip.destination(0, target()).path, inTarget("VELKPA.MDB"));
    EXPECT_TRUE(zip.destination(0, target()).replaces);
    EXPECT_FALSE(zip.destination(3, target()).replaces);
    ASSERT_TRUE(zip.extractAll(target())) << zip.errorString().toStdString();
    EXPECT_EQ(targetContents(),
              QStringList({"Initial", "Initial/SEARCH1.VKD", "VELKI.MDB", "VELKNJ.MDB", "VELKPA.MDB"}));
    EXPECT_EQ(readFile(inTarget("VELKPA.MDB")), "new pa");
    EXPECT_EQ(readFile(inTarget("VELKI.MDB")), "new settings");
}

TEST_F(Zip, AnEntryReachingOutThroughAnExistingLinkIsRefused) {
    ASSERT_TRUE(QDir().mkpath(path("outside")));
    ASSERT_EQ(::symlink(QFile::encodeName(path("outside")).constData(), QFile::encodeName(inTarget("data")).constData()), 0);
    writeZip(zipPath(), {{"VELKI.MDB", "settings"}, {"DATA/VELKPA.MDB", "x"}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    EXPECT_FALSE(zip.extractAll(target()));
    EXPECT_EQ(zip.error(), ZipArchive::Error::Refused);
    EXPECT_TRUE(zip.errorString().contains("link")) << zip.errorString().toStdString();
    EXPECT_EQ(targetContents(), QStringList{"data"});
    EXPECT_EQ(QDir(path("outside")).entryList(QDir::Files), QStringList());
}

TEST_F(Zip, AnArchivePuttingAFileWhereItNeedsAFolderIsRefusedWhole) {
    writeZip(zipPath(), {{"REPORTS", "a file"}, {"reports/VKPRTALL.RPT", "{}"}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    EXPECT_FALSE(zip.extractAll(target()));
    EXPECT_TRUE(zip.errorString().contains("reports/VKPRTALL.RPT")) << zip.errorString().toStdString();
    EXPECT_EQ(targetContents(), QStringList());
}

TEST_F(Zip, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    writeFile(inTarget("VELKPA.MDB"), "old");
    writeZip(zipPath(), {{"VELKPA.MDB", QByteArray(100000, 'n')}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    bool ok;
    {
        testsupport::FileSizeLimit limit(1000);
        ok = zip.extractAll(target());
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(zip.error(), ZipArchive::Error::Write);
    EXPECT_TRUE(zip.errorString().contains("VELKPA.MDB")) << zip.errorString().toStdString();
    EXPECT_EQ(readFile(inTarget("VELKPA.MDB")), "old");
    EXPECT_EQ(targetContents(), QStringList{"VELKPA.MDB"});
}

TEST_F(Zip, CancellingStopsInsideAnEntryAndKeepsItsOldFile) {
    writeFile(inTarget("VELKNJ.MDB"), "old nj");
    writeZip(zipPath(), {{"VELKPA.MDB", "pa"}, {"VELKNJ.MDB", QByteArray(600000, 'j')}, {"VELKI.MDB", "i"}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    // Cancel once part of the second entry has been read.
    EXPECT_FALSE(zip.extractAll(target(), [](const Progress& p) { return !(p.entry == 1 && p.entryDone > 0); }));
    EXPECT_EQ(zip.error(), ZipArchive::Error::Cancelled);
    EXPECT_TRUE(zip.errorString().contains("cancelled"));
    EXPECT_EQ(readFile(inTarget("VELKPA.MDB")), "pa");
    EXPECT_EQ(readFile(inTarget("VELKNJ.MDB")), "old nj");
    EXPECT_EQ(targetContents(), QStringList({"VELKNJ.MDB", "VELKPA.MDB"}));
}

TEST_F(Zip, AReplacedFileKeepsItsPermissionsAndANewOneTakesTheArchives) {
    writeFile(inTarget("velk"), "old program");
    ::chmod(QFile::encodeName(inTarget("velk")).constData(), 0750);
    writeFile(inTarget("VELKPA.MDB"), "old pa");
    ::chmod(QFile::encodeName(inTarget("VELKPA.MDB")).constData(), 0660);
    writeZip(zipPath(), {{"velk", "new program"}, {"VELKPA.MDB", "pa", S_IFREG | 0644},
                         {"download1", "downloader", S_IFREG | 0755}, {"MANUAL.TXT", "manual"},
                         testsupport::folderItem("INITIAL/")});
    const mode_t mask = ::umask(022);
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    const bool ok = zip.extractAll(target());
    ::umask(mask);
    ASSERT_TRUE(ok) << zip.errorString().toStdString();
    EXPECT_EQ(modeOf(inTarget("velk")), mode_t(0750));
    EXPECT_EQ(modeOf(inTarget("VELKPA.MDB")), mode_t(0660));
    EXPECT_EQ(modeOf(inTarget("download1")), mode_t(0755));
    EXPECT_EQ(modeOf(inTarget("MANUAL.TXT")), mode_t(0644));
    EXPECT_TRUE(QFileInfo(inTarget("INITIAL")).isDir());
}

TEST_F(Zip, OneEntryIsExtractedByItsIndex) {
    writeZip(zipPath(), {{"VELKPA.MDB", "pa"}, {"VELKNJ.MDB", "nj"}});
    ZipArchive zip;
    ASSERT_TRUE(zip.open(zipPath()));
    ASSERT_TRUE(zip.extract(1, target()));
    EXPECT_EQ(targetContents(), QStringList{"VELKNJ.MDB"});
    EXPECT_EQ(readFile(inTarget("VELKNJ.MDB")), "nj");
}
