// VKLIST, the list form: all records on tab 0, one saved search per tab 1 to 9, the detail panel.
// Its work lives in parts: the detail panel (results::DetailPanel), the search tabs
// (results::SearchTabs), the type-ahead finders (type_ahead.h) and the notes store; the form lays
// them out and keeps the public members other forms use.
#pragma once

#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "results/detail_panel.h"
#include "results/notes_store.h"
#include "results/search_tabs.h"
#include "results/tab_rows.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace results {
class CommandSurface;
}

class VKLIST : public QWidget {
    Q_OBJECT
public:
    explicit VKLIST(QWidget* parent = nullptr);
    ~VKLIST() override;

    // The form's load, run by the constructor: opens the state database of the data set in use
    // (dataset::current()) in the program folder, and its table recordsets. Throws dao::DaoError
    // when it cannot, and the form is not made.
    void Form_Load();
    // Runs when the form is shown: commands, tabs and layout follow the selected tab (only while
    // the main window is enabled).
    void Form_Activate();
    // Closes the recordsets and the state database; errors are ignored. Runs once.
    void Form_Unload();
    // The main window's commands and labels that the list keeps up to date (none: it keeps none).
    void setCommandSurface(results::CommandSurface* commands) { commands_ = commands; }

    // Set by the main window before showing the form.
    QString WORKSPACE;
    QString STATE;
    QString CURPATH; // the workspace folder, with a trailing "/"
    QString CurSQLFile;

    // The open state database and its table recordsets (PRIMETB and SICCODESTB on index PRIMARY,
    // VERTB on the VERSION row "1").
    std::unique_ptr<dao::Database> VELKDB;
    std::unique_ptr<dao::Recordset> PRIMETB;
    std::unique_ptr<dao::Recordset> SICCODESTB;
    std::unique_ptr<dao::Recordset> VERTB;

    // Data controls: GFILE the table PRIME (tab 0), SFILE the search result (tabs 1 to 9).
    grid::DataControl* GFILE = nullptr;
    grid::DataControl* SFILE = nullptr;

    results::TabRows* SSTab1 = nullptr; // tab 0 "View All", tabs 1 to 9 the saved searches
    grid::DataGrid* TDBGrid1 = nullptr; // all records: File #, Seq, Company Name, County, (Omit)
    grid::DataGrid* TDBGrid4 = nullptr; // search result: File, Seq, Name, Expires, (Omit)

    QLabel* Label1 = nullptr; // "Search for"
    QLineEdit* SFOR = nullptr;
    QLabel* Label7 = nullptr; // "Record Count:"
    QLineEdit* VIEWCOUNT = nullptr;

    // The detail panel (results::DetailPanel, which says what each control shows) and its
    // controls under their names on the form.
    results::DetailPanel* panel = nullptr;
    QPlainTextEdit* ADDRESS = nullptr;
    QLineEdit *PHONE = nullptr, *txtFax = nullptr, *CONTACT = nullptr, *TITLE = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr,
           *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *lblFax = nullptr;
    QPushButton *Command1 = nullptr, *FULLADDR = nullptr, *EXPORTCUR = nullptr, *PRINTCUR = nullptr,
                *MarkIt = nullptr;
    grid::DataControl* MFILE = nullptr; // the current record's MODS rows
    grid::DataGrid* TDBGrid2 = nullptr; // MODS: Issue, Effective, Expires, MOD

    // Orders tab 0 by a column of TDBGrid1: 0 file number, 2 company name, 3 county; 1 keeps the order.
    void SORT_SELECT(int COLNUM);
    QString CurrentIndex; // index of PRIME in use on tab 0: "PRIMARY", "KEY2" or "KEY3"

    // Panel fills from the current row of GFILE (tab 0) or SFILE (search tab).
    void ShowAllRecordsRow();
    void ShowSearchRow();

