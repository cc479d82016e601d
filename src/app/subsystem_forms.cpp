#include "app/subsystem_forms.h"

#include "app/globals.h"
#include "app/main_window.h"
#include "app/report_forms.h"
#include "app/splash_form.h"
#include "dataset/data_set.h"
#include "export/export_form.h"
#include "maintenance/notes_backup_form.h"
#include "maintenance/update_form.h"
#include "maintenance/user_data.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/grid/data_control.h"
#include "platform/ui/form_slot.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "printing/manual_form.h"
#include "printing/print_options.h"
#include "printing/print_run.h"
#include "printing/report_engine.h"
#include "results/list_form.h"

#include <QMdiArea>

namespace velk {

namespace {

SubsystemForms*& replacement() {
    static SubsystemForms* forms = nullptr;
    return forms;
}

} // namespace

void SubsystemForms::showPrintSearch() {
    MASTER* master = MASTER::instance();
    VKLIST* list = master ? master->listForm() : nullptr;
    // Previews open as windows of the main window, beside the list.
    printing::ReportPrinter engine(master ? master->mdiArea : nullptr);
    VKPRINT form(list ? searchToPrint(*list) : printing::SearchToPrint(), dataset::current(),
                 files::programFolder(), engine, master);
    form.showModal();
}

void SubsystemForms::printRecord(VKLIST& list) {
    const dao::Recordset* record = list.currentRecord();
    if (!record) return;
    MASTER* master = MASTER::instance();
    printing::ReportPrinter engine(master ? master->mdiArea : nullptr);
    printing::printRecord(record->text(QStringLiteral("FILE")), record->text(QStringLiteral("SEQUENCE")),
                          dataset::current(), files::programFolder(), engine, &list);
}

void SubsystemForms::showPrintManual() {
    VKMANUAL form(files::programFolder(), MASTER::instance());
    ui::showModal(form);
}

void SubsystemForms::showNotes(bool modal) {
    // A window of the main window, gone when it closes.
    static ui::FormSlot<VKNOTES> notes;
    if (!notes) {
        MASTER* master = MASTER::instance();
        notes.load(master, master);
        notes.unloadOnClose();
    }
    VKNOTES* form = notes.loaded();
    if (modal) {
        ui::showModal(*form);
    } else {
        form->show();
        form->raise();
        form->activateWindow();
    }
}

void SubsystemForms::showExport() {
    MASTER* master = MASTER::instance();
    VKLIST* list = master ? master->listForm() : nullptr;
    if (!list || !list->SFILE) return;
    VKEXPORT form(list->SFILE->RecordSource, dataset::current(), files::programFolder(), master->MyDocuments,
                  master);
    form.Form_Activate();
    ui::showModal(form);
}

void SubsystemForms::showUpgrade() {
    MASTER* master = MASTER::instance();
    bool endProgram = false;
    {
        VKUPGRD form(master, master);
        ui::showModal(form);
        UpgradeDone = form.upgradeDone();
        endProgram = form.endProgram();
        if (form.cancelled()) TITLE::unload();
    }
    if (!master) return;
    // Program files were replaced, or the install broke off part way: the program starts afresh.
    if (endProgram)
        master->endProgram(0);
    // An install that stopped before it changed anything has let go of the list: it comes back.
    else if (!UpgradeDone)
        master->resumeStateDatabase();
}

void SubsystemForms::restorePendingBackup(const QString& mainDbPath, const QString& backupDbPath,
                                          const dataset::DataSet& set) {
    // The list form of the data set chosen before would hold the database open; the hand-over to
    // the new choice loads it afresh.
    if (MASTER* master = MASTER::instance()) master->releaseStateDatabase();
    maintenance::RestorePendingUserData(mainDbPath, backupDbPath, set.code, set.connect);
}

SubsystemForms& subsystemForms() {
    static SubsystemForms builtIn;
    return replacement() ? *replacement() : builtIn;
}

void setSubsystemForms(SubsystemForms* forms) {
    replacement() = forms;
}

} // namespace velk
