// The list form's detail panel: the current record's name and address, its contact boxes, the flag
// labels, its mods grid and the record buttons. The list form reads the row; the panel shows it by
// the all-records rules (tab 0) or the search-tab rules.
#pragma once

#include "results/detail_rules.h"
#include "results/panel_rules.h"

#include <QString>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dao {
class Database;
}
namespace grid {
class DataControl;
class DataGrid;
} // namespace grid

namespace results {

class DetailPanel : public QWidget {
    Q_OBJECT
public:
    explicit DetailPanel(QWidget* parent = nullptr);

    QPlainTextEdit* ADDRESS = nullptr;
    QLabel* Label3 = nullptr; // "Phone:"
    QLineEdit* PHONE = nullptr;
    QLabel* lblFax = nullptr; // "Fax:"
    QLineEdit* txtFax = nullptr;
    QLabel* Label6 = nullptr; // "Contact:"
    QLineEdit* CONTACT = nullptr;
    QLabel* Label4 = nullptr; // "Title:"
    QLineEdit* TITLE = nullptr;
    QLabel* Label2 = nullptr;           // "Associated Companies"
    QLabel* Label5 = nullptr;           // "See Notes"
    QLabel* Label8 = nullptr;           // "Assigned Risk"
    QLabel* Label9 = nullptr;           // "Interstate"
    QLabel* Label10 = nullptr;          // "Revised"
    grid::DataControl* MFILE = nullptr; // the record's MODS rows
    grid::DataGrid* TDBGrid2 = nullptr; // Issue, Effective, Expires, MOD

    // Record buttons: enabled exactly while the shown list has a current row.
    QPushButton* Command1 = nullptr;  // "More Info..."
    QPushButton* FULLADDR = nullptr;  // "Full Address" (NY only)
    QPushButton* EXPORTCUR = nullptr; // "Export Record" (tab 0 only)
    QPushButton* PRINTCUR = nullptr;  // "Print Record"
    QPushButton* MarkIt = nullptr;    // "Exclude" / "Include" (search tabs only)

    // The mods grid reads the list's state database; its columns follow the data set.
    void load(dao::Database* db, const QString& state);

    // The two fills from the current row's fields: the all-records rules (tab 0) and the
    // search-tab rules. noteLength is the record's trimmed note length, nothing when it could not
    // be counted.
    void fillAllRecords(const FieldReader& field, std::optional<int> noteLength, const QString& state);
    void fillSearch(const FieldReader& field, std::optional<int> noteLength, const QString& state);
    // No current record: the boxes empty, the flags and the mods grid hidden, the buttons disabled.
    void clear(const QString& state);
    void setRecordButtons(bool enabled, const QString& state);
    // The address and contact boxes as the record detail form left the record.
    void setContact(const PanelRefresh& refresh);
    // "*** PERFORMING LOOKUP ***" in red while a search runs.
    void showLookupRunning();
    // The buttons of the shown kind of tab: Exclude/Include on a search tab, Export Record on tab
    // 0; Full Address enabled in New York while there is a current row.
    void arrangeFor(bool allRecords, bool hasRow, const QString& state);

private:
    // The address box in the override colour (the user wrote the address) or the window colour.
    void setAddressMarked(bool marked);
    // A text longer than its box shows its beginning, not its end.
    void showStarts();
    void fillRecordText(const FieldReader& field, PanelTab tab, std::optional<int> noteLength,
                        const QString& state);
    void fillModsGrid(const QString& file, const QString& sequence, PanelTab tab, const QString& state);
};

} // namespace results
