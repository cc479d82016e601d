#include "net/stub_http_server.h"
#include "platform/net/download.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <QUrl>


using namespace net;
using testsupport::readFile;
using testsupport::StubHttpServer;
using testsupport::StubRoute;
using testsupport::writeFile;

namespace {

class Download : public testsupport::StubServerTest {
protected:
    QString fileUrl(const QString& name) const { return QUrl::fromLocalFile(path(name)).toString(); }
};

} // namespace

TEST_F(Download, HttpAnswersEndInTheFileOrInANamedCause) {
    const QByteArray archive(70000, 'z');
    server.route("/VELKPA.ZIP", StubRoute::ok(archive));
    server.route("/moved/VELKPA.ZIP", StubRoute::redirect("/VELKPA.ZIP"));
    server.route("/broken", StubRoute::error(500, "Internal Server Error"));
    server.route("/short", StubRoute::cutShort(QByteArray(100, 's'), 1000));
    server.route("/to-file", StubRoute::redirect(QUrl::fromLocalFile(path("secret")).toEncoded()));
    writeFile(path("secret"), "local data");
    const struct {
        const char* path;
        bool ok;
        long status;
        const char* cause;
    } cases[] = {
        {"/VELKPA.ZIP", true, 200, nullptr},
        {"/moved/VELKPA.ZIP", true, 200, nullptr},
        {"/MISSING.ZIP", false, 404, "the server answered HTTP 404 Not Found"},
        {"/broken", false, 500, "the server answered HTTP 500 Internal Server Error"},
        {"/short", false, 200, "the transfer broke off after 100 of 1000 bytes"},
        // A server may not send the download on to a file of this machine.
        {"/to-file", false, 302, "the server redirected it to an address other than http:// or https://"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        writeFile(path("VELKPA.ZIP"), "previous");
        const QString url = server.url(c.path);
        const DownloadResult r = downloadFile(url, path("VELKPA.ZIP"));
        EXPECT_EQ(r.ok, c.ok) << r.error.toStdString();
        EXPECT_EQ(r.httpStatus, c.status);
        if (c.ok) {
            EXPECT_EQ(readFile(path("VELKPA.ZIP")), archive);
            EXPECT_TRUE(r.error.isEmpty());
        } else {
            EXPECT_EQ(r.error.toStdString(), QStringLiteral("Cannot download %1: %2.").arg(url, c.cause).toStdString());
            EXPECT_EQ(readFile(path("VELKPA.ZIP")), "previous");
        }
        EXPECT_EQ(files(), QStringList({"VELKPA.ZIP", "secret"}));
    }
}

TEST_F(Download, ARefusedConnectionIsNamed) {
    const QString url = QStringLiteral("http://127.0.0.1:%1/VELKPA.ZIP").arg(StubHttpServer::closedPort());
    const DownloadResult r = downloadFile(url, path("VELKPA.ZIP"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("Cannot download " + url + ": no connection to 127.0.0.1 can be made; it was refused"))
        << r.error.toStdString();
    EXPECT_EQ(files(), QStringList());
}

TEST_F(Download, AServerThatStopsSendingIsGivenUp) {
    // One byte comes, then nothing: the average speed soon falls below a byte a second.
    server.route("/slow", StubRoute::stalled("ww"));
    DownloadOptions o;
    o.stallTimeout = 1;
    const DownloadResult r = downloadFile(server.url("/slow"), path("VELKPA.ZIP"), o);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("the server did not answer in time")) << r.error.toStdString();
    EXPECT_EQ(files(), QStringList());
}

TEST_F(Download, LocalFilesAreCopiedAndAMissingOneIsNamed) {
    ASSERT_TRUE(QDir().mkpath(path("update folder")));
    writeFile(path("update folder/VELKI.ZIP"), "settings archive");
    const DownloadResult ok = downloadFile(fileUrl("update folder/VELKI.ZIP"), path("VELKI.ZIP"));
    EXPECT_TRUE(ok.ok) << ok.error.toStdString();
    EXPECT_EQ(readFile(path("VELKI.ZIP")), "settings archive");
    EXPECT_EQ(ok.httpStatus, 0);
    // As a user would type it, with the blank unencoded.
    const DownloadResult typed = downloadFile("file://" + path("update folder/VELKI.ZIP"), path("TYPED.ZIP"));
    EXPECT_TRUE(typed.ok) << typed.error.toStdString();

    const DownloadResult missing = downloadFile(fileUrl("update folder/VELKPA.ZIP"), path("VELKPA.ZIP"));
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.endsWith(": the file " + path("update folder/VELKPA.ZIP") + " is missing or cannot be read."))
        << missing.error.toStdString();
    EXPECT_EQ(files(), QStringList({"TYPED.ZIP", "VELKI.ZIP"}));
}

TEST_F(Download, OtherAddressesAndMissingFoldersAreRefusedBeforeAnyTransfer) {
    const struct {
        QString url;
        QString local;
        const char* cause;
    } cases[] = {
        {"ftp://example.com/VELKPA.ZIP", path("VELKPA.ZIP"), "only http://, https:// and file:// addresses"},
        {"VELKPA.ZIP", path("VELKPA.ZIP"), "only http://, https:// and file:// addresses"},
        {server.url("/VELKPA.ZIP"), path("none/VELKPA.ZIP"), "cannot be saved: no temporary file can be created beside it"},
    };
    for (const auto& c : cases) {
        const DownloadResult r = downloadFile(c.url, c.local);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(c.cause)) << r.error.toStdString();
    }
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(files(), QStringList());
}

TEST_F(Download, AFileThatCannotBeWrittenKeepsTheOldOne) {
    server.route("/VELKPA.ZIP", StubRoute::ok(QByteArray(50000, 'z')));
    writeFile(path("VELKPA.ZIP"), "previous");
    DownloadResult r;
    {
        testsupport::FileSizeLimit limit(1000);
        r = downloadFile(server.url("/VELKPA.ZIP"), path("VELKPA.ZIP"));
    }
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.endsWith(path("VELKPA.ZIP") + " cannot be saved: writing failed (File too large).")) << r.error.toStdString();
    EXPECT_EQ(readFile(path("VELKPA.ZIP")), "previous");
    EXPECT_EQ(files(), QStringList{"VELKPA.ZIP"});
}

TEST_F(Download, ProgressSeesTheBytesAndCanCancel) {
    server.route("/VELKPA.ZIP", StubRoute::ok(QByteArray(200000, 'z')));
    qint64 lastDone = 0, lastTotal = 0;
    DownloadOptions o;
    o.progress = [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return true;
    };
    ASSERT_TRUE(downloadFile(server.url("/VELKPA.ZIP"), path("VELKPA.ZIP"), o).ok);
    EXPECT_EQ(lastDone, 200000);
    EXPECT_EQ(lastTotal, 200000);

    // Cancelled in the middle: the server has sent half and waits.
    server.route("/slow", StubRoute::stalled(QByteArray(200000, 'w')));
    o.progress = [](qint64 done, qint64) { return done == 0; };
    const DownloadResult r = downloadFile(server.url("/slow"), path("VELKNJ.ZIP"), o);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.endsWith(": it was cancelled.")) << r.error.toStdString();
    EXPECT_EQ(files(), QStringList{"VELKPA.ZIP"});
}
