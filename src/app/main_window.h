// MASTER, the main window: an MDI window holding the list form, with the menu bar and the ten
// ribbon buttons. Its load runs the whole start-up (workspace choice, state database, hand-over to
// the list).
#pragma once

#include "maintenance/state_database_users.h"
#include "platform/locks/database_use.h"
#include "platform/ui/form_slot.h"
#include "results/command_surface.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class VKLIST;
class VKWSPACE;

namespace dao {
class Database;
}

// How the start-up ended: the main window is up, the program ended quietly (no choice and no
// update, or a completed data load), or an error was reported and the program must end.
enum class StartOutcome { Running, Ended, Failed };

class MASTER : public QMainWindow, public results::CommandSurface, public maintenance::StateDatabaseUsers {
    Q_OBJECT
public:
    explicit MASTER(QWidget* parent = nullptr);
    ~MASTER() override;

    // The one main window, or nullptr when none is loaded.
    static MASTER* instance();

    // The start-up sequence. Errors other than the ones it reports itself propagate to the caller
    // (the splash), which reports them.
    StartOutcome MDIForm_Load();

    // Folders recorded at start-up.
    QString StartPath;   // the program folder (files::programFolder()) with one trailing "/"
    QString CURPATH;     // the program folder without it
    QString MyDocuments; // Documents folder (or the home folder), no trailing "/"

    QLabel* lblProgram = nullptr; // program version
    QLabel* lblVersion = nullptr; // data version, written by the list form

    QFrame* SSPanel1 = nullptr;               // the bar holding the ribbon buttons
    std::array<QToolButton*, 10> SSRibbon1{}; // checkable: "pressed" while a click is handled
    QMdiArea* mdiArea = nullptr;

    // Open only between the workspace choice and the hand-over (the data load works on it).
    std::unique_ptr<dao::Database> StateDb;
    long LoadTotal = 0; // running total of the batched loaders

    // Menus (captions as shown) and their items.
    QMenu* dummyFile = nullptr;
    QMenu* dummySearch = nullptr;
    QMenu* dummyUpdate = nullptr;
    QMenu* dummyHelp = nullptr;
    QAction* mnuNewState = nullptr;
    QAction* mnuBackup = nullptr;
    QAction* mnuPrinter = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuNewSearch = nullptr;
    QAction* mnuEditSearch = nullptr;
    QAction* mnuPrintSearch = nullptr;
    QAction* mnuExport = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuPrintManual = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuVersion = nullptr;
    QAction* mnuSQLcopy = nullptr; // checkable; read by the search SQL building

    // Commands shared by menus and ribbon.
    void SubExit();
    void SubHelp();
    void SubUpgrade();
    void SubProcessNotes();
    void SubChangeState();
    void SubPrintSearch();
    void SubExport();
    void SubPrintManual();
    QString GetSpecialFolderPath(int CSIDL);

    // Handlers.
    void SSRibbon1_Click(int Index);
    void mnuNewState_Click();
    void mnuBackup_Click();
    void mnuPrinter_Click();
    void mnuExit_Click();
    void mnuNewSearch_Click();
    void mnuEditSearch_Click();
    void mnuPrintSearch_Click();
    void mnuExport_Click();
    void mnuUpdate_Click();
    void mnuHelp_Click();
    void mnuPrintManual_Click();
    void mnuAbout_Click();
    void mnuVersion_Click();

    // What the list form keeps up to date. applyCommandAvailability enables and disables the ribbon
    // buttons and the Search and Update items as the list form's state allows; the File and Help
    // menus are not touched.
    bool acceptsCommands() const override { return isEnabled(); }
    void applyCommandAvailability(const results::CommandAvailability& availability) override;
    void enableSearchCommands() override;
    void setDataVersion(const QString& text) override;
    bool copySqlMarked() const override;

    // While user data are written into the state database the list form is unloaded, then loaded
    // again on the same workspace, data set and tab, so that it shows what was written.
    void releaseStateDatabase() override;
    void resumeStateDatabase() noexcept override;

    // Forms owned by the main window.
    VKLIST* listForm() const; // nullptr when not loaded
    // Creates the list form and runs its load (throws dao::DaoError when it cannot open the data set).
    VKLIST& loadListForm();
    // Shows the loaded list form as the main window's child (the main window with it).
    void showListForm();
    void unloadListForm();
    VKWSPACE& workspaceDialog(); // loaded on first use
    VKWSPACE* loadedWorkspaceDialog() const;
    void unloadWorkspaceDialog();

    // The workspace loop shared by the start-up and the change of workspace: shows the dialog until
    // a workspace is chosen (true), offering the update form when the dialog is closed without one.
    // False when the program is to end (update not done, or Exit).
    bool chooseWorkspace();
    // Loads the list form for the dialog's choice, sets the caption, unloads the dialog and sorts
    // the list by company name. Throws dao::DaoError when the list form cannot be loaded.
    void handOverToList();
    // Loads the list form for workspace and state and sets the caption (throws as loadListForm).
    VKLIST& openListForm(const QString& workspace, const QString& state);

    // Marks the chosen data set's database as in use by this copy while it is open here, so that an
    // update in another copy does not replace it meanwhile. Throws dao::DaoError when such an update
    // is replacing it right now.
    void claimDatabase(const QString& databasePath);
    // Takes the claim again in the lock file now at its path when the one it was taken in has been
    // removed or replaced: a claim there keeps no update out. Run every second.
    void keepDatabaseClaim();

    // Unloads every form and ends the program with code (leaves the event loop when it runs).
    void endProgram(int code = 0);
    bool programEnded() const { return ended_; }
    int exitCode() const { return exitCode_; }

    // Geometry of the ribbon (twips), by the layout rule; button0 is button 0's designed place.
    static constexpr int kRibbonButtonTwips = 1000;
    static constexpr int kPanelExtraTwips = 123;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildRibbon();
    void layOutRibbon();
    // Shows the list form again and rebuilds its tabs, unless the command ended the program.
    void returnToList();
    // The path of name in the program folder.
    QString programFile(const QString& name) const;

    ui::FormSlot<VKLIST> list_;
    QPointer<QMdiSubWindow> listWindow_;
    ui::FormSlot<VKWSPACE> wspace_;
    // The list form unloaded by releaseStateDatabase: its workspace, data set and tab.
    struct ReleasedList {
        QString workspace, state;
        int tab = 0;
    };
    std::optional<ReleasedList> releasedList_;
    locks::DatabaseUse databaseUse_;
    bool ended_ = false;
    int exitCode_ = 0;
};