    // Notes store. GetNoteLength: the trimmed length of the record's note, nothing when it cannot
    // be counted (another user has it open). GETNOTES puts the note into the box and returns true:
    // opened for editing, or, when the lock file cannot be written, read-only (the box is made
    // read-only and a message says why; notesStore()->isOpen() is then false). It returns false
    // when it cannot (another user has it: the message is shown and the box reads
    // "***LOCKED***"). Callers decide by the result, never by the box's text. SETNOTES writes the
    // box back (an empty box becomes one blank) and releases the note; it throws dao::DaoError,
    // showing nothing itself, when the note cannot be written (the box keeps the user's text),
    // among others when another user changed the note while the lock was lost (a second
    // SETNOTES then writes).
    std::optional<int> GetNoteLength(const QString& KEYFILE, const QString& KEYSEQ);
    bool GETNOTES(const QString& KEYFILE, const QString& KEYSEQ, QPlainTextEdit* NOTE);
    void SETNOTES(QPlainTextEdit* NOTE);
    // Releases a note opened by GETNOTES without writing it (the detail form closed otherwise).
    void releaseNote();
    results::NotesStore* notesStore() const { return notes_.get(); }

    // Toggles the exclusion mark of the search result's current record, written by its key (FILE,
    // SEQUENCE); when no stored record has that key any more, says so and writes nothing.
    void MarkIt_Click();

    // Record commands; their actions belong to the record detail, printing and export.
    void Command1_Click();
    void FULLADDR_Click();
    void EXPORTCUR_Click();
    void PRINTCUR_Click();
    // The data control of the shown tab (GFILE on tab 0, SFILE on a search tab) and its current
    // row's recordset, or nullptr when the shown list has no current row.
    grid::DataControl* currentDataControl() const;
    dao::Recordset* currentRecord() const;
    // The jump of the record detail form to an associated record: tab 0, name order chosen, the
    // all-records recordset on index PRIMARY with that record current.
    void showAssociatedRecord(const QString& file, const QString& sequence);
    // Rewrites the address and contact boxes (the refresh after the record detail form).
    void setPanelContact(const results::PanelRefresh& refresh);

    // Tabs and searches (results::SearchTabs does the work). SETTABS lists the saved searches as
    // tabs; SetUpSQL runs the selected tab's search; SORTSRCH orders it by a column of TDBGrid4.
    void SETTABS();
    // The saved search (file name, no folder) behind a tab: "" on tab 0 and on a tab without one.
    QString searchFile(int tab) const;
    // Sets CurSQLFile for the next opening of the lookup editor: "" for a new search, else the
    // selected search tab's file.
    void SetCurSQLFile(bool NEWSEARCH);
    void SetUpSQL();
    void SORTSRCH(int COLNUM);
    void SETBUTTONS();
    results::SearchTabs& searchTabs() { return *tabs_; }

    // Events.
    void SSTab1_Click(int PreviousTab);
    void SFOR_Change();
    void TDBGrid1_HeadClick(int ColIndex);
    void TDBGrid4_HeadClick(int ColIndex);
    void TDBGrid1_RowColChange();
    void TDBGrid4_RowColChange();
    // Text colour of a search-grid row: red for a row whose Omit is "Y".
    QColor TDBGrid4_FetchRowStyle(int row) const;

signals:
    // Export Record and Print Record, for the forms of export and printing, which the main window
    // opens.
    void exportRecordRequested();
    void printRecordRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ArrangeListLayout();
    void FindInResults(const QString& text, dao::Recordset* result, const QString& field);
    // The panel filled from the source's current row, read again first, by the all-records or the
    // search-tab rules, or emptied when there is none (or it is no longer stored).
    void showRow(grid::DataControl* source, bool searchTab);
    void onTabChanged(int index);
    void buildForm();

    results::CommandSurface* commands_ = nullptr;
    std::unique_ptr<results::NotesStore> notes_;
    std::unique_ptr<results::SearchTabs> tabs_;
    int previousTab_ = 0;
    bool unloaded_ = false;
};
