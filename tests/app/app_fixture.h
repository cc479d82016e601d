// A complete program folder in a temporary folder, a private temporary folder for VELK.INI, and
// the module globals reset, for tests of the start-up, the main window and the workspace dialog.
#pragma once

#include "app/form_helpers.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/splash_form.h"
#include "app/subsystem_forms.h"
#include "app/workspace_dialog.h"
#include "dataset/data_set.h"
#include "folder_setup/program_folder.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "support/temp_dir.h"

#include <QComboBox>
#include <QPushButton>

using testsupport::readFile;
using testsupport::writeFile;

// Subsystem forms that run what a test gives them, and say "not installed" as the program does
// where a test gives nothing.
class FakeForms : public velk::SubsystemForms {
public:
    std::function<void(bool modal)> printSearch, printManual, notes;
    std::function<void()> upgrade;
    std::function<void(const QString& main, const QString& backup, const dataset::DataSet& set)> restore;

    void showPrintSearch() override { printSearch ? printSearch(true) : SubsystemForms::showPrintSearch(); }
    void showPrintManual() override { printManual ? printManual(true) : SubsystemForms::showPrintManual(); }
    void showNotes(bool modal) override { notes ? notes(modal) : SubsystemForms::showNotes(modal); }
    void showUpgrade() override { upgrade ? upgrade() : SubsystemForms::showUpgrade(); }
    void restorePendingBackup(const QString& main, const QString& backup,
                              const dataset::DataSet& set) override {
        restore ? restore(main, backup, set) : SubsystemForms::restorePendingBackup(main, backup, set);
    }
};

class AppTest : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        programDir = path("VELK");
        stateDir = path("state");
        QString error;
        ASSERT_EQ(velk::createProgramFolder(programDir, false, &error), velk::SetupOutcome::Created)
            << error.toStdString();
        files::setProgramFolder(programDir);
        files::setTempDirOverride(stateDir);
        ASSERT_FALSE(files::GetTempDir().isEmpty()); // creates the private folder
        previousCwd = QDir::currentPath();
        QDir::setCurrent(programDir);
        dataset::setCurrent({QStringLiteral("PA"), QString()});
        velk::WorkspaceChosen = false;
        velk::UpgradeDone = false;
        velk::LoadCancelled = false;
        velk::setSubsystemForms(&forms);
    }

    void TearDown() override {
        velk::unloadAllForms();
        velk::setSubsystemForms(nullptr);
        ui::setDefaultPointer();
        QDir::setCurrent(previousCwd);
        files::setProgramFolder(QString());
        files::setTempDirOverride(QString());
    }

    // Loads the splash, which runs the whole start-up; modal scripts drive the dialogs it shows.
    static StartOutcome startFromSplash() { return TITLE::load().Form_Load(); }
    QString programFile(const QString& name) const { return programDir + QLatin1Char('/') + name; }
    QString iniFile() const { return stateDir + QStringLiteral("/VELK.INI"); }
    // Makes the settings database give data set st a password its database does not have.
    void giveWrongPassword(const QString& st) {
        auto index = dao::Database::open(programFile(QStringLiteral("VELKI.MDB")), false, false,
                                         dataset::indexDbConnect());
        index->executeBound(QStringLiteral("UPDATE Setup SET pwd = ';PWD=wrong' WHERE STATE = ?"), {st});
    }

    FakeForms forms;
    QString programDir;
    QString stateDir;
    QString previousCwd;
};

// Drivers for the workspace dialog.
inline int chooseInDialog(VKWSPACE& d, const QString& workspace, const QString& state) {
    d.WORKSPACE->setEditText(workspace);
    d.STATE->setCurrentText(state);
    d.OK->click();
    return d.result();
}
inline auto choose(const QString& workspace, const QString& state) {
    return [=](VKWSPACE& d) { return chooseInDialog(d, workspace, state); };
}
inline int closeDialog(VKWSPACE& d) {
    d.reject();
    return d.result();
}
inline int exitInDialog(VKWSPACE& d) {
    d.cmdExit->click();
    return d.result();
}
