#include "results/search_tabs.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "results/detail_panel.h"
#include "results/list_grids.h"
#include "results/tab_rows.h"
#include "search/search_list.h"
#include "search/search_run.h"
#include "search/search_sort.h"

#include <QLineEdit>
#include <QTimer>

namespace results {

void SearchTabs::list(const QString& workspaceFolder) {
    search::TabsPlan plan;
    {
        ui::BusyCursor busy;
        plan = search::planTabs(workspaceFolder, c_.tabs->currentIndex());
        files_ = plan.files;
        for (int k = 1; k <= search::kSearchTabs; ++k)
            c_.tabs->setTabText(k, plan.captions[k]);
    }
    // A tab whose search went away falls back to the list of all records.
    if (plan.selectTab != c_.tabs->currentIndex()) c_.tabs->setCurrentIndex(plan.selectTab);
    // Said once control is back in the event loop: the tabs are listed when the list is shown,
    // inside the main window's showing of its children, and a box's own event loop there deletes
    // objects (finished animations) that the showing still walks.
    if (!plan.problems.isEmpty())
        QTimer::singleShot(0, c_.tabs,
                           [problems = plan.problems] { search::reportListingProblems(problems); });
}

QString SearchTabs::file(int tab) const {
    return tab > 0 && tab < int(files_.size()) ? files_[tab] : QString();
}

QString SearchTabs::selectedFile() const {
    return file(c_.tabs->currentIndex());
}

void SearchTabs::run(const QString& workspaceFolder, bool copySqlMarked) {
    if (c_.tabs->currentIndex() <= 0) return;
    const search::PreparedSearch prepared =
        search::prepareSearch(workspaceFolder, selectedFile(), dataset::current().code, copySqlMarked);
    if (!prepared.ok) {
        c_.tabs->setCurrentIndex(0);
        return;
    }
    SearchSQL = prepared.sql;
    searchTerms_ = prepared.terms;
    ui::BusyCursor busy;
    c_.panel->showLookupRunning();
    sort(search::kColName); // loads the result, the count and the panel
}

void SearchTabs::sort(int column) {
    c_.typeAhead->clear();
    if (column == search::kColSeq) return;
    markSortColumn(*c_.grid, column);
    c_.grid->setColumnCaption(search::kColExpires, search::expiresCaption(dataset::current().code));
    SortField = c_.grid->columnSpec(column).field;
    sortOrder_ = column == search::kColExpires ? ResultOrder::ByAnniversary : ResultOrder::ByValue;
    if (SearchSQL.isEmpty()) return;
    const QString sorted = search::sortedSearchSQL(SearchSQL, column);
    // The text stays the record source that print and export read; the recordset runs its parts.
    if (!sorted.isEmpty()) c_.result->RecordSourceTerms = search::sortedSearchTerms(searchTerms_, column);
    try {
        showResult(sorted.isEmpty() ? c_.result->RecordSource : sorted);
    } catch (const dao::DaoError& e) {
        // A search the database refuses is said and the list falls back to all records.
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        c_.tabs->setCurrentIndex(0);
    }
}

void SearchTabs::showResult(const QString& recordSource) {
    ui::BusyCursor busy;
    c_.result->RecordSource = recordSource;
    c_.result->Refresh();
    dao::Recordset* rs = c_.result->Recordset();
    try {
        countAllRows(*rs);
    } catch (const dao::DaoError&) {
        // A count the database refuses shows the rows counted so far; the grid grows as it reads.
    }
    c_.grid->rebind();
    const long long count = rs->RecordCount();
    c_.count->setText(QString::number(count));
    if (count == 0) c_.panel->clear(dataset::current().code);
}

} // namespace results
