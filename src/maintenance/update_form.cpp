#include "maintenance/update_form.h"

#include "platform/archive/zip_archive.h"
#include "platform/files/folders.h"
#include "platform/net/download.h"
#include "platform/ui/centre.h"
#include "platform/ui/cursor.h"
#include "platform/ui/events.h"
#include "platform/ui/folder_list.h"
#include "platform/ui/keep_room.h"
#include "platform/ui/msgbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace maintenance {

DownloadOutcome readDoneText(const QByteArray& text) {
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    const QString first = lines.takeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString rest = lines.join(QStringLiteral("\r\n"));
    if (first == QLatin1String("OK")) return {true, rest};
    if (first == QLatin1String("FAILED"))
        return {false, rest.isEmpty() ? QStringLiteral("The downloader gave no reason.") : rest};
    return {false, QStringLiteral("DONE.TXT does not say whether the download succeeded.")};
}

} // namespace maintenance

namespace {

const QString kDoneFile = QStringLiteral("DONE.TXT");
const QString kDownloader = QStringLiteral("download1");
// Painting while archives are read and written, without letting the user act in between.
constexpr int kPaintEveryMs = 100;

QString doneFile() {
    return files::joinPath(files::programFolder(), kDoneFile);
}

} // namespace

VKUPGRD::VKUPGRD(QWidget* parent, maintenance::StateDatabaseUsers* users) : QDialog(parent), users_(users) {
    setWindowTitle(QStringLiteral("Load Update"));
    setModal(true);

    Label2 = new QLabel(QStringLiteral("Select SOURCE drive"), this);
    Drive1 = new ui::DriveList(this);
    Label3 = new QLabel(QStringLiteral("Select SOURCE Directory"), this);
    Dir1 = new ui::FolderList(this);
    Label4 = new QLabel(QStringLiteral("Current Path"), this);
    txtPath = new QLineEdit(this);
    txtPath->setReadOnly(true);
    Label1 = new QLabel(QStringLiteral("Updating... please wait"), this);
    status1 = new QProgressBar(this);
    status2 = new QProgressBar(this);
    for (QProgressBar* bar : {status1, status2}) {
        bar->setRange(0, 1000);
        bar->setValue(0);
        bar->setTextVisible(false);
    }
    // Status and progress show only while something runs; their room stays, so nothing jumps.
    ui::keepRoomWhenHidden({Label1, status1, status2});
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, status1, status2})
        w->setVisible(false);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    cmdFtp = new QPushButton(QStringLiteral("Download"), this);
    Command2 = new QPushButton(QStringLiteral("CANCEL"), this);
    Command1->setDefault(true);

    auto* lists = new QGridLayout;
    lists->addWidget(Label2, 0, 0);
    lists->addWidget(Drive1, 1, 0);
    lists->addWidget(Label3, 2, 0);
    lists->addWidget(Dir1, 3, 0);
    lists->addWidget(Label4, 4, 0);
    lists->addWidget(txtPath, 5, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(cmdFtp);
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(lists, 1);
    top->addLayout(buttons);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top, 1);
    column->addWidget(Label1);
    column->addWidget(status1);
    column->addWidget(status2);
    resize(520, 420);

    connect(Drive1, &ui::DriveList::driveChanged, this, &VKUPGRD::Drive1_Change);
    connect(Dir1, &ui::FolderList::pathChanged, this, &VKUPGRD::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &VKUPGRD::Command1_Click);
    connect(cmdFtp, &QPushButton::clicked, this, &VKUPGRD::cmdFtp_Click);
    connect(Command2, &QPushButton::clicked, this, &VKUPGRD::Command2_Click);
    pollTimer_.setSingleShot(false);
    connect(&pollTimer_, &QTimer::timeout, this, &VKUPGRD::poll);

    Form_Load();
}

VKUPGRD::~VKUPGRD() {
    if (process_) endWait(maintenance::WaitEnd::Stopped);
}

