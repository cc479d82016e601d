// The update form: where it starts, OK without archives, and the download wait with the real
// downloader fetching from a local folder or a stub server, failing, stalling or not starting.
#include "archive/zip_builder.h"
#include "folder_setup/program_folder.h"
#include "maintenance/update_form.h"
#include "net/stub_http_server.h"
#include "platform/files/folders.h"
#include "platform/ui/folder_list.h"
#include "platform/ui/msgbox.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <optional>

using maintenance::WaitEnd;
using testsupport::readFile;
using testsupport::StubRoute;
using testsupport::writeFile;

namespace {

const QString kSelectState = QStringLiteral("Upgrade complete.  Select State!");

class Closer : public maintenance::StateDatabaseUsers {
public:
    int closed = 0;
    void releaseStateDatabase() override { ++closed; }
    void resumeStateDatabase() noexcept override {}
};

// A program folder with the downloader and its settings as velk-setup leaves them, an empty
// source folder, a published folder and a stub server.
class UpdateForm : public testsupport::StubServerTest {
protected:
    void SetUp() override {
        StubServerTest::SetUp();
        for (const char* f : {"program", "source", "published", "home"})
            ASSERT_TRUE(QDir().mkpath(path(f)));
        QString error;
        ASSERT_TRUE(velk::installDownloader(program(), QCoreApplication::applicationDirPath(), &error))
            << error.toStdString();
        files::setProgramFolder(program());
        oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(path("home")));
        form.emplace(nullptr, &closer);
        form->Dir1->setPath(path("source"));
        form->pollInterval = 20;
        form->maxPolls = 1500; // half a minute: a loaded machine may be slow to start the downloader
    }
    void TearDown() override {
        form.reset();
        qputenv("HOME", oldHome);
        files::setProgramFolder(QString());
    }
    QString program() const { return path("program"); }
    void setLocation(const QString& url) {
        writeFile(path("program/DOWNLOAD.INI"), "[Download]\nLocation=" + url.toUtf8() + "\n");
    }
    // An update of one database that needs no backup.
    QByteArray updateArchive() {
        testsupport::writeZip(path("update.zip"), {{"NEWS.MDB", "news"}});
        return readFile(path("update.zip"));
    }
    // Presses Download and lets the window run until the wait has ended.
    std::optional<WaitEnd> download() {
        std::optional<WaitEnd> how;
        const auto connection = QObject::connect(&*form, &VKUPGRD::waitEnded, [&](WaitEnd h) { how = h; });
        form->cmdFtp->click();
        buttonsDuringWait =
            form->Command1->isEnabled() || form->cmdFtp->isEnabled() || form->Command2->isEnabled();
        statusDuringWait = form->Label1->text();
        QDeadlineTimer deadline(60000);
        while (!how && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QObject::disconnect(connection);
        return how;
    }

    Closer closer;
    std::optional<VKUPGRD> form;
    QByteArray oldHome;
    bool buttonsDuringWait = true;
    QString statusDuringWait;
};

} // namespace

TEST_F(UpdateForm, OpensOnTheHomeFolder) {
    VKUPGRD fresh;
    EXPECT_EQ(fresh.Dir1->path(), path("home"));
    EXPECT_EQ(fresh.txtPath->text(), path("home"));
    EXPECT_EQ(fresh.Drive1->drive(), fresh.Drive1->driveOf(path("home")));
    EXPECT_EQ(fresh.windowTitle(), "Load Update");
}

TEST_F(UpdateForm, OkWithoutArchivesSaysWhereItLookedAndStaysOpen) {
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("The VELK*.ZIP file was not found in the directory (" + path("source") +
                     ")  Please select the correct path and try again.",
                 ui::vbOK);
    form->Command1->click();
    EXPECT_EQ(closer.closed, 0) << "the list form stays";
    EXPECT_FALSE(form->upgradeDone());
    EXPECT_TRUE(form->Command1->isEnabled());
}

