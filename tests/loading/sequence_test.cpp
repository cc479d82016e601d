// The load sequence: which files take part, the checks before it, the order of the loaders, the
// version stamp, and a load that fails or is cancelled changing nothing.
#include "loading/load_sequence.h"
#include "loading/loaders.h"
#include "loading/release_files.h"
#include "loading_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

using namespace loading;
using namespace loadingtest;

namespace {

// One New York record of each kind for the employer 123 45 67, sequence 01.
QByteArray nyEmployer(const QByteArray& county) {
    return Golden(502)
        .put(1, "NY123456701")
        .put(28, "EMPIRE BAKERY CORP")
        .put(175, county)
        .put(195, slot("031599", "990401", "031500", "0095"))
        .rec;
}
QByteArray nyClassLine(const QByteArray& code) {
    return Golden(52)
        .put(2, code)
        .put(7, "123456701"
                "0001234")
        .rec;
}
QByteArray nyAddress() {
    return Golden(327).put(1, "NY123456701").put(19, "PO BOX 12").rec;
}

} // namespace

class LoadSequence : public LoadingTest {
protected:
    void writeNewYorkRelease() {
        writeFile("SIC.DAT", {Golden(52).put(1, " 2051").put(9, "BAKERY PRODUCTS").rec});
        writeFile("CLASSES.DAT", {Golden(57).put(2, "2003").put(6, "BAKERY").rec});
        writeFile("CTYNY.DAT", {Golden(36).put(2, "061").put(5, "NEW YORK").rec});
        writeFile("DATA1NY.DAT", {nyClassLine("2003")});
        writeFile("DATANY.DAT", {nyEmployer("061")});
        writeFile("DATA2NY.DAT", {nyAddress()});
    }
};

TEST_F(LoadSequence, WhichFilesOfferALoad) {
    openState("NY");
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY")));
    writeFile("DATA2NY.DAT", {nyAddress()});
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY"))); // the address file alone starts none
    writeFile("CTYNY.DAT", {});                                    // present but empty
    EXPECT_FALSE(offersLoad(measureReleaseFiles(folder(), "NY")));
    writeFile("ctyny.dat", {Golden(36).put(2, "061").rec});
    QFile::remove(path("CTYNY.DAT"));
    const ReleaseFileLengths l = measureReleaseFiles(folder(), "NY");
    EXPECT_EQ(l.county, 36);
    EXPECT_EQ(l.addresses, 327);
    EXPECT_TRUE(offersLoad(l));
    EXPECT_FALSE(
        offersLoad(measureReleaseFiles(folder(), "PA"))); // another data set's files count for nothing
}

TEST_F(LoadSequence, CompleteNewYorkLoadInOrder) {
    openState("NY");
    writeNewYorkRelease();
    db_->execute("INSERT INTO VERSION (Dummy, Version) VALUES ('1', '2020-01-01')");
    cancelled_ = true; // left over from an earlier load: cleared before the first loader
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NY")), LoadOutcome::Completed);

    // The class loader found this release's descriptions, the employer loader its county names.
    EXPECT_EQ(value("SELECT CLASSDESC FROM CLASS").toString().trimmed(), "BAKERY");
    EXPECT_EQ(value("SELECT COUNTYNAME FROM PRIME").toString().trimmed(), "NEW YORK");
    EXPECT_EQ(value("SELECT [DESC] FROM SICCODES WHERE CODE = '2051'").toString().trimmed(),
              "BAKERY PRODUCTS");
    EXPECT_EQ(value("SELECT ADDRESSES FROM ADDRESSES").toString(),
              QString("PO BOX 12").leftJustified(35) + "\r\n");
    EXPECT_EQ(count("VERSION"), 1);
    EXPECT_EQ(value("SELECT Dummy FROM VERSION").toString(), "1");
    EXPECT_EQ(dao::toDate(value("SELECT Version FROM VERSION")), QDate(2024, 6, 30));
    EXPECT_EQ(progress_, (QStringList{"TOTAL CLASSES ADDED IS 0", "TOTAL COMPANIES ADDED IS 0",
                                      "TOTAL OTHER INFORMATION ADDED IS 0"}));
    EXPECT_TRUE(files().filter(".DAT").isEmpty()) << files().join(" ").toStdString();
}