void VKUPGRD::Form_Load() {
    Drive1->setEnabled(true);
    Dir1->setEnabled(true);
    // The home folder; the root when it cannot be listed.
    if (!Dir1->setPath(QDir::homePath())) Dir1->setPath(QStringLiteral("/"));
    ui::centerForm(*this);
}

void VKUPGRD::Drive1_Change() {
    const QString d = Drive1->drive();
    if (Drive1->driveOf(Dir1->path()) == d) return;
    ui::BusyCursor busy;
    if (Dir1->setPath(d)) return;
    ui::setDefaultPointer();
    ui::MsgBox(QStringLiteral("Error Reading Drive ") + d);
    // Back to the drive of the folder shown.
    const QSignalBlocker quiet(Drive1);
    Drive1->setDrive(Dir1->path());
}

void VKUPGRD::Dir1_Change() {
    txtPath->setText(Dir1->path());
    // The drive list follows a move onto another volume.
    const QSignalBlocker quiet(Drive1);
    Drive1->setDrive(Dir1->path());
}

void VKUPGRD::setBusy(bool busy) {
    for (QWidget* w :
         {static_cast<QWidget*>(Command1), static_cast<QWidget*>(cmdFtp), static_cast<QWidget*>(Command2),
          static_cast<QWidget*>(Drive1), static_cast<QWidget*>(Dir1)})
        w->setEnabled(!busy);
}

void VKUPGRD::Command1_Click() {
    if (installing_ || process_) return;
    install(Dir1->path());
}

void VKUPGRD::install(const QString& sourceFolder) {
    const QStringList names = maintenance::findUpdateArchives(sourceFolder);
    if (names.isEmpty()) {
        ui::MsgBox(maintenance::archivesNotFoundMessage(sourceFolder));
        Label1->setVisible(false);
        return;
    }
    QStringList paths;
    for (const QString& name : names)
        paths << files::joinPath(sourceFolder, name);

    installing_ = true;
    setBusy(true);
    Label1->setVisible(true);
    status1->setVisible(true);
    status2->setVisible(true);
    painted_.start();
    const maintenance::InstallReport report =
        maintenance::installArchives(paths, files::programFolder(), *this);
    Label1->setText(QStringLiteral(" "));
    Label1->setVisible(false);
    for (QProgressBar* bar : {status1, status2}) {
        bar->setValue(0);
        bar->setVisible(false);
    }
    installing_ = false;
    setBusy(false);
    Command1->setFocus();

    switch (report.end) {
    case maintenance::InstallEnd::NothingChanged:
        return; // what stopped it has been said; another folder may be tried
    case maintenance::InstallEnd::DatabasesOnly:
        upgradeDone_ = true;
        break;
    case maintenance::InstallEnd::Restart:
        endProgram_ = true;
        break;
    }
    done(QDialog::Accepted);
}

void VKUPGRD::cmdFtp_Click() {
    if (installing_ || process_) return;
    Label1->setText(QStringLiteral("Connecting to VELK Server... Please Wait"));
    Label1->setVisible(true);
    Label1->repaint();

    // A signal left by an earlier run must not end this wait.
    const QString done = doneFile();
    if (QFile::exists(done) && !QFile::remove(done)) {
        Label1->setVisible(false);
        ui::MsgBox(QStringLiteral("The download cannot start: ") + done +
                       QStringLiteral(" is left from an earlier download and cannot be deleted."),
                   ui::vbExclamation);
        return;
    }

    downloadFolder_ = Dir1->path();
    setBusy(true);
    polls_ = 0;
    const QString folder = files::programFolder();
    process_ = new QProcess(this);
    process_->setProgram(files::joinPath(folder, kDownloader));
    process_->setArguments({downloadFolder_});
    process_->setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELK_PROGRAM_FOLDER"), folder); // where its DOWNLOAD.INI is
    process_->setProcessEnvironment(env);
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    QProcess* started = process_;
    // Both are seen at once rather than at the next poll; the wait ends outside the process's own
    // signals, which may come from inside start().
    connect(
        process_, &QProcess::errorOccurred, this,
        [this, started](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart && process_ == started)
                endWait(maintenance::WaitEnd::FailedToStart);
        },
        Qt::QueuedConnection);
    connect(
        process_, &QProcess::finished, this,
        [this, started] {
            if (process_ == started) poll();
        },
        Qt::QueuedConnection);
    pollTimer_.start(pollInterval);
    process_->start();
}