TEST_F(UpdateForm, ADownloadFromAFolderIsInstalledAndALeftoverSignalDoesNotEndTheWait) {
    writeFile(path("published/UPDATES.TXT"), "VELK1.ZIP\n");
    writeFile(path("published/VELK1.ZIP"), updateArchive());
    setLocation(QUrl::fromLocalFile(path("published")).toString());
    writeFile(path("program/DONE.TXT"), "OK\nfrom an earlier download\n");
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect(kSelectState, ui::vbOK);
    // The install lets timers run while it paints: what they see of the buttons is what a user sees.
    int samples = 0;
    bool buttonsDuringInstall = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!form->installing()) return;
        ++samples;
        buttonsDuringInstall |=
            form->Command1->isEnabled() || form->cmdFtp->isEnabled() || form->Command2->isEnabled();
    });
    sampler.start(0);
    EXPECT_EQ(download(), WaitEnd::Signalled);
    EXPECT_FALSE(buttonsDuringWait) << "OK, Download and CANCEL are off during the wait";
    EXPECT_GT(samples, 0);
    EXPECT_FALSE(buttonsDuringInstall) << "and during the install";
    EXPECT_EQ(statusDuringWait, "Connecting to VELK Server... Please Wait");
    EXPECT_EQ(readFile(path("program/NEWS.MDB")), "news");
    EXPECT_EQ(closer.closed, 1);
    EXPECT_TRUE(form->upgradeDone());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(UpdateForm, AFailedDownloadEndsTheWaitAtOnceWithItsCauseAndInstallsNothing) {
    writeFile(path("source/VELK1.ZIP"), updateArchive()); // would be installed if the wait went on to it
    server.route("/velk/UPDATES.TXT", StubRoute::error(404, "Not Found"));
    const struct {
        const char* what;
        std::function<void()> arrange;
        WaitEnd end;
        QString message; // a part of it
    } cases[] = {
        {"the location not set yet", [] {}, WaitEnd::Signalled, "DOWNLOAD.INI has no Location= line"},
        {"an HTTP error", [&] { setLocation(server.url("/velk/")); }, WaitEnd::Signalled,
         "Cannot download " + server.url("/velk/UPDATES.TXT") + ": the server answered HTTP 404 Not Found."},
        {"no downloader", [&] { QFile::remove(path("program/download1")); }, WaitEnd::FailedToStart,
         "The downloader " + path("program/download1") + " cannot be started: "},
        {"a downloader that leaves no signal",
         [&] { writeFile(path("program/download1"), "#!/bin/sh\nexit 3\n"); }, WaitEnd::EndedSilently,
         "The downloader ended (exit code 3) without saying whether the download succeeded."},
        {"a downloader that never ends",
         [&] { writeFile(path("program/download1"), "#!/bin/sh\nexec sleep 60\n"); }, WaitEnd::TimedOut,
         "The download did not finish in time and was stopped."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        QFile::setPermissions(path("program/download1"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // Only the stalled downloader is to run into the poll limit.
        form->maxPolls = c.end == WaitEnd::TimedOut ? 50 : 1500;
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining(c.message, ui::vbOK);
        EXPECT_EQ(download(), c.end);
        EXPECT_FALSE(QFile::exists(path("program/NEWS.MDB")));
        EXPECT_FALSE(form->waiting());
        EXPECT_TRUE(form->Command1->isEnabled() && form->cmdFtp->isEnabled() && form->Command2->isEnabled());
        EXPECT_EQ(closer.closed, 0);
    }
}

TEST_F(UpdateForm, ClosingTheFormDuringTheWaitStopsTheDownloader) {
    server.route("/velk/UPDATES.TXT", StubRoute::ok("VELK1.ZIP\n"));
    server.route("/velk/VELK1.ZIP", StubRoute::stalled(QByteArray(100000, 'p')));
    setLocation(server.url("/velk/"));
    form->cmdFtp->click();
    QDeadlineTimer deadline(20000);
    while (!server.requests().contains("/velk/VELK1.ZIP") && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(form->waiting());
    form->reject(); // the close box
    EXPECT_FALSE(form->waiting());
    EXPECT_TRUE(form->cancelled());
    EXPECT_TRUE(readFile(path("program/DONE.TXT")).startsWith("FAILED\n")) << "it was told to stop";
    EXPECT_EQ(QDir(path("source")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

TEST(DownloadSignal, TheOutcomeReadFromDoneTxt) {
    const struct {
        QByteArray text;
        bool ok;
        const char* reason;
    } cases[] = {
        {"OK\n1 update archive downloaded.\n", true, "1 update archive downloaded."},
        {"FAILED\nCannot download x: timed out.\n", false, "Cannot download x: timed out."},
        {"FAILED\r\n", false, "The downloader gave no reason."},
        {"", false, "DONE.TXT does not say whether the download succeeded."},
        {"ok\n", false, "DONE.TXT does not say whether the download succeeded."},
    };
    for (const auto& c : cases) {
        const maintenance::DownloadOutcome out = maintenance::readDoneText(c.text);
        EXPECT_EQ(out.ok, c.ok) << c.text.constData();
        EXPECT_EQ(out.reason.toStdString(), c.reason) << c.text.constData();
    }
}