TEST_F(LoadSequence, OnlySicLoadsNoVersionStamp) {
    openState("PA");
    writeFile("Sic.Dat", {Golden(52).put(1, " 1521").put(9, "HOUSES").rec});
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
    EXPECT_EQ(count("SICCODES"), 1);
    EXPECT_EQ(count("VERSION"), 0);
    EXPECT_FALSE(exists("Sic.Dat"));
}

TEST_F(LoadSequence, AddressFileIsNotLoadedForAnotherDataSet) {
    openState("PA");
    writeFile("DATA2NY.DAT", {nyAddress()});
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
    EXPECT_TRUE(exists("DATA2NY.DAT"));
    EXPECT_EQ(count("PRIME"), 1);
    EXPECT_EQ(count("VERSION"), 1);
}

TEST_F(LoadSequence, LengthsAreTakenOnceBeforeTheLoad) {
    openState("PA");
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    const ReleaseFileLengths l = measureReleaseFiles(folder(), "PA");
    writeFile("SIC.DAT", {Golden(52).put(1, " 1521").put(9, "HOUSES").rec}); // too late for this load
    EXPECT_EQ(runLoadSequence(ctx_, l), LoadOutcome::Completed);
    EXPECT_EQ(count("SICCODES"), 0);
    EXPECT_TRUE(exists("SIC.DAT"));
}

// A PA data set holding a loaded release with the user's own data on it, and the files of the
// next release.
class ReplacedRelease : public LoadingTest {
protected:
    void SetUp() override {
        LoadingTest::SetUp();
        openState("PA");
        writeRelease(employers(3));
        ASSERT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
        db_->execute("UPDATE NOTES SET NOTES = 'Call back in May' WHERE FILE = '1000001'");
        db_->execute("UPDATE PRIME SET User1 = '!&', User2 = '12 OAK ST', User3 = 'ERIE, PA 16501', "
                     "UserPhone = '814-555-0101', UserContact = 'ANN', Omit = 'Y' WHERE FILE = '1000002'");
        db_->createIndex("PRIME", "KEYZIP", {"ZIP"}); // an index other work added to the schema
        ctx_ = freshContext();
        before_ = dump(*db_);
        writeRelease(employers(2, 10));
    }
    // Every file differs from the last release's, so that any table loaded shows.
    void writeRelease(const QList<QByteArray>& employerRecords) {
        const QByteArray generation = employerRecords.first().mid(2, 7);
        writeFile("SIC.DAT", {Golden(52).put(1, " 1521").put(9, "HOUSES " + generation).rec});
        writeFile("CTYPA.DAT", {Golden(36).put(2, "003").put(5, "ALLEGHENY " + generation).rec});
        QList<QByteArray> lines;
        for (const QByteArray& e : employerRecords)
            lines << standardClassLine("8810", e.mid(2, 7), "01", "00150");
        writeFile("DATA1PA.DAT", lines);
        writeFile("DATAPA.DAT", employerRecords);
    }
    loading::LoadContext freshContext() const {
        loading::LoadContext c;
        c.db = ctx_.db;
        c.folder = ctx_.folder;
        c.state = ctx_.state;
        c.today = ctx_.today;
        c.cancelled = ctx_.cancelled;
        c.progress = ctx_.progress;
        c.processEvents = ctx_.processEvents;
        return c;
    }
    // The load did not happen: the old data byte for byte, the new release's files all there.
    void expectNothingChanged() {
        EXPECT_TRUE(dump(*db_) == before_) << "the database changed";
        for (const char* kept : {"SIC.DAT", "CTYPA.DAT", "DATA1PA.DAT", "DATAPA.DAT"})
            EXPECT_TRUE(QFileInfo::exists(path(kept)) || QFileInfo(path(kept)).isSymLink()) << kept;
        EXPECT_FALSE(db_->inTransaction());
    }
    QByteArray before_;
};

