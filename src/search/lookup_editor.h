// VKLOOKUP, the lookup editor: builds a new search or edits a saved one (a title and a list of
// lookups) and writes it to the workspace's saved-search file.
#pragma once

#include "search/lookup_parameter.h"
#include "search/unbound_grid_fetch.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace grid {
class DataGrid;
class UnboundModel;
} // namespace grid

namespace velk {
// True while the editor holds a new search (opened by New Lookup), false for an edited one.
extern bool LookupIsNew;
} // namespace velk

namespace search {

// What the editor needs of the list form and the main window; the application implements it.
class LookupEditorHost {
public:
    virtual ~LookupEditorHost() = default;
    virtual QString workspaceFolder() const = 0; // VKLIST.CURPATH
    virtual QString curSQLFile() const = 0;      // VKLIST.CurSQLFile: "" for a new search
    virtual void SETTABS() = 0;
    virtual void SetUpSQL() = 0; // runs the search of the selected tab again
    virtual void selectTab(int k) = 0;
    virtual void showList() = 0;
};

} // namespace search

class VKLOOKUP : public QDialog, public UnboundGridFetch::FetchForm {
    Q_OBJECT
public:
    explicit VKLOOKUP(search::LookupEditorHost& host, QWidget* parent = nullptr);
    ~VKLOOKUP() override;

    QLabel* Label1;        // "Lookup Title"
    QLineEdit* SEARCHDESC; // the search title
    QListWidget* List1;    // field captions
    QListWidget* List3;    // field codes at the same positions (hidden)
    QLabel* Label2;        // "From"
    QLineEdit* FROM;
    QLabel* Label3; // "Thru"
    QLineEdit* THRU;
    QRadioButton* SQLINCLUDE; // "Include"
    QRadioButton* SQLEXCLUDE; // "Exclude"
    QGroupBox* AndOrFrame;    // shown only: nothing reads it
    QRadioButton* SQLAND;
    QRadioButton* SQLOR;
    QPushButton* ADD;    // "Accept"
    QPushButton* DELETE; // "Delete"
    QPushButton* OK;
    QPushButton* CANCEL;
    grid::DataGrid* TDBGrid3; // the lookups: "Field", "Selection", include or exclude
    grid::DataGrid* TDBGrid5; // the category grid: "Code", "Name"
    QLabel* Label4;           // "Search for"
    QLineEdit* SFOR;

    // The lookups of the search being edited, in list order.
    const SqlParameters& lookups() const { return Lookups; }
    // Data field of the category grid's key column (the one "Search for" searches).
    QString searchColumn() const { return SearchColumn; }
    // The selected field (0 to 17), -1 when none.
    int selectedField() const;
    // Value of a category grid cell (col 0 code, 1 name).
    QString categoryValue(int row, int col) const;
    int categoryRowCount() const;

    void Form_Load();
    // Resets the dialog for a showing: a new search, or the saved search the list form names.
    // False when that saved search cannot be read (a message was shown; the dialog is not shown).
    bool Form_Activate();

    void List1_Click(int pos);
    // Accept: true when the entry was added.
    bool ADD_Click();
    void DELETE_Click();
    void OK_Click();
    void CANCEL_Click();
    void FROM_LostFocus();
    void THRU_GotFocus();
    void SFOR_Change();
    void TDBGrid5_HeadClick(int col);
    // Picks the category grid's current row.
    void TDBGrid5_DblClick();

    void LoadCategoryGrid(int ColIdx);
    // Writes the lookups under FileName in the workspace folder with the title box as every line's
    // title. False with error set (naming the file) when it could not be written; the old file is
    // then unchanged.
    bool WriteSearchFile(const QString& FileName, QString* error = nullptr);

    void OldStyleFetch(qint16 Row, qint16 Col, QVariant& Value) override;

    // The list form the editor works for (it may be rebuilt while the editor stays loaded).
    void setHost(search::LookupEditorHost& host) { host_ = &host; }

    // Esc answers Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CategoryRow {
        QString code;
        QString name;
    };

    void refreshLookupList(int currentRow);
    void guardBox(QLineEdit* box);
    void warn(const QString& text);
    void clearCategoryGrid();
    void hideDialog();
    void unload();

    search::LookupEditorHost* host_;
    SqlParameters Lookups;
    QString SearchColumn;
    int searchKey_ = 0; // column of SearchColumn
    QVector<CategoryRow> categoryRows_;
    std::unique_ptr<UnboundGridFetch::FetchModel> lookupModel_;
    std::unique_ptr<grid::UnboundModel> categoryModel_;
    QString CUEFILE_DatabaseName; // the state database the category grid reads
};

namespace search {

// The one lookup editor, loaded on first use and destroyed when it unloads.
VKLOOKUP* loadedLookupEditor();
void unloadLookupEditor();
// Loads the editor when needed, activates it for the host's CurSQLFile and shows it modally.
void showLookupEditorModal(LookupEditorHost& host, QWidget* parent = nullptr);

} // namespace search
