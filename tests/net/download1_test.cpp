#include "download1/fetch.h"
#include "net/stub_http_server.h"
#include "platform/files/folders.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <sys/file.h>

using namespace download1;
using testsupport::readFile;
using testsupport::StubHttpServer;
using testsupport::StubRoute;
using testsupport::writeFile;

TEST(DownloadSettings, TheLocationLineIsFoundOrItsAbsenceNamed) {
    const struct {
        QByteArray text;
        const char* location;
        const char* error;
    } cases[] = {
        {"[Download]\r\nLocation=https://updates.example.com/velk/\r\n", "https://updates.example.com/velk/", ""},
        {"\xEF\xBB\xBF; published here\nlocation = \"file:///srv/velk updates\"\n", "file:///srv/velk updates", ""},
        {"# first one counts\nLOCATION=http://a/\nLocation=http://b/\n", "http://a/", ""},
        {"[Download]\nServer=http://a/\n", "", "has no Location= line"},
        {"", "", "has no Location= line"},
        {"Location=\n", "", "has an empty Location"},
        {"Location=ftp://a/velk\n", "", "has a Location that is not an http://, https:// or file:// URL (ftp://a/velk)"},
        {"Location=updates/velk\n", "", "has a Location that is not an http://, https:// or file:// URL (updates/velk)"},
    };
    for (const auto& c : cases) {
        const Parsed p = parseSettings(c.text);
        EXPECT_EQ(p.location.toStdString(), c.location) << c.text.constData();
        EXPECT_EQ(p.error.toStdString(), c.error) << c.text.constData();
    }
}

TEST(DownloadIndex, ArchiveNamesAreReadOrTheBadLineNamed) {
    QByteArray many;
    for (int i = 1; i <= 22; ++i)
        many += "VELK" + QByteArray::number(i) + ".ZIP\n";
    const struct {
        QByteArray text;
        QStringList names;
        const char* error;
    } cases[] = {
        {"VELKPA.ZIP\r\nVELKI.ZIP\r\n", {"VELKPA.ZIP", "VELKI.ZIP"}, ""},
        {"# this week\n\n  velkpgm_2.zip  \n; done\n", {"velkpgm_2.zip"}, ""},
        {"VELK.ZIP", {"VELK.ZIP"}, ""},
        {"VELKPA.ZIP\n../VELKPA.ZIP\n", {}, "line 2 (\"../VELKPA.ZIP\") is not an archive name of the form VELK*.ZIP"},
        {"VELKPA.MDB\n", {}, "line 1 (\"VELKPA.MDB\") is not an archive name of the form VELK*.ZIP"},
        {"VELK PA.ZIP\n", {}, "line 1 (\"VELK PA.ZIP\") is not an archive name of the form VELK*.ZIP"},
        {"VELKPA.ZIP\nvelkpa.zip\n", {}, "line 2 names velkpa.zip a second time"},
        {"# nothing yet\n", {}, "it names no archive"},
        {many, {}, "it names 22 archives; at most 21 can be installed at once"},
    };
    for (const auto& c : cases) {
        const Parsed p = parseIndex(c.text);
        EXPECT_EQ(p.names, c.names) << c.text.constData();
        EXPECT_EQ(p.error.toStdString(), c.error) << c.text.constData();
    }
}