TEST_F(ReplacedRelease, ACompletedLoadReplacesTheReleaseKeepsNotesAndIndexes) {
    auto schema = [&] {
        return value("SELECT group_concat(x, ';') FROM (SELECT name || ' ' || sql AS x FROM sqlite_schema "
                     "ORDER BY 1)")
            .toString()
            .toStdString();
    };
    const std::string indexes = schema();
    ASSERT_NE(indexes.find("PRIME__KEYZIP"), std::string::npos);
    ASSERT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Completed);
    EXPECT_EQ(schema(), indexes); // dropped for the rows and built again, the added one too
    EXPECT_EQ(value("SELECT group_concat(FILE) FROM PRIME").toString(), "1000010,1000011");
    EXPECT_EQ(value("SELECT NOTES FROM NOTES WHERE FILE = '1000001'").toString(), "Call back in May");
    EXPECT_EQ(count("NOTES"), 5);
    EXPECT_TRUE(files().filter(".DAT").isEmpty());
}

// A load that fails anywhere, or is cancelled, is undone whole: the old release, its user fields
// and the notes stay byte for byte, and every release file stays for the next start.
TEST_F(ReplacedRelease, FailedAndCancelledLoadsChangeNothing) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool cancelled;
    };
    const Case cases[] = {
        {"a bad record in the last file", [&] { writeFile("DATAPA.DAT", employers(2, 10), "XYZ"); }, false},
        {"a bad record in an earlier file",
         [&] { writeFile("DATA1PA.DAT", {standardClassLine("8810", "1000010", "01", "00150")}, "XYZ"); },
         false},
        {"a row the database refuses",
         [&] {
             sqlite3_exec(dao::detail::rawHandle(*db_),
                          "CREATE TRIGGER refuse BEFORE INSERT ON MODS WHEN NEW.FILE = '1000011' "
                          "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END",
                          nullptr, nullptr, nullptr);
         },
         false},
        {"Cancel during the employer load",
         [&] {
             onEvents_ = [&] {
                 if (eventRuns_ == 9) cancelled_ = true;
             };
         },
         true},
        {"Cancel after a plain loader", [&] { onEvents_ = [&] { cancelled_ = true; }; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        onEvents_ = {};
        eventRuns_ = 0;
        c.arrange();
        before_ = dump(*db_); // with the test's trigger
        try {
            EXPECT_EQ(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadOutcome::Cancelled);
            EXPECT_TRUE(c.cancelled);
        } catch (const LoadFailure& f) {
            EXPECT_FALSE(c.cancelled);
            EXPECT_TRUE(f.started());
            EXPECT_TRUE(f.message().contains(nothingChangedText())) << f.message().toStdString();
        }
        expectNothingChanged();
        sqlite3_exec(dao::detail::rawHandle(*db_), "DROP TRIGGER IF EXISTS refuse", nullptr, nullptr,
                     nullptr);
        writeRelease(employers(2, 10));
    }
}

// An employer file that would leave no employer is refused before anything is emptied; so is a
// release file that is not a regular file. A file cut short fails in the load, undone.
TEST_F(ReplacedRelease, HostileEmployerFiles) {
    const QByteArray good = employers(1, 10).first();
    QByteArray garbage(2000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919) % 251);
    struct Case {
        const char* name;
        std::function<void(const QString&)> make; // writes DATAPA.DAT at the path
        const char* says;
        bool started = false;
    };
    const Case cases[] = {
        {"blank records",
         [&](const QString& p) { testsupport::writeFile(p, Golden(502).rec + Golden(502).rec); },
         "DATAPA.DAT holds no employer record: its 2 records are blank"},
        {"only a Ctrl-Z", [&](const QString& p) { testsupport::writeFile(p, "\x1a"); },
         "DATAPA.DAT holds no employer record: it has no whole record."},
        {"LF-only line ends",
         [&](const QString& p) { testsupport::writeFile(p, good.left(500) + "\n" + good.left(500) + "\n"); },
         "DATAPA.DAT, record 1: a line ends after 501 bytes"},
        {"a garbage first record", [&](const QString& p) { testsupport::writeFile(p, garbage + good); },
         "DATAPA.DAT, record 1:"},
        {"keys of control bytes",
         [&](const QString& p) {
             testsupport::writeFile(p, standardEmployer("PA", QByteArray(7, '\0'), "01", "X").rec);
         },
         "its 1 records are blank or have no printable key"},
        {"one 50 MB line", [&](const QString& p) { testsupport::writeFile(p, QByteArray(50 << 20, 'A')); },
         "DATAPA.DAT, record 1: the record does not end in CR LF"},
        {"a link to a system file", [&](const QString& p) { ASSERT_TRUE(QFile::link("/etc/passwd", p)); },
         "DATAPA.DAT is a link to /etc/passwd, not a regular file."},
        {"a named pipe",
         [&](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         "DATAPA.DAT is a named pipe, not a regular file."},
        {"truncated",
         [&](const QString& p) { testsupport::writeFile(p, good + employers(1, 11).first().left(300)); },
         "record 2 of DATAPA.DAT", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("DATAPA.DAT"));
        c.make(path("DATAPA.DAT"));
        const ReleaseFileLengths lengths = measureReleaseFiles(folder(), "PA");
        ASSERT_NE(lengths.employer, 0);
        try {
            runLoadSequence(ctx_, lengths);
            ADD_FAILURE() << "loaded";
        } catch (const LoadFailure& f) {
            EXPECT_EQ(f.started(), c.started);
            EXPECT_TRUE(f.message().contains(c.says)) << f.message().toStdString();
            EXPECT_TRUE(f.message().endsWith(nothingChangedText()));
        }
        expectNothingChanged();
    }
}

// Two names that differ only in letter case would load one file now and the other at the next
// start; a file the user could not delete would be loaded again at every start. Either refuses
// the load before it begins, naming the files.
TEST_F(ReplacedRelease, CaseTwinsAreRefusedNamingBoth) {
    writeFile("datapa.dat", employers(1, 20));
    QString first;
    const QStringList problems =
        releaseFileProblems(folder(), "PA", measureReleaseFiles(folder(), "PA"), &first);
    EXPECT_EQ(problems,
              QStringList{"DATAPA.DAT and datapa.dat: release files whose names differ only in letter "
                          "case; keep the one that belongs to this release."});
    EXPECT_EQ(first, "DATAPA.DAT");
    EXPECT_THROW(runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA")), LoadFailure);
    expectNothingChanged();
    EXPECT_TRUE(exists("datapa.dat"));
}

TEST(ReleaseFileDeletion, FolderPermissionAndStickyBit) {
    struct Case {
        const char* name;
        DeletionRights rights;
        const char* blocker;
    };
    const unsigned me = 1000, other = 1001;
    const Case cases[] = {
        {"own folder", {true, false, me, me, me, "me"}, ""},
        {"another user's file in a folder open to me", {true, false, other, other, me, "bob"}, ""},
        {"read-only folder",
         {false, false, me, me, me, "me"},
         "the folder /p does not let you delete files in it"},
        {"shared sticky folder, my file", {true, true, 0, me, me, "me"}, ""},
        {"shared sticky folder, another user's file",
         {true, true, 0, other, me, "bob"},
         "it belongs to bob, and the folder /p lets only a file's owner delete it"},
        {"sticky folder of my own", {true, true, me, other, me, "bob"}, ""},
        {"the administrator", {true, true, other, other, 0, "bob"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(deletionBlocker(c.rights, "/p").toStdString(), c.blocker) << c.name;
}

TEST_F(LoadSequence, AddressFailureUndoesTheWholeNewYorkLoad) {
    openState("NY");
    writeNewYorkRelease();
    writeFile("DATA2NY.DAT", {nyAddress().left(300) + "\r\n"});
    EXPECT_THROW(runLoadSequence(ctx_, measureReleaseFiles(folder(), "NY")), LoadFailure);
    EXPECT_EQ(count("VERSION") + count("PRIME") + count("SICCODES") + count("CLASS"), 0);
    EXPECT_EQ(files().filter(".DAT").size(), 6);
}

TEST_F(LoadSequence, VersionStampFailureUndoesTheLoad) {
    openState("PA");
    writeFile("DATAPA.DAT", {standardEmployer("PA", "1000001", "01", "ONE").rec});
    db_->execute("DROP TABLE VERSION");
    try {
        runLoadSequence(ctx_, measureReleaseFiles(folder(), "PA"));
        FAIL() << "no failure";
    } catch (const LoadFailure& f) {
        EXPECT_EQ(f.file(), "VERSION");
        EXPECT_TRUE(f.message().startsWith("The data load stopped on VERSION.")) << f.message().toStdString();
    }
    EXPECT_EQ(count("PRIME"), 0);
    EXPECT_TRUE(exists("DATAPA.DAT"));
}
