#include "app/subsystem_forms.h"

#include "platform/ui/msgbox.h"
#include "results/export_place.h"

#include <stdexcept>

namespace velk {

namespace {

void notInstalled(const char* text) {
    ui::MsgBox(QString::fromLatin1(text), ui::vbOKOnly | ui::vbInformation);
}

SubsystemForms*& replacement() {
    static SubsystemForms* forms = nullptr;
    return forms;
}

} // namespace

void SubsystemForms::showPrintSearch() {
    notInstalled("Printing lookups is not installed yet.");
}

void SubsystemForms::showPrintManual() {
    notInstalled("Printing the manual is not installed yet.");
}

void SubsystemForms::showNotes(bool) {
    notInstalled("Backup and restore of user notes and fields is not installed yet.");
}

void SubsystemForms::showExport() {
    results::showExportForm();
}

void SubsystemForms::showUpgrade() {
    ui::MsgBox(QStringLiteral("No update is installed in this version of VELK."), ui::vbInformation);
}

void SubsystemForms::restoreUserData(const QString&, const QString&, const QString&) {
    throw std::runtime_error("restoring user notes and fields is not installed in this version of VELK");
}

SubsystemForms& subsystemForms() {
    static SubsystemForms builtIn;
    return replacement() ? *replacement() : builtIn;
}

void setSubsystemForms(SubsystemForms* forms) {
    replacement() = forms;
}

} // namespace velk
