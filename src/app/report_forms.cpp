#include "app/report_forms.h"

#include "app/master.h"
#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "printing/report_engine.h"
#include "printing/vkprint.h"
#include "printing/vksingle.h"

#include <QMdiArea>
#include <QPointer>

#include <memory>

namespace velk {

QWidget* AppReportForms::showPrintOptions() {
    MASTER* master = MASTER::instance();
    VKLIST* list = master ? master->listForm() : nullptr;
    // The engine lives as long as the form that drives it.
    auto engine = std::make_shared<printing::ReportPrinter>(master ? master->mdiArea : nullptr);
    auto* form = new VKPRINT(list ? VKPRINT::searchOf(*list) : printing::SearchToPrint(), dataset::current(),
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
