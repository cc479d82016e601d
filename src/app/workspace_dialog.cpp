#include "app/workspace_dialog.h"

#include "app/form_helpers.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/subsystem_forms.h"
#include "app/workspace_rules.h"
#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "maintenance/backup_database.h"
#include "maintenance/restore_marker.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <exception>

namespace {

const QString kSelectWorkspace = QStringLiteral("Select Workspace");
const QString kCannotCreate = QStringLiteral("Could not create workspace or save settings!");
const QString kCannotRemove = QStringLiteral("Could not remove workspace!");

template <typename W> W* place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(ui::twipsToPixels(QRect(left, top, width, height)));
    return widget;
}

} // namespace

VKWSPACE::VKWSPACE(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("VELK"));
    setModal(true);
    setFixedSize(ui::twipsToPixels(QSize(6600, 4400)));

    Label1 = place(new QLabel(QStringLiteral("Workspace"), this), 480, 1320, 975, 285);
    WORKSPACE = place(new QComboBox(this), 1560, 1320, 1215, 315);
    WORKSPACE->setEditable(true);
    WORKSPACE->setInsertPolicy(QComboBox::NoInsert);
    Label2 = place(new QLabel(QStringLiteral("State"), this), 3000, 1320, 615, 285);
    STATE = place(new QComboBox(this), 3720, 1320, 735, 315);
    STATE->addItems(dataset::codes());
    STATE->setCurrentIndex(-1);
    OK = place(new QPushButton(QStringLiteral("OK"), this), 4920, 2040, 1212, 372);
    cmdExit = place(new QPushButton(QStringLiteral("E&xit"), this), 4920, 2520, 1215, 375);
    DELETE = place(new QPushButton(QStringLiteral("Delete"), this), 4920, 3000, 1212, 372);
    Command1 = place(new QPushButton(QStringLiteral("Help"), this), 4920, 3480, 1212, 372);
    OK->setDefault(true);

    connect(OK, &QPushButton::clicked, this, &VKWSPACE::OK_Click);
    connect(DELETE, &QPushButton::clicked, this, &VKWSPACE::DELETE_Click);
    connect(Command1, &QPushButton::clicked, this, &VKWSPACE::Command1_Click);
    connect(cmdExit, &QPushButton::clicked, this, &VKWSPACE::cmdExit_Click);

    Form_Load();
}

VKWSPACE::~VKWSPACE() = default;

QString VKWSPACE::programFolder() {
    return files::programFolder();
}

int VKWSPACE::showModal() {
    velk::WorkspaceChosen = false;
    Form_Activate();
    return ui::showModal(*this);
}

void VKWSPACE::Form_Load() {
    velk::CenterForm(*this);
    if (dataset::isEmptyText(STATE->currentText())) STATE->setCurrentText(QStringLiteral("PA"));
    if (WORKSPACE->currentText().isEmpty()) WORKSPACE->setEditText(QStringLiteral("INITIAL"));
}

