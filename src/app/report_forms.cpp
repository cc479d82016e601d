#include "app/report_forms.h"

#include "app/main_window.h"
#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "platform/ui/form_slot.h"
#include "printing/print_options.h"
#include "printing/report_engine.h"
#include "printing/single_record_form.h"
#include "results/list_form.h"

#include <QMdiArea>

#include <memory>

namespace velk {

printing::SearchToPrint searchToPrint(VKLIST& list) {
    printing::SearchToPrint search;
    search.sql = list.SFILE->RecordSource;
    search.title = list.SSTab1->tabText(list.SSTab1->currentIndex());
    dao::Recordset* rs = list.SFILE->Recordset();
    if (!rs || search.sql.isEmpty() || (rs->atBOF() && rs->atEOF())) return search;
    // Counted at the last row, then back to the row the list shows.
    const bool onRow = !rs->atBOF() && !rs->atEOF();
    const dao::Bookmark here = onRow ? rs->bookmark() : dao::Bookmark();
    rs->MoveLast();
    search.count = rs->RecordCount();
    if (onRow)
        rs->setBookmark(here);
    else
        rs->MoveFirst();
    return search;
}

QWidget* AppReportForms::showPrintOptions() {
    MASTER* master = MASTER::instance();
    VKLIST* list = master ? master->listForm() : nullptr;
    static ui::FormSlot<VKPRINT> print;
    if (!print) {
        // The engine lives as long as the form that drives it.
        auto engine = std::make_shared<printing::ReportPrinter>(master ? master->mdiArea : nullptr);
        QObject::connect(&print.load(list ? searchToPrint(*list) : printing::SearchToPrint(),
                                     dataset::current(), files::programFolder(), *engine, master),
                         &QObject::destroyed, [engine] {});
        print.unloadOnClose();
        print->Form_Activate();
    }
    // A second request while the form is up brings it to the front as the user left it.
    print->show();
    print->raise();
    print->activateWindow();
    return print.loaded();
}

QWidget* AppReportForms::showSingleRecord() {
    // Kept between showings: showing it again while it is up does not print again.
    static ui::FormSlot<VKSINGLE> single;
    if (!single) {
        MASTER* master = MASTER::instance();
        QWidget* area = master ? master->mdiArea : nullptr;
        single.load(std::make_unique<printing::ReportPrinter>(area), area, master);
    }
    single->show();
    return single.loaded();
}

printing::ReportForms& reportForms() {
    static AppReportForms forms;
    return forms;
}

} // namespace velk
