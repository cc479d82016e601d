#include "maintenance/notes_backup_form.h"

#include "dataset/data_set.h"
#include "maintenance/backup_database.h"
#include "maintenance/state_database_users.h"
#include "maintenance/user_data.h"
#include "platform/dao/dao.h"
#include "platform/files/atomic_file.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/cursor.h"
#include "platform/ui/folder_list.h"
#include "platform/ui/keep_room.h"
#include "platform/ui/msgbox.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <exception>

namespace maintenance {

QString backupPathIn(const QString& folder, const QString& stateCode) {
    const QString name = backupDatabaseName(stateCode);
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace maintenance

namespace {

const char* const kCopyCaption = "Copy Backup File To Another Drive or Directory";
const char* const kRestoreCaption = "Restore Backup File From Another Drive or Directory";
const char* const kMergeCaption = "Merge Backup File From Another Drive or Directory";

QString reasonOf(const std::exception& e) {
    if (const auto* d = dynamic_cast<const dao::DaoError*>(&e)) return d->message();
    return QString::fromLocal8Bit(e.what());
}

// Copies the finished backup to target (of any letter case there) under a temporary name, then
// renames it into place; error says why not.
bool copyBackup(const QString& from, const QString& to, QString* error) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    const QByteArray contents = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        *error = source.errorString();
        return false;
    }
    const QFileInfo fi(to);
    return files::atomicWrite(files::findFileNoCase(fi.path(), fi.fileName()), contents, error);
}

} // namespace

VKNOTES::VKNOTES(QWidget* parent, maintenance::StateDatabaseUsers* users) : QDialog(parent), users_(users) {
    setWindowTitle(QStringLiteral("Backup and Restore User Notes and Data"));

    SSFrame1 = new QFrame(this);
    SSFrame1->setFrameShape(QFrame::StyledPanel);
    Option1 = new QRadioButton(QStringLiteral("Backup User Notes and Data"), SSFrame1);
    Option2 = new QRadioButton(QStringLiteral("Restore User Notes and Data From Backup"), SSFrame1);
    auto* options = new QVBoxLayout(SSFrame1);
    options->addWidget(Option1);
    options->addWidget(Option2);
    Option3 = new QRadioButton(QStringLiteral("Merge User Notes and Data From Backup"), this);
    // The three do not share a container, so the form keeps them exclusive itself.
    for (QRadioButton* o : {Option1, Option2, Option3})
        o->setAutoExclusive(false);

    Frame1 = new QGroupBox(QStringLiteral("Optional"), this);
    Check1 = new QCheckBox(Frame1);
    Label1 = new QLabel(Frame1);
    Drive1 = new ui::DriveList(Frame1);
    Dir1 = new ui::FolderList(Frame1);
    lblPath = new QLabel(QStringLiteral("Current Path"), Frame1);
    txtPath = new QLineEdit(Frame1);
    txtPath->setReadOnly(true);
    connect(Dir1, &ui::FolderList::pathChanged, this, &VKNOTES::Dir1_Change);
    auto* optional = new QVBoxLayout(Frame1);
    optional->addWidget(Check1);
    optional->addWidget(Label1);
    optional->addWidget(Drive1);
    optional->addWidget(Dir1, 1);
    optional->addWidget(lblPath);
    optional->addWidget(txtPath);
    // The lists come and go with the check box; their room stays, so the box does not jump away
    // from the mouse that ticked it.
    ui::keepRoomWhenHidden({Label1, Drive1, Dir1, lblPath, txtPath});
    // As wide as the longest caption any option gives it, so OK and Cancel stay where they are.
    const QFontMetrics metrics = Check1->fontMetrics();
    int widest = 0;
    for (const char* caption : {kCopyCaption, kRestoreCaption, kMergeCaption})
        widest = qMax(widest, metrics.horizontalAdvance(QLatin1String(caption)));
    Check1->setMinimumWidth(widest + Check1->sizeHint().width() - metrics.horizontalAdvance(Check1->text()));

    OK = new QPushButton(QStringLiteral("OK"), this);
    CANCEL = new QPushButton(QStringLiteral("Cancel"), this);
    OK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OK);
    buttons->addWidget(CANCEL);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSFrame1);
    // Outside the frame, but lined up with the two options inside it.
    auto* merge = new QHBoxLayout;
    merge->setContentsMargins(SSFrame1->frameWidth() + options->contentsMargins().left(), 0, 0, 0);
    merge->addWidget(Option3);
    layout->addLayout(merge);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    connect(Option1, &QRadioButton::clicked, this, &VKNOTES::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &VKNOTES::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &VKNOTES::Option3_Click);
    connect(Check1, &QCheckBox::clicked, this, &VKNOTES::Check1_Click);
    connect(Drive1, &ui::DriveList::driveChanged, this, &VKNOTES::Drive1_Change);
    connect(OK, &QPushButton::clicked, this, &VKNOTES::OK_Click);
    connect(CANCEL, &QPushButton::clicked, this, &VKNOTES::CANCEL_Click);

    Option1->setChecked(true);
    // The lists open on the home folder, the drive a user keeps files on.
    if (!Dir1->setPath(QDir::homePath())) Dir1->setPath(files::programFolder());
    Form_Load();
}

