// The list form: all records on tab 0, one saved search per tab 1 to 9, the detail panel.
#pragma once

#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "results/detail_rules.h"
#include "results/notes_store.h"
#include "results/panel_rules.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace results {
class CommandSurface;
}

class VKLIST : public QWidget {
    Q_OBJECT
public:
    explicit VKLIST(QWidget* parent = nullptr);
    ~VKLIST() override;

    // The form's load: opens the state database of the data set in use (dataset::current()) in the
    // program folder, and its table recordsets. Throws dao::DaoError when it cannot.
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

    // Data controls: GFILE the table PRIME (tab 0), SFILE the search result (tabs 1 to 9),
    // MFILE the current record's MODS rows.
    grid::DataControl* GFILE = nullptr;
    grid::DataControl* SFILE = nullptr;
    grid::DataControl* MFILE = nullptr;

    QTabBar* SSTab1 = nullptr;          // tab 0 "View All", tabs 1 to 9 the saved searches
    grid::DataGrid* TDBGrid1 = nullptr; // all records: File #, Seq, Company Name, County, (Omit)
    grid::DataGrid* TDBGrid4 = nullptr; // search result: File, Seq, Name, Expires, (Omit)
    grid::DataGrid* TDBGrid2 = nullptr; // MODS: Issue, Effective, Expires, MOD

    QLabel* Label1 = nullptr; // "Search for"
    QLineEdit* SFOR = nullptr;
    QLabel* Label7 = nullptr; // "Record Count:"
    QLineEdit* VIEWCOUNT = nullptr;

    // The detail panel.
    QPlainTextEdit* ADDRESS = nullptr;
    QLabel* Label3 = nullptr; // "Phone:"
    QLineEdit* PHONE = nullptr;
    QLabel* lblFax = nullptr; // "Fax:"
    QLineEdit* txtFax = nullptr;
    QLabel* Label6 = nullptr; // "Contact:"
    QLineEdit* CONTACT = nullptr;
    QLabel* Label4 = nullptr; // "Title:"
    QLineEdit* TITLE = nullptr;
    QLabel* Label2 = nullptr;  // "Associated Companies"
    QLabel* Label5 = nullptr;  // "See Notes"
    QLabel* Label8 = nullptr;  // "Assigned Risk"
    QLabel* Label9 = nullptr;  // "Interstate"
    QLabel* Label10 = nullptr; // "Revised"

    // Record buttons: enabled exactly while the shown list has a current row.
    QPushButton* Command1 = nullptr;  // "More Info..."
    QPushButton* FULLADDR = nullptr;  // "Full Address" (NY only)
    QPushButton* EXPORTCUR = nullptr; // "Export Record" (tab 0 only)
    QPushButton* PRINTCUR = nullptr;  // "Print Record"
    QPushButton* MarkIt = nullptr;    // "Exclude" / "Include" (search tabs only)

    // Orders tab 0 by a column of TDBGrid1: 0 file number, 2 company name, 3 county; 1 keeps the order.
    void SORT_SELECT(int COLNUM);
    QString CurrentIndex; // index of PRIME in use on tab 0: "PRIMARY", "KEY2" or "KEY3"

    // Panel fills from the current row of GFILE (tab 0) or SFILE (search tab).
    void ShowAllRecordsRow();
    void ShowSearchRow();

    // Notes store. GetNoteLength: the trimmed length of the record's note, nothing when it cannot
    // be counted (another user has it open). GETNOTES opens the note for editing and returns
    // true; false when it cannot (another user has it: the message is shown and the box reads
    // "***LOCKED***"). Callers decide by the result, never by the box's text. SETNOTES writes the
    // box back (an empty box becomes one blank) and releases the note; it throws dao::DaoError,
    // showing nothing itself, when the note cannot be written (the box keeps the user's text).
    std::optional<int> GetNoteLength(const QString& KEYFILE, const QString& KEYSEQ);
    bool GETNOTES(const QString& KEYFILE, const QString& KEYSEQ, QPlainTextEdit* NOTE);
    void SETNOTES(QPlainTextEdit* NOTE);
    // Releases a note opened by GETNOTES without writing it (the detail form closed otherwise).
    void releaseNote();
    results::NotesStore* notesStore() const { return notes_.get(); }

    // Toggles the exclusion mark of the search result's current row.
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

    // Tabs and searches. SETTABS lists the saved searches as tabs; SetUpSQL runs the selected
    // tab's search; SORTSRCH orders it by a column of TDBGrid4.
    void SETTABS();
    // Sets CurSQLFile for the next opening of the lookup editor: "" for a new search, else the
    // selected search tab's file.
    void SetCurSQLFile(bool NEWSEARCH);
    void SetUpSQL();
    void SORTSRCH(int COLNUM);
    void SETBUTTONS();
    QString SearchSQL; // the shown search's SQL without ORDER BY
    QString SortField; // field of the search grid's sorted column, read by the type-ahead
    // Puts a search on tab (1 to 9): its caption and its saved-search file name (velk::SearchFiles).
    // An empty file name leaves the tab without a search.
    void setSearchTab(int tab, const QString& caption, const QString& fileName);
    // Gives tab (1 to 9) a record source that SetUpSQL shows when the tab is chosen.
    void setTabRecordSource(int tab, const QString& sql);
    // Shows an SQL text's rows in TDBGrid4 through SFILE with their count, the first row current
    // (or an empty panel with the record buttons disabled when there is none). Throws dao::DaoError.
    void showSearchResult(const QString& recordSource);

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
    void moreInfoRequested();
    void fullAddressRequested();
    void exportRecordRequested();
    void printRecordRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ArrangeListLayout();
    void FindInResults(const QString& text, dao::Recordset* result, const QString& field);
    void clearPanel();
    // Address, contact boxes, associates, "See Notes" and the New York flags of a row.
    void fillRecordText(const results::FieldReader& field, results::PanelTab tab);
    void fillModsGrid(const QString& file, const QString& sequence, bool searchTab);
    void setRecordButtons(bool enabled);
    // The sorted column's heading in the boxes' colour, the other headings plain.
    void markSortColumn(grid::DataGrid* list, int column);
    void onTabChanged(int index);
    void buildForm();

    results::CommandSurface* commands_ = nullptr;
    std::unique_ptr<results::NotesStore> notes_;
    std::array<QString, 10> tabSources_;
    int previousTab_ = 0;
    bool unloaded_ = false;
};
