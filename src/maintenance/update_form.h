// VKUPGRD, the update form "Load Update": installs the update archives of a chosen folder (OK), or
// first has the downloader fetch them into it (Download). The main window shows it modally and
// reads afterwards whether only databases were replaced or the program is to end.
#pragma once

#include "maintenance/archive_installer.h"
#include "maintenance/state_database_users.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

class QLabel;
class QLineEdit;
class QProcess;
class QProgressBar;
class QPushButton;

namespace ui {
class DriveList;
class FolderList;
} // namespace ui

namespace maintenance {

// How a download wait ended.
enum class WaitEnd {
    Signalled,     // DONE.TXT appeared
    FailedToStart, // the downloader could not be started
    EndedSilently, // the downloader ended without writing DONE.TXT
    TimedOut,      // no DONE.TXT after the last poll
    Stopped,       // the form was closed during the wait
};

// The downloader's outcome from the text of DONE.TXT: "OK" on the first line, or the reason it
// failed (the lines after "FAILED", or the text itself when it says neither).
struct DownloadOutcome {
    bool ok = false;
    QString reason;
};
DownloadOutcome readDoneText(const QByteArray& text);

} // namespace maintenance

class VKUPGRD : public QDialog, private maintenance::InstallHost {
    Q_OBJECT
public:
    // users let go of the state database before an install replaces databases; they are not
    // resumed by the form (the caller does that when nothing was installed).
    explicit VKUPGRD(QWidget* parent = nullptr, maintenance::StateDatabaseUsers* users = nullptr);
    ~VKUPGRD() override;

    QLabel* Label2 = nullptr;
    ui::DriveList* Drive1 = nullptr; // the mounted volumes
    QLabel* Label3 = nullptr;
    ui::FolderList* Dir1 = nullptr; // the source folder; the installer reads its path
    QLabel* Label4 = nullptr;
    QLineEdit* txtPath = nullptr;
    QLabel* Label1 = nullptr;        // status line
    QPushButton* Command1 = nullptr; // OK
    QPushButton* cmdFtp = nullptr;   // Download
    QPushButton* Command2 = nullptr; // CANCEL
    QProgressBar* status1 = nullptr; // the entry being written
    QProgressBar* status2 = nullptr; // the archive as a whole

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void cmdFtp_Click();
    void Command2_Click();

    // After the form has gone: only databases were replaced (the workspace dialog follows).
    bool upgradeDone() const { return upgradeDone_; }
    // After the form has gone: the install replaced program files or broke off; the program ends.
    bool endProgram() const { return endProgram_; }
    bool cancelled() const { return cancelled_; }

    bool waiting() const { return process_ != nullptr; }
    bool installing() const { return installing_; }
    // The wait's poll: its interval and the polls before it gives up (tests shorten them).
    int pollInterval = 1000;
    int maxPolls = 360;

    // The close box and Escape: ignored while an install runs; during a download wait they stop
    // the downloader and close the form.
    void reject() override;

signals:
    void waitEnded(maintenance::WaitEnd how);

private:
    void install(const QString& sourceFolder);
    void poll();
    void endWait(maintenance::WaitEnd how);
    void setBusy(bool busy);

    void status(const QString& text) override;
    void progress(const archive::Progress& p) override;
    void doEvents() override;
    void closeListForm() override;

    maintenance::StateDatabaseUsers* users_ = nullptr;
    QProcess* process_ = nullptr;
    QTimer pollTimer_;
    int polls_ = 0;
    QString downloadFolder_;
    QElapsedTimer painted_;
    bool installing_ = false;
    bool upgradeDone_ = false;
    bool endProgram_ = false;
    bool cancelled_ = false;
};