VKNOTES::~VKNOTES() = default;

void VKNOTES::Form_Load() {
    Dir1->setPath(Drive1->drive()); // an unreadable drive leaves the folder shown
    UpdateNotesOptionControls();
    adjustSize();
    // The whole title shows in the window's title bar.
    resize(qMax(width(), ui::titleBarWidth(windowTitle())), height());
    ui::centerForm(*this);
}

void VKNOTES::UpdateNotesOptionControls() {
    if (Option1->isChecked()) {
        Check1->setText(QLatin1String(kCopyCaption));
        Label1->setText(QStringLiteral("Copy To:"));
    } else if (Option2->isChecked()) {
        Check1->setText(QLatin1String(kRestoreCaption));
        Label1->setText(QStringLiteral("Restore From:"));
    } else if (Option3->isChecked()) {
        Check1->setText(QLatin1String(kMergeCaption));
        Label1->setText(QStringLiteral("Merge From:"));
    }
    const bool other = Check1->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{Drive1, Dir1, lblPath, txtPath}) {
        w->setEnabled(other);
        w->setVisible(other);
    }
    Label1->setVisible(other);
}

void VKNOTES::Dir1_Change() {
    txtPath->setText(Dir1->path());
    // The drive list follows a move onto another drive.
    const QSignalBlocker quiet(Drive1);
    Drive1->setDrive(Dir1->path());
}

void VKNOTES::choose(QRadioButton* option) {
    for (QRadioButton* o : {Option1, Option2, Option3})
        o->setChecked(o == option);
    UpdateNotesOptionControls();
}

void VKNOTES::Option1_Click() {
    choose(Option1);
}

void VKNOTES::Option2_Click() {
    choose(Option2);
}

void VKNOTES::Option3_Click() {
    choose(Option3);
}

void VKNOTES::Check1_Click() {
    UpdateNotesOptionControls();
}

void VKNOTES::Drive1_Change() {
    const QString d = Drive1->drive();
    bool read = false;
    {
        ui::BusyCursor busy;
        read = Dir1->setPath(d);
    }
    if (read) return;
    ui::MsgBox(QStringLiteral("Error Reading Drive ") + d, ui::vbOKOnly);
    Drive1->setDrive(Dir1->path()); // back to the folder list's drive, whose root it then shows
}

void VKNOTES::OK_Click() {
    const QString st = dataset::current().code;
    const QString statePath = files::joinPath(files::programFolder(), dataset::stateDatabaseName(st));
    const QString localPath = maintenance::backupPathIn(files::programFolder(), st);
    const QString chosenPath = Check1->isChecked() ? maintenance::backupPathIn(Dir1->path(), st) : localPath;

    bool finished = true;
    if (Option1->isChecked())
        finished = backUp(statePath, localPath, chosenPath);
    else if (Option2->isChecked())
        finished = bringBack(Action::Restore, statePath, chosenPath);
    else if (Option3->isChecked())
        finished = bringBack(Action::Merge, statePath, chosenPath);
    ui::setDefaultPointer();
    if (finished) done(QDialog::Accepted);
}