void VKUPGRD::poll() {
    if (!process_) return;
    if (QFile::exists(doneFile())) {
        endWait(maintenance::WaitEnd::Signalled);
    } else if (process_->state() == QProcess::NotRunning) {
        endWait(process_->error() == QProcess::FailedToStart ? maintenance::WaitEnd::FailedToStart
                                                             : maintenance::WaitEnd::EndedSilently);
    } else if (++polls_ >= maxPolls) {
        endWait(maintenance::WaitEnd::TimedOut);
    }
}

void VKUPGRD::endWait(maintenance::WaitEnd how) {
    using maintenance::WaitEnd;
    pollTimer_.stop();
    QProcess* process = process_;
    process_ = nullptr;
    if (!process) return;
    process->disconnect(this);
    const QString program = process->program();
    const QString startError = process->errorString();
    if (process->state() != QProcess::NotRunning) {
        // It writes its FAILED signal and cleans up on SIGTERM.
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
    const int exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    process->deleteLater();

    Label1->setVisible(false);
    setBusy(false);
    cmdFtp->setFocus(); // the disabled button had lost it
    switch (how) {
    case WaitEnd::Signalled: {
        QFile signal(doneFile());
        const maintenance::DownloadOutcome outcome = maintenance::readDoneText(
            signal.open(QIODevice::ReadOnly) ? signal.readAll()
                                             : QByteArray("FAILED\n" + signal.errorString().toUtf8()));
        if (outcome.ok) {
            Label1->setText(QStringLiteral("Done"));
            Label1->setVisible(true);
            Label1->repaint();
            emit waitEnded(how);
            install(downloadFolder_);
            return;
        }
        ui::MsgBox(QStringLiteral("The update could not be downloaded.\r\n\r\n") + outcome.reason,
                   ui::vbExclamation);
        break;
    }
    case WaitEnd::FailedToStart:
        ui::MsgBox(QStringLiteral("The downloader ") + program + QStringLiteral(" cannot be started: ") +
                       startError,
                   ui::vbExclamation);
        break;
    case WaitEnd::EndedSilently:
        ui::MsgBox(QStringLiteral("The downloader ended (exit code %1) without saying whether the download "
                                  "succeeded.  Nothing was installed.")
                       .arg(exitCode),
                   ui::vbExclamation);
        break;
    case WaitEnd::TimedOut:
        ui::MsgBox(
            QStringLiteral("The download did not finish in time and was stopped.  Nothing was installed."),
            ui::vbExclamation);
        break;
    case WaitEnd::Stopped:
        break;
    }
    emit waitEnded(how);
}

void VKUPGRD::Command2_Click() {
    if (installing_ || process_) return;
    cancelled_ = true;
    QDialog::reject();
}

void VKUPGRD::reject() {
    if (installing_) return;
    if (process_) endWait(maintenance::WaitEnd::Stopped);
    cancelled_ = true;
    QDialog::reject();
}

void VKUPGRD::status(const QString& text) {
    // Each status starts a step of its own; the bars must not show the last step's end.
    status1->setValue(0);
    status2->setValue(0);
    Label1->setText(text);
    Label1->repaint();
}

void VKUPGRD::progress(const archive::Progress& p) {
    status1->setValue(p.entrySize > 0 ? int(p.entryDone * 1000 / p.entrySize) : 1000);
    status2->setValue(p.totalSize > 0 ? int(p.totalDone * 1000 / p.totalSize) : 1000);
    if (painted_.elapsed() >= kPaintEveryMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        painted_.restart();
    }
}

void VKUPGRD::doEvents() {
    ui::doEvents();
}

void VKUPGRD::closeListForm() {
    if (users_) users_->releaseStateDatabase();
}