void VKWSPACE::Form_Activate() {
    ui::setDefaultPointer();
    const QString folder = programFolder();
    if (!files::existsNoCase(folder, QStringLiteral("INITIAL")))
        QDir(folder).mkdir(QStringLiteral("INITIAL"));

    // Listed afresh on each showing, so a dialog shown twice lists each workspace once.
    const QString typed = WORKSPACE->currentText();
    WORKSPACE->clear();
    WORKSPACE->addItems(velk::listWorkspaces(folder));
    WORKSPACE->setEditText(typed);

    if (const auto choice = velk::readIni(velk::iniPath(velk::GetTempDir()))) {
        if (WORKSPACE->findText(choice->workspace, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            WORKSPACE->setEditText(choice->workspace);
        if (STATE->findText(choice->state, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            STATE->setCurrentText(choice->state);
    }
    OK->setFocus();
}

bool VKWSPACE::WorkspaceInList() const {
    return WORKSPACE->findText(WORKSPACE->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
}

void VKWSPACE::OK_Click() {
    using namespace ui;
    if (dataset::isEmptyText(STATE->currentText())) STATE->setCurrentText(QStringLiteral("PA"));
    dataset::DataSet chosen;
    chosen.code = STATE->currentText();
    const QString folder = programFolder();

    // The connect string first, so a pending restore opens the state database with this data
    // set's password. Without it the data set cannot be opened: the settings database is named
    // with the real cause, and the dialog stays for another choice, Exit, or an update. The data
    // set in use changes only once nothing can refuse the choice any more.
    try {
        chosen.connect = dataset::connectFromSetup(folder, chosen.code);
    } catch (const dao::DaoError& e) {
        MsgBox(e.message(), vbExclamation);
        return;
    }
    velk::WorkspaceChosen = false;

    // A restore left pending by an update. The marker goes only when the restore succeeded, so a
    // failed one is tried again at the next acceptance.
    if (maintenance::restorePending(folder, chosen.code)) {
        const QString backup = files::findFileNoCase(folder, maintenance::backupDatabaseName(chosen.code));
        try {
            velk::subsystemForms().restorePendingBackup(
                files::joinPath(folder, dataset::stateDatabaseName(chosen.code)), backup, chosen);
            if (!maintenance::clearRestoreMarker(folder, chosen.code))
                MsgBox(
                    QStringLiteral("The user notes and fields were restored from ") + backup +
                        QStringLiteral(", but ") + maintenance::restoreMarkerName(chosen.code) +
                        QStringLiteral(" cannot be removed.  Remove it before this state is selected again, "
                                       "or the restore will run again over later changes."),
                    vbExclamation);
        } catch (const std::exception& e) {
            const auto* daoError = dynamic_cast<const dao::DaoError*>(&e);
            MsgBox(
                QStringLiteral("The user notes and fields saved in ") + backup +
                    QStringLiteral(" could not be restored: ") +
                    (daoError ? daoError->message() : QString::fromLocal8Bit(e.what())) +
                    QStringLiteral(
                        "\r\nThe restore will be tried again the next time this state is selected; notes and "
                        "fields written meanwhile are kept."),
                vbExclamation);
        }
    }

    if (WORKSPACE->currentText().isEmpty()) WORKSPACE->setEditText(QStringLiteral("INITIAL"));
    const QString name = WORKSPACE->currentText();
    if (const QString problem = velk::workspaceNameProblem(name); !problem.isEmpty()) {
        MsgBox(problem, vbExclamation, kSelectWorkspace);
        return;
    }
    if (!WorkspaceInList()) {
        if (MsgBox(QStringLiteral("Create new workspace called ") + name + QStringLiteral("?"),
                   vbYesNo + vbExclamation + vbDefaultButton2, kSelectWorkspace) != vbYes)
            return;
        // A folder differing only in letter case counts as existing, as on the original's file system.
        if (files::existsNoCase(folder, name) || !QDir(folder).mkdir(name)) {
            MsgBox(kCannotCreate);
            return;
        }
    }

    if (const QString temp = velk::GetTempDir(); !temp.isEmpty()) {
        // The choice stands even when it cannot be remembered: asking again would ask forever.
        QString error;
        if (!velk::writeIni(velk::iniPath(temp), {name, STATE->currentText()}, &error))
            MsgBox(error +
                       QStringLiteral("\r\nThe workspace and state chosen are used now, but the next start "
                                      "will not offer them."),
                   vbExclamation);
    }

    dataset::setCurrent(chosen);
    velk::WorkspaceChosen = true;
    accept();
}

void VKWSPACE::DELETE_Click() {
    using namespace ui;
    const QString name = WORKSPACE->currentText();
    if (name.isEmpty()) {
        MsgBox(kCannotRemove);
        return;
    }
    if (!WorkspaceInList()) {
        MsgBox(QStringLiteral("Workspace ") + name + QStringLiteral(" does not exist!"));
        return;
    }
    if (const QString problem = velk::workspaceNameProblem(name); !problem.isEmpty()) {
        MsgBox(problem, vbExclamation, kSelectWorkspace);
        return;
    }
    const QString path = files::joinPath(programFolder(), name);
    QString question = QStringLiteral("Delete workspace ") + name + QStringLiteral("?");
    if (velk::hasSavedSearches(path)) question += QStringLiteral("\r\nThere are searches in this workspace!");
    if (MsgBox(question, vbYesNo + vbExclamation + vbDefaultButton2, kSelectWorkspace) != vbYes) return;
    if (!velk::deleteWorkspaceFolder(path)) {
        MsgBox(kCannotRemove);
        return;
    }
    WORKSPACE->removeItem(WORKSPACE->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
    WORKSPACE->setEditText(name); // removing the item leaves the typed text as it was
}

void VKWSPACE::Command1_Click() {
    ui::BusyCursor busy;
    ui::showHelp(files::joinPath(programFolder(), QStringLiteral("VELK.HLP")), ui::kHelpContents);
}

void VKWSPACE::cmdExit_Click() {
    if (MASTER* master = MASTER::instance())
        master->SubExit();
    else
        reject();
}
