#include "app/list_search_host.h"

#include "app/main_window.h"
#include "platform/ui/modal.h"
#include "results/list_form.h"

#include <QTabBar>

namespace velk {

namespace {

// One host for the one editor: it follows the list form the editor was last shown for.
ListSearchHost& hostFor(VKLIST& list) {
    static ListSearchHost host;
    host.setList(&list);
    return host;
}

} // namespace

QString ListSearchHost::workspaceFolder() const {
    return list_ ? list_->CURPATH : QString();
}

QString ListSearchHost::curSQLFile() const {
    return list_ ? list_->CurSQLFile : QString();
}

void ListSearchHost::setCurSQLFile(const QString& fileName) {
    if (list_) list_->CurSQLFile = fileName;
}

QString ListSearchHost::tabCaption(int k) const {
    return list_ ? list_->SSTab1->tabText(k) : QString();
}

QString ListSearchHost::searchFile(int k) const {
    return list_ ? list_->searchFile(k) : QString();
}

void ListSearchHost::SETTABS() {
    if (list_) list_->SETTABS();
}

void ListSearchHost::SetUpSQL() {
    if (list_) list_->SetUpSQL();
}

void ListSearchHost::selectTab(int k) {
    if (list_) list_->SSTab1->setCurrentIndex(k);
}

void ListSearchHost::showList() {
    if (!list_) return;
    if (MASTER* m = MASTER::instance(); m && m->listForm() == list_.data())
        m->showListForm();
    else
        list_->show();
}

void ListSearchHost::editLookup() {
    if (list_) velk::editLookup(*list_);
}

void newLookup(VKLIST& list) {
    list.SetCurSQLFile(true);
    editLookup(list);
}

void editLookup(VKLIST& list) {
    search::showLookupEditorModal(hostFor(list), &list);
}

void showEditDeleteDialog(VKLIST& list) {
    VKEDDEL dialog(hostFor(list), MASTER::instance());
    ui::showModal(dialog);
}

} // namespace velk