namespace {

// A program folder with DOWNLOAD.INI, a source folder for the archives and a stub server.
class Downloader : public testsupport::StubServerTest {
protected:
    void SetUp() override {
        StubServerTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path("program")));
        ASSERT_TRUE(QDir().mkpath(path("source")));
        ASSERT_TRUE(QDir().mkpath(path("published")));
    }
    QString source() const { return path("source"); }
    // Everything in the source folder, hidden files and folders included.
    QStringList sourceContents() const {
        return QDir(source()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    void publish(const QString& name, const QByteArray& data) { writeFile(path("published/" + name), data); }
    QString publishedUrl() const { return QUrl::fromLocalFile(path("published")).toString(); }
    void setLocation(const QString& url) { writeFile(path("program/DOWNLOAD.INI"), "[Download]\nLocation=" + url.toUtf8() + "\n"); }

    // Starts the downloader as the update form does: by path, no shell, in the program folder.
    void start(QProcess& p, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELK_PROGRAM_FOLDER", path("program"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(path("program"));
        p.start(QCoreApplication::applicationDirPath() + "/download1", args);
        ASSERT_TRUE(p.waitForStarted()) << p.errorString().toStdString();
    }
    // Runs the downloader to its end and returns DONE.TXT.
    QByteArray runDownloader(const QStringList& args) {
        QFile::remove(path("program/DONE.TXT"));
        QProcess p;
        start(p, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return readFile(path("program/DONE.TXT"));
    }
};

} // namespace

TEST_F(Downloader, EveryListedArchiveArrivesUnderItsNameReplacingOneInOtherCase) {
    server.route("/velk/UPDATES.TXT", StubRoute::ok("VELKPA.ZIP\nVELKI.ZIP\n"));
    server.route("/velk/VELKPA.ZIP", StubRoute::ok("pa archive"));
    server.route("/velk/VELKI.ZIP", StubRoute::ok("settings archive"));
    writeFile(path("source/velkpa.zip"), "last month's");
    const Outcome out = fetchUpdate(server.url("/velk"), source());
    EXPECT_TRUE(out.ok) << out.message.toStdString();
    EXPECT_EQ(out.archives, QStringList({path("source/velkpa.zip"), path("source/VELKI.ZIP")}));
    EXPECT_EQ(sourceContents(), QStringList({"VELKI.ZIP", "velkpa.zip"}));
    EXPECT_EQ(readFile(path("source/velkpa.zip")), "pa archive");
    EXPECT_EQ(out.message, QStringLiteral("2 update archives downloaded from %1 into %2: VELKPA.ZIP, VELKI.ZIP.")
                               .arg(server.url("/velk"), source()));
}

TEST_F(Downloader, AFailedRunLeavesTheSourceFolderAsItWas) {
    server.route("/velk/VELKPA.ZIP", StubRoute::ok("pa archive"));
    server.route("/velk/VELKNJ.ZIP", StubRoute::cutShort("half", 100));
    server.route("/bad/UPDATES.TXT", StubRoute::ok("VELKPA.ZIP\nREADME.TXT\n"));
    writeFile(path("source/VELKPA.ZIP"), "last month's");
    const struct {
        QByteArray index;    // served as /velk/UPDATES.TXT; empty: none
        QString location;
        QString message;
    } cases[] = {
        {"VELKPA.ZIP\nVELKNJ.ZIP\n", server.url("/velk"),
         "Cannot download " + server.url("/velk/VELKNJ.ZIP") + ": the transfer broke off after 4 of 100 bytes."},
        {"VELKPA.ZIP\nVELKDE.ZIP\n", server.url("/velk"),
         "Cannot download " + server.url("/velk/VELKDE.ZIP") + ": the server answered HTTP 404 Not Found."},
        {"", server.url("/velk"),
         "The list of update archives cannot be fetched. Cannot download " + server.url("/velk/UPDATES.TXT") +
             ": the server answered HTTP 404 Not Found."},
        {"", server.url("/bad/"),
         "The list of update archives " + server.url("/bad/UPDATES.TXT") +
             " cannot be used: line 2 (\"README.TXT\") is not an archive name of the form VELK*.ZIP."},
    };
    for (const auto& c : cases) {
        server.route("/velk/UPDATES.TXT", c.index.isEmpty() ? StubRoute::error(404, "Not Found") : StubRoute::ok(c.index));
        const Outcome out = fetchUpdate(c.location, source());
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message.toStdString(), c.message.toStdString());
        EXPECT_TRUE(out.archives.isEmpty());
        EXPECT_EQ(sourceContents(), QStringList{"VELKPA.ZIP"});
        EXPECT_EQ(readFile(path("source/VELKPA.ZIP")), "last month's");
    }
}