bool VKNOTES::backUp(const QString& statePath, const QString& localPath, const QString& chosenPath) {
    if (ui::MsgBox(QStringLiteral("Backup User Data and Notes to ") + chosenPath + QStringLiteral("?"),
                   ui::vbYesNo, QStringLiteral("Backup User Notes & Data")) != ui::vbYes)
        return true;
    const dataset::DataSet& set = dataset::current();
    try {
        // Over a backup an update left waiting, what it holds is kept beside what was written since.
        maintenance::BackupUserData(statePath, localPath, set.code, set.connect,
                                    maintenance::earlierBackupIn(files::programFolder(), set.code));
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("The user notes and fields were not backed up.  ") + reasonOf(e),
                   ui::vbOKOnly | ui::vbExclamation);
        return false;
    }
    if (!Check1->isChecked() || chosenPath == localPath) return true;

    const QFileInfo local(localPath);
    const QString source = files::findFileNoCase(local.path(), local.fileName());
    const QFileInfo chosen(chosenPath);
    if (files::sameFile(source, files::findFileNoCase(chosen.path(), chosen.fileName()))) {
        // The chosen folder is the program folder spelled otherwise: the backup is already there.
        ui::MsgBox(QStringLiteral("The backup is already in ") + chosen.path() +
                       QStringLiteral(": that is the folder it was written to.  Nothing was copied."),
                   ui::vbOKOnly);
        return true;
    }
    QString error;
    if (!copyBackup(source, chosenPath, &error)) {
        ui::setDefaultPointer();
        ui::MsgBox(QStringLiteral("Error copying file!  Make sure path is correct!"), ui::vbOKOnly);
        return false;
    }
    ui::MsgBox(QStringLiteral("Backup copied to ") + chosenPath, ui::vbOKOnly);
    return true;
}

bool VKNOTES::bringBack(Action action, const QString& statePath, const QString& chosenPath) {
    const QFileInfo chosen(chosenPath);
    if (!files::existsNoCase(chosen.path(), chosen.fileName())) {
        ui::MsgBox(chosenPath +
                       QStringLiteral(" file was not found.  Please select the correct path and try again."),
                   ui::vbOKOnly);
        return false;
    }
    const bool merge = action == Action::Merge;
    const QString verb = merge ? QStringLiteral("Merge") : QStringLiteral("Restore");
    if (ui::MsgBox(verb + QStringLiteral(" User Data and Notes from ") + chosenPath + QStringLiteral("?"),
                   ui::vbYesNo, verb + QStringLiteral(" User Notes & Data")) != ui::vbYes)
        return true;
    const dataset::DataSet& set = dataset::current();
    // The list form's open searches would keep the writes from being committed.
    struct Released {
        maintenance::StateDatabaseUsers* users;
        explicit Released(maintenance::StateDatabaseUsers* u) : users(u) {
            if (users) users->releaseStateDatabase();
        }
        ~Released() {
            if (users) users->resumeStateDatabase();
        }
    };
    try {
        Released released(users_);
        if (merge)
            maintenance::MergeUserData(statePath, chosenPath, set.code, set.connect);
        else
            maintenance::RestoreUserData(statePath, chosenPath, set.code, set.connect);
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("The user notes and fields were not %1; nothing was changed.  ")
                           .arg(merge ? QStringLiteral("merged") : QStringLiteral("restored")) +
                       reasonOf(e),
                   ui::vbOKOnly | ui::vbExclamation);
        return false;
    }
    ui::MsgBox(merge ? QStringLiteral("User Notes and Fields Merged!")
                     : QStringLiteral("User Notes and Fields Restored!"),
               ui::vbOKOnly | ui::vbInformation,
               merge ? QStringLiteral("Merge Complete") : QStringLiteral("Restore Complete"));
    return true;
}

void VKNOTES::CANCEL_Click() {
    done(QDialog::Rejected);
}
