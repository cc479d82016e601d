#include "search/list_form_host.h"

#include "app/master.h"
#include "results/vklist.h"
#include "search/vkeddel.h"

#include <QCoreApplication>
#include <QTabBar>

namespace search {

namespace {

// One adapter for the one editor: it follows the list form the editor was last shown for.
ListLookupHost& sharedHost() {
    static ListLookupHost host;
    return host;
}

ListLookupHost& hostFor(VKLIST& list) {
    sharedHost().setList(&list);
    return sharedHost();
}

void editOnListForm() {
    VKLIST* list = nullptr;
    if (MASTER* m = MASTER::instance()) list = m->listForm();
    if (!list) list = sharedHost().list();
    if (list) editLookup(*list);
}

} // namespace

QString ListLookupHost::workspaceFolder() const {
    return list_ ? list_->CURPATH : QString();
}

QString ListLookupHost::curSQLFile() const {
    return list_ ? list_->CurSQLFile : QString();
}

void ListLookupHost::SETTABS() {
    if (list_) list_->SETTABS();
}

void ListLookupHost::SetUpSQL() {
    if (list_) list_->SetUpSQL();
}

void ListLookupHost::selectTab(int k) {
    if (list_ && list_->SSTab1) list_->SSTab1->setCurrentIndex(k);
}

void ListLookupHost::showList() {
    if (!list_) return;
    if (MASTER* m = MASTER::instance(); m && m->listForm() == list_.data())
        m->showListForm();
    else
        list_->show();
}

void newLookup(VKLIST& list) {
    installLookupEditor();
    list.SetCurSQLFile(true);
    showLookupEditorModal(hostFor(list), &list);
}

void editLookup(VKLIST& list) {
    showLookupEditorModal(hostFor(list), &list);
}

void installLookupEditor() {
    showLookupEditor = editOnListForm;
}

} // namespace search

// Installed as soon as the application object exists (after every static initialisation), so
// Edit works even before the first New Lookup.
namespace {
void installLookupEditorAtStart() {
    search::installLookupEditor();
}
} // namespace
Q_COREAPP_STARTUP_FUNCTION(installLookupEditorAtStart)
