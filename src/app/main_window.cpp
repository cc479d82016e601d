#include "app/main_window.h"

#include "app/form_helpers.h"
#include "app/globals.h"
#include "app/list_search_host.h"
#include "app/program.h"
#include "app/release_check.h"
#include "app/ribbon_layout.h"
#include "app/splash_form.h"
#include "app/subsystem_forms.h"
#include "app/window_place.h"
#include "app/workspace_dialog.h"
#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/locks/row_lock.h"
#include "platform/ui/cursor.h"
#include "platform/ui/events.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/icons.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"
#include "platform/ui/twips.h"
#include "results/command_availability.h"
#include "results/list_form.h"
#include "search/lookup_editor.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

MASTER* current = nullptr;

const char* const kProgramVersion = "2.30.0";

// The maker's contact lines of the About box: company, sales, support, web address.
const char* const kMakerContact = "VELK Software\r\n"
                                  "Sales: (555) 555-0142\r\n"
                                  "Support: (555) 555-0199\r\n"
                                  "www.velk.example.com";

// Button 0's designed place on the panel, in twips.
constexpr int kButton0Left = 120;
constexpr int kButton0Top = 60;

struct RibbonButton {
    const char* tooltip;
    const char* icon; // freedesktop icon name
};
const RibbonButton kRibbon[10] = {
    {"New Lookup", "document-new"},
    {"Edit/Delete Lookup", "document-properties"},
    {"Backup/Restore Data", "drive-harddisk"},
    {"Change Workspace/State", "folder-open"},
    {"Print Lookup", "document-print"},
    {"Export Lookup", "document-save-as"},
    {"Print Manual", "x-office-document"},
    {"Update", "system-software-update"},
    {"Help", "help-browser"},
    {"Exit Velk", "system-log-out"},
};

