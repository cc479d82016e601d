#include "app/report_forms.h"

#include "app/main_window.h"
#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "printing/print_options.h"
#include "printing/report_engine.h"
#include "printing/single_record_form.h"
#include "results/list_form.h"

#include <QMdiArea>
#include <QPointer>

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
    // The engine lives as long as the form that drives it.
    auto engine = std::make_shared<printing::ReportPrinter>(master ? master->mdiArea : nullptr);
    auto* form = new VKPRINT(list ? searchToPrint(*list) : printing::SearchToPrint(), dataset::current(),
                             files::programFolder(), *engine, master);
    QObject::connect(form, &QDialog::finished, form, &QObject::deleteLater);
    QObject::connect(form, &QObject::destroyed, [engine] {});
    form->Form_Activate();
    form->show();
    return form;
}

QWidget* AppReportForms::showSingleRecord() {
    static QPointer<VKSINGLE> form;
    if (!form) {
        MASTER* master = MASTER::instance();
        QWidget* area = master ? master->mdiArea : nullptr;
        form = new VKSINGLE(std::make_unique<printing::ReportPrinter>(area), area, master);
    }
    form->show();
    return form;
}

printing::ReportForms& reportForms() {
    static AppReportForms forms;
    return forms;
}

} // namespace velk