TEST_F(Downloader, TheProgramAlwaysLeavesDoneTxtWithItsOutcome) {
    publish("UPDATES.TXT", "VELKPA.ZIP\n");
    publish("VELKPA.ZIP", "pa archive");
    const quint16 closed = StubHttpServer::closedPort();
    const struct {
        const char* what;
        QString location; // empty: no DOWNLOAD.INI
        QStringList args;
        QByteArray done;  // DONE.TXT begins with this
        QStringList archives;
    } cases[] = {
        {"a local location", publishedUrl(), {source()}, "OK\n1 update archive downloaded from " + publishedUrl().toUtf8(), {"VELKPA.ZIP"}},
        {"no settings", QString(), {source()},
         "FAILED\nThe download location is not set: " + QFile::encodeName(path("program/DOWNLOAD.INI")) + " does not exist.",
         {}},
        {"a refused connection", QStringLiteral("http://127.0.0.1:%1/velk").arg(closed), {source()},
         "FAILED\nThe list of update archives cannot be fetched. Cannot download http://127.0.0.1:" +
             QByteArray::number(closed) + "/velk/UPDATES.TXT: no connection to 127.0.0.1 can be made",
         {}},
        {"a missing source folder", publishedUrl(), {path("none")},
         "FAILED\nThe folder " + QFile::encodeName(path("none")) + " for the update archives does not exist.", {}},
        {"no argument", publishedUrl(), {}, "FAILED\ndownload1 was started without the folder for the archives.", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(source()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(source()));
        QFile::remove(path("program/DOWNLOAD.INI"));
        if (!c.location.isEmpty()) setLocation(c.location);
        const QByteArray done = runDownloader(c.args);
        EXPECT_TRUE(done.startsWith(c.done)) << done.constData();
        EXPECT_TRUE(done.endsWith(".\n")) << done.constData();
        EXPECT_EQ(sourceContents(), c.archives);
    }
}

TEST_F(Downloader, AStoppedProgramStillLeavesDoneTxt) {
    server.route("/velk/UPDATES.TXT", StubRoute::ok("VELKPA.ZIP\n"));
    server.route("/velk/VELKPA.ZIP", StubRoute::stalled(QByteArray(100000, 'p')));
    setLocation(server.url("/velk"));
    QFile::remove(path("program/DONE.TXT"));
    QProcess p;
    start(p, {source()});
    // Stop it once it is inside the archive's transfer.
    QDeadlineTimer deadline(20000);
    while (!server.requests().contains("/velk/VELKPA.ZIP") && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(server.requests().contains("/velk/VELKPA.ZIP"));
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(readFile(path("program/DONE.TXT")), "FAILED\nThe download was stopped before it finished.\n");
    EXPECT_EQ(sourceContents(), QStringList());
}

TEST_F(Downloader, ATransferStopsAtItsLimitAndTheSourceFolderStaysAsItWas) {
    // No length announced: each is stopped as it runs past its limit, not once it is whole.
    const auto unannounced = [](const QByteArray& body) { return StubRoute::cutShort(body, -2); };
    server.route("/big/UPDATES.TXT", unannounced("VELKPA.ZIP\n" + QByteArray(200000, '#')));
    server.route("/velk/UPDATES.TXT", StubRoute::ok("VELKPA.ZIP\n"));
    server.route("/velk/VELKPA.ZIP", unannounced(QByteArray(300000, 'p')));
    writeFile(path("source/VELKPA.ZIP"), "last month's");
    FetchOptions options;
    options.spareBytes = 0;
    files::setFreeSpaceOverride(100000);
    const Outcome list = fetchUpdate(server.url("/big"), source(), options);
    const Outcome archive = fetchUpdate(server.url("/velk"), source(), options);
    files::setFreeSpaceOverride(-1);
    EXPECT_EQ(list.message.toStdString(),
              "The list of update archives cannot be fetched. Cannot download " +
                  server.url("/big/UPDATES.TXT").toStdString() +
                  ": it is larger than 64.0 kB, more than a list of update archives holds.");
    EXPECT_TRUE(archive.message.contains(": it is larger than the 97.7 kB that can be used in the folder "))
        << archive.message.toStdString();
    EXPECT_EQ(sourceContents(), QStringList{"VELKPA.ZIP"});
    EXPECT_EQ(readFile(path("source/VELKPA.ZIP")), "last month's");
}

TEST_F(Downloader, WhatAKilledRunLeftIsRemovedByTheNextWhileARunningOnesFolderStays) {
    server.route("/velk/UPDATES.TXT", StubRoute::ok("VELKPA.ZIP\n"));
    server.route("/velk/VELKPA.ZIP", StubRoute::stalled(QByteArray(100000, 'p')));
    setLocation(server.url("/velk"));
    QProcess p;
    start(p, {source()});
    QDeadlineTimer deadline(20000);
    while (!server.requests().contains("/velk/VELKPA.ZIP") && !deadline.hasExpired())
        QThread::msleep(20);
    p.kill();
    ASSERT_TRUE(p.waitForFinished(20000));
    const QStringList left = sourceContents();
    ASSERT_EQ(left.size(), 1);
    // A run still going, as far as its lock says.
    ASSERT_TRUE(QDir().mkpath(path("source/.velk-download-going")));
    QFile owner(path("source/.velk-download-going/.owner"));
    ASSERT_TRUE(owner.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(owner.handle(), LOCK_EX | LOCK_NB), 0);

    server.route("/velk/VELKPA.ZIP", StubRoute::ok("pa archive"));
    EXPECT_TRUE(fetchUpdate(server.url("/velk"), source()).ok);
    EXPECT_EQ(sourceContents(), QStringList({".velk-download-going", "VELKPA.ZIP"})) << left[0].toStdString();
}