// The list window's title shows in its own title bar. Maximised it has none: the area would add
// the title to the main window's caption, which names the workspace and data set as it stands.
class ListWindowTitle : public QObject {
public:
    ListWindowTitle(QString title, QMdiSubWindow* window) : QObject(window), title_(std::move(title)) {
        apply(window);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Before the window itself handles its new state.
        if (event->type() == QEvent::WindowStateChange) apply(static_cast<QMdiSubWindow*>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    void apply(QMdiSubWindow* window) const {
        window->setWindowTitle(window->isMaximized() ? QString() : title_);
    }
    QString title_;
};

} // namespace

MASTER::MASTER(QWidget* parent) : QMainWindow(parent) {
    current = this;
    setWindowTitle(QStringLiteral("VELK"));
    resize(ui::twipsToPixels(QSize(12000, 9000)));

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    SSPanel1 = new QFrame(central);
    SSPanel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    column->addWidget(SSPanel1);
    mdiArea = new QMdiArea(central);
    column->addWidget(mdiArea, 1);
    setCentralWidget(central);

    // The version labels are not part of the visible frame; other forms read and write them.
    lblProgram = new QLabel(SSPanel1);
    lblProgram->hide();
    lblVersion = new QLabel(SSPanel1);
    lblVersion->hide();

    buildMenus();
    buildRibbon();

    auto* claimCheck = new QTimer(this);
    connect(claimCheck, &QTimer::timeout, this, &MASTER::keepDatabaseClaim);
    claimCheck->start(1000);
}

MASTER::~MASTER() {
    if (current == this) current = nullptr;
}

MASTER* MASTER::instance() {
    return current;
}

void MASTER::buildMenus() {
    auto item = [this](QMenu* menu, const char* caption, void (MASTER::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    dummyFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuNewState = item(dummyFile, "&Open New State/Workspace", &MASTER::mnuNewState_Click);
    mnuBackup = item(dummyFile, "&Backup/Restore User Notes and Fields", &MASTER::mnuBackup_Click);
    mnuPrinter = item(dummyFile, "&Printer Setup", &MASTER::mnuPrinter_Click);
    mnuExit = item(dummyFile, "E&xit", &MASTER::mnuExit_Click);
    dummySearch = menuBar()->addMenu(QStringLiteral("&Search"));
    mnuNewSearch = item(dummySearch, "&New Search", &MASTER::mnuNewSearch_Click);
    mnuEditSearch = item(dummySearch, "&Edit Search", &MASTER::mnuEditSearch_Click);
    mnuPrintSearch = item(dummySearch, "&Print Search", &MASTER::mnuPrintSearch_Click);
    mnuExport = item(dummySearch, "&Export Search", &MASTER::mnuExport_Click);
    dummyUpdate = menuBar()->addMenu(QStringLiteral("&Update"));
    mnuUpdate = item(dummyUpdate, "Update Database", &MASTER::mnuUpdate_Click);
    dummyHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp = item(dummyHelp, "&Program Help", &MASTER::mnuHelp_Click);
    mnuPrintManual = item(dummyHelp, "Print &Manual", &MASTER::mnuPrintManual_Click);
    mnuAbout = item(dummyHelp, "&About", &MASTER::mnuAbout_Click);
    mnuVersion = item(dummyHelp, "&Data Version", &MASTER::mnuVersion_Click);
    // The check mark is the setting; the search SQL building reads it.
    mnuSQLcopy = dummyHelp->addAction(QStringLiteral("Copy SQL to Clipboard"));
    mnuSQLcopy->setCheckable(true);
    mnuSQLcopy->setChecked(false);
}

void MASTER::buildRibbon() {
    const int iconSide = ui::twipsToPixels(480);
    for (int i = 0; i < 10; ++i) {
        auto* button = new QToolButton(SSPanel1);
        button->setCheckable(true);
        button->setToolTip(QString::fromLatin1(kRibbon[i].tooltip));
        button->setIcon(ui::themedIcon(QString::fromLatin1(kRibbon[i].icon)));
        button->setIconSize(QSize(iconSide, iconSide));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { SSRibbon1_Click(i); });
        SSRibbon1[i] = button;
    }
    layOutRibbon();
}

void MASTER::layOutRibbon() {
    // The rule runs on the buttons' pixel widths, as it reads each button's actual width: rounding
    // every twips left on its own would overlap neighbours by a pixel.
    const QVector<QRect> buttons =
        velk::ribbonLayout(ui::twipsToPixels(kButton0Left), ui::twipsToPixels(kButton0Top),
                           int(SSRibbon1.size()), ui::twipsToPixels(kRibbonButtonTwips));
    for (int i = 0; i < int(SSRibbon1.size()); ++i)
        SSRibbon1[i]->setGeometry(buttons[i]);
    SSPanel1->setFixedHeight(ui::twipsToPixels(velk::ribbonPanelHeight(kRibbonButtonTwips)));
}

StartOutcome MASTER::MDIForm_Load() {
    MyDocuments = GetSpecialFolderPath(velk::CSIDL_PERSONAL);
    lblProgram->setText(QString::fromLatin1(kProgramVersion));
    if (TITLE* splash = TITLE::instance()) splash->Label4->setText(lblProgram->text());
    CURPATH = files::programFolder();
    StartPath = CURPATH + QLatin1Char('/');
    velk::placeMainWindow(*this); // the size the user left, or one that fits the screen
    layOutRibbon();

    if (!chooseWorkspace()) return StartOutcome::Ended;

    const dataset::DataSet& dataSet = dataset::current();
    claimDatabase(dataSet.databasePath());
    StateDb = dao::Database::open(dataSet.databasePath(), false, false, dataSet.connect);
    if (velk::runReleaseCheck(*this)) {
        if (!ended_) endProgram(0);
        return StartOutcome::Ended;
    }

    StateDb.reset();
    setEnabled(true);
    ui::doEvents();
    handOverToList();
    TITLE::unload();
    ui::setDefaultPointer();
    return StartOutcome::Running;
}

bool MASTER::chooseWorkspace() {
    for (;;) {
        workspaceDialog().showModal();
        if (ended_) return false;
        if (velk::WorkspaceChosen) return true;
        unloadWorkspaceDialog(); // closed without a choice: loaded afresh on the next pass
        if (ui::MsgBox(QStringLiteral("Update Database?"), ui::vbYesNo) != ui::vbYes) continue;
        velk::UpgradeDone = false;
        velk::subsystemForms().showUpgrade();
        if (ended_) return false;
        if (velk::UpgradeDone) continue;
        endProgram(0);
        return false;
    }
}

VKLIST& MASTER::openListForm(const QString& workspace, const QString& state) {
    unloadListForm();
    VKLIST& list = loadListForm();
    list.WORKSPACE = workspace;
    list.STATE = state;
    list.CURPATH = StartPath + workspace + QLatin1Char('/');
    setWindowTitle(QStringLiteral("VELK - Workspace is ") + workspace + QStringLiteral(" and State is ") +
                   state);
    return list;
}

void MASTER::handOverToList() {
    VKWSPACE& dialog = workspaceDialog();
    releasedList_.reset();
    VKLIST& list = openListForm(dialog.WORKSPACE->currentText(), dialog.STATE->currentText());
    unloadWorkspaceDialog();
    showListForm();
    list.SORT_SELECT(2);
}

void MASTER::releaseStateDatabase() {
    if (!list_) return;
    releasedList_ = ReleasedList{list_->WORKSPACE, list_->STATE, list_->SSTab1->currentIndex()};
    unloadListForm();
}

void MASTER::resumeStateDatabase() noexcept {
    if (!releasedList_ || list_ || ended_) return;
    const ReleasedList was = *releasedList_;
    releasedList_.reset();
    try {
        VKLIST& list = openListForm(was.workspace, was.state);
        showListForm();
        list.SORT_SELECT(2);
        if (was.tab < list.SSTab1->count()) list.SSTab1->setCurrentIndex(was.tab);
    } catch (const std::exception& e) {
        unloadListForm();
        setWindowTitle(QStringLiteral("VELK"));
        ui::setDefaultPointer();
        ui::MsgBox(
            QStringLiteral("The list of state ") + was.state +
                QStringLiteral(" cannot be shown again.\r\n\r\n") + QString::fromUtf8(e.what()) +
                QStringLiteral(
                    "\r\n\r\nPlease choose the workspace and state again (File, Open New State/Workspace)."),
            ui::vbExclamation);
    }
}

void MASTER::applyCommandAvailability(const results::CommandAvailability& availability) {
    for (int i = 0; i < int(SSRibbon1.size()); ++i)
        SSRibbon1[i]->setEnabled(availability.ribbon[i]);
    mnuNewSearch->setEnabled(availability.mnuNewSearch);
    mnuEditSearch->setEnabled(availability.mnuEditSearch);
    mnuPrintSearch->setEnabled(availability.mnuPrintSearch);
    mnuExport->setEnabled(availability.mnuExport);
    mnuUpdate->setEnabled(availability.mnuUpdate);
}

void MASTER::enableSearchCommands() {
    dummySearch->setEnabled(true);
    for (int i : {0, 1})
        SSRibbon1[i]->setEnabled(true);
}

void MASTER::setDataVersion(const QString& text) {
    lblVersion->setText(text);
}

bool MASTER::copySqlMarked() const {
    return mnuSQLcopy->isChecked();
}

VKLIST* MASTER::listForm() const {
    return list_.loaded();
}

void MASTER::claimDatabase(const QString& databasePath) {
    if (databaseUse_.held() && databaseUse_.databasePath() == databasePath) return;
    QString error;
    // A lock file that cannot be had (a folder without write access) leaves the database unclaimed.
    if (databaseUse_.take(databasePath, locks::DatabaseUse::Mode::Working, &error) ==
        locks::DatabaseUse::Result::Busy)
        throw dao::DaoError(
            databasePath, QStringLiteral("open"),
            QStringLiteral("an update in another copy of VELK is replacing it; try again when "
                           "the update has finished"));
}

void MASTER::keepDatabaseClaim() {
    if (!databaseUse_.held() || databaseUse_.stillAtPath()) return;
    const QString database = databaseUse_.databasePath();
    // Not held after a failure: said once, and taken again when the data set is next chosen.
    if (databaseUse_.take(database, locks::DatabaseUse::Mode::Working) != locks::DatabaseUse::Result::Busy)
        return;
    ui::MsgBox(locks::lockFileFor(database) +
                   QStringLiteral(" was removed while this copy of VELK was using ") +
                   QFileInfo(database).fileName() +
                   QStringLiteral(", and an update in another copy of VELK is now replacing that database.  "
                                  "Notes and fields saved here from now on may be lost: choose the state "
                                  "again (File, Open New State/Workspace) once the update has finished."),
               ui::vbExclamation);
}

VKLIST& MASTER::loadListForm() {
    if (list_) return *list_;
    claimDatabase(dataset::current().databasePath());
    VKLIST* list = nullptr;
    try {
        list = &list_.load();
    } catch (...) {
        databaseUse_.release();
        throw;
    }
    list->setCommandSurface(this);
    connect(list, &VKLIST::printRecordRequested, this, [this] {
        if (list_) velk::subsystemForms().printRecord(*list_);
    });
    // Export Record has narrowed the list's record source to its record; the export form reads it.
    connect(list, &VKLIST::exportRecordRequested, this, [] { velk::subsystemForms().showExport(); });
    return *list;
}

void MASTER::showListForm() {
    if (!list_) return;
    const bool fresh = !listWindow_;
    if (fresh) {
        // No close box: the list goes with its workspace or the program, never on its own.
        listWindow_ =
            mdiArea->addSubWindow(list_.loaded(), Qt::SubWindow | Qt::CustomizeWindowHint |
                                                      Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
        listWindow_->installEventFilter(new ListWindowTitle(list_->windowTitle(), listWindow_));
    }
    show();
    // Showing maximised also activates and raises the list: only when it is not already up, so a
    // window the command just opened (a print preview) stays in front.
    if (fresh || listWindow_->isHidden() || listWindow_->isMinimized()) listWindow_->showMaximized();
    list_->show();
}

void MASTER::unloadListForm() {
    if (listWindow_) {
        QMdiSubWindow* window = listWindow_;
        listWindow_ = nullptr;
        mdiArea->removeSubWindow(window);
        window->hide();
        window->deleteLater();
    }
    if (list_) list_->Form_Unload(); // the state database closes now, not when the widget goes
    list_.unload();
    databaseUse_.release();
}

VKWSPACE& MASTER::workspaceDialog() {
    return wspace_.load(this);
}

VKWSPACE* MASTER::loadedWorkspaceDialog() const {
    return wspace_.loaded();
}

void MASTER::unloadWorkspaceDialog() {
    wspace_.unload(); // also ends its modal showing when Exit was pressed in it
}

void MASTER::endProgram(int code) {
    if (!ended_ && isVisible()) velk::saveMainWindowPlace(*this);
    ended_ = true;
    exitCode_ = code;
    unloadWorkspaceDialog();
    search::unloadLookupEditor();
    unloadListForm();
    StateDb.reset();
    databaseUse_.release();
    TITLE::unload();
    ui::setDefaultPointer();
    hide();
    if (velk::mainLoopRunning()) QCoreApplication::exit(code);
}

void MASTER::closeEvent(QCloseEvent* event) {
    if (!ended_) SubExit();
    if (ended_)
        event->accept();
    else
        event->ignore();
}

QString MASTER::GetSpecialFolderPath(int CSIDL) {
    return velk::GetSpecialFolderPath(CSIDL);
}

void MASTER::SubExit() {
    if (ui::MsgBox(QStringLiteral("Are you sure you want to quit VELK?"),
                   ui::vbYesNo + ui::vbQuestion + ui::vbDefaultButton1,
                   QStringLiteral("Exit VELK")) == ui::vbYes)
        endProgram(0);
}

QString MASTER::programFile(const QString& name) const {
    return files::joinPath(files::programFolder(), name);
}

void MASTER::returnToList() {
    // A command that ended the program leaves nothing to show.
    if (ended_ || !list_) return;
    showListForm();
    list_->SETTABS();
}

void MASTER::SubHelp() {
    ui::BusyCursor busy;
    ui::showHelp(programFile(QStringLiteral("VELK.HLP")), ui::kHelpContents);
}

void MASTER::SubUpgrade() {
    velk::UpgradeDone = false;
    velk::subsystemForms().showUpgrade();
    if (ended_) return;
    // An update that replaced databases took the list form down: the data set is chosen again.
    // So is one that failed after taking it down, rather than leaving a window without a list.
    if (!velk::UpgradeDone && list_) return;
    SubChangeState();
    returnToList();
}

void MASTER::SubProcessNotes() {
    velk::subsystemForms().showNotes(true);
}

void MASTER::SubChangeState() {
    for (;;) {
        if (!chooseWorkspace()) return; // the program has ended
        QString workspace, state;
        if (VKWSPACE* dialog = loadedWorkspaceDialog()) {
            workspace = dialog->WORKSPACE->currentText();
            state = dialog->STATE->currentText();
        }
        try {
            handOverToList();
            return;
        } catch (const std::exception& e) {
            // A data set that cannot be opened (missing database, wrong password) is said and the
            // choice offered again; the main window never stays on a list that is not there.
            unloadListForm();
            setWindowTitle(QStringLiteral("VELK"));
            ui::setDefaultPointer();
            ui::MsgBox(QStringLiteral("State ") + state + QStringLiteral(" in workspace ") + workspace +
                           QStringLiteral(" cannot be opened.\r\n\r\n") + QString::fromUtf8(e.what()) +
                           QStringLiteral("\r\n\r\nPlease choose the workspace and state again."),
                       ui::vbExclamation);
        }
    }
}

void MASTER::SubPrintSearch() {
    velk::subsystemForms().showPrintSearch();
}

void MASTER::SubExport() {
    velk::subsystemForms().showExport();
}

void MASTER::SubPrintManual() {
    velk::subsystemForms().showPrintManual();
}

void MASTER::SSRibbon1_Click(int Index) {
    if (Index < 0 || Index >= int(SSRibbon1.size()) || !SSRibbon1[Index]->isChecked()) return;
    if (list_) list_->SetCurSQLFile(false); // the lookup editor would open the selected tab's search
    switch (Index) {
    case 0:
        if (list_) velk::newLookup(*list_); // a new, untitled search whatever tab is selected
        break;
    case 1:
        if (list_) velk::showEditDeleteDialog(*list_);
        break;
    case 2:
        SubProcessNotes();
        break;
    case 3:
        SubChangeState();
        break;
    case 4:
        SubPrintSearch();
        break;
    case 5:
        SubExport();
        break;
    case 6:
        SubPrintManual();
        break;
    case 7:
        SubUpgrade();
        break;
    case 8:
        SubHelp();
        break;
    case 9:
        SubExit();
        break;
    }
    // Searches made, edited or deleted by the command appear as tabs.
    if (!ended_ && list_) list_->SETTABS();
    SSRibbon1[Index]->setChecked(false);
}

void MASTER::mnuNewState_Click() {
    SubChangeState();
    returnToList();
}

void MASTER::mnuBackup_Click() {
    velk::subsystemForms().showNotes(false); // the one command that does not wait for its form
}

void MASTER::mnuPrinter_Click() {
    ui::showPrinterSetup(this); // a cancelled dialog or no printer changes nothing
    returnToList();
}

void MASTER::mnuExit_Click() {
    SubExit();
}

void MASTER::mnuNewSearch_Click() {
    if (!list_) return;
    velk::newLookup(*list_);
    if (!ended_ && list_) list_->SETTABS();
}

void MASTER::mnuEditSearch_Click() {
    if (!list_) return;
    velk::showEditDeleteDialog(*list_);
    returnToList();
}

void MASTER::mnuPrintSearch_Click() {
    SubPrintSearch();
    returnToList();
}

void MASTER::mnuExport_Click() {
    SubExport();
    returnToList();
}

void MASTER::mnuUpdate_Click() {
    velk::UpgradeDone = false;
    SubUpgrade();
    returnToList();
}

void MASTER::mnuHelp_Click() {
    SubHelp();
    returnToList();
}

void MASTER::mnuPrintManual_Click() {
    SubPrintManual();
    returnToList();
}

void MASTER::mnuAbout_Click() {
    const QString version = lblProgram->text();
    ui::MsgBox(QStringLiteral("Velk Version ") + version + QStringLiteral("\r\n\r\n") +
                   QString::fromLatin1(kMakerContact),
               ui::vbOKOnly, QStringLiteral("About VELK Ver ") + version);
}

void MASTER::mnuVersion_Click() {
    // An empty data version shows as nothing between the parentheses.
    ui::MsgBox(QStringLiteral("Data Version (") + lblVersion->text() + QStringLiteral(")"), ui::vbOKOnly);
}
