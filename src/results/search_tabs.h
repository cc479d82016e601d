// The list form's search tabs (1 to 9): the workspace's saved searches listed as tabs, the
// selected tab's search run into the search grid with its count, and sorted by a grid column.
// The list form owns the controls; this part works on them.
#pragma once

#include "platform/dao/query_terms.h"
#include "results/type_ahead.h"

#include <QString>

#include <array>

class QLineEdit;

namespace grid {
class DataControl;
class DataGrid;
} // namespace grid

namespace results {

class DetailPanel;
class TabRows;

class SearchTabs {
public:
    struct Controls {
        TabRows* tabs;             // SSTab1
        grid::DataControl* result; // SFILE
        grid::DataGrid* grid;      // TDBGrid4
        QLineEdit* count;          // VIEWCOUNT
        QLineEdit* typeAhead;      // SFOR
        DetailPanel* panel;
    };
    explicit SearchTabs(const Controls& controls) : c_(controls) {}

    // Lists the saved searches of workspaceFolder as the captions of tabs 1 to 9 and the files
    // behind them, and selects tab 0 when the selected tab's search went away. Files that cannot be
    // read are reported when control is back in the event loop.
    void list(const QString& workspaceFolder);
    // The saved search (file name, no folder) behind a tab; "" on tab 0 and on a tab without one.
    QString file(int tab) const;
    QString selectedFile() const;
    // Reads, checks and runs the selected tab's search, sorted by name. A search that cannot be
    // read or run is said and tab 0 selected instead. copySqlMarked copies the SQL to the clipboard.
    void run(const QString& workspaceFolder, bool copySqlMarked);
    // Orders the shown search by a column of the search grid: 0 file number, 2 name, 3 expiry (by
    // month and day); 1 only empties the type-ahead box.
    void sort(int column);
    // Shows recordSource's rows in the search grid with their count, the first row current, or an
    // empty panel when there is none. Throws dao::DaoError.
    void showResult(const QString& recordSource);

    QString SearchSQL; // the shown search's SQL without ORDER BY
    QString SortField; // field of the search grid's sorted column, read by the type-ahead
    // How the shown result is sorted, for the type-ahead: by the sort field, or by anniversary.
    ResultOrder sortOrder() const { return sortOrder_; }

private:
    Controls c_;
    std::array<QString, 11> files_;
    dao::QueryTerms searchTerms_; // SearchSQL in its parts
    ResultOrder sortOrder_ = ResultOrder::ByValue;
};

} // namespace results
