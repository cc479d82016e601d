#include "search/list_tabs_host.h"

#include "app/master.h"
#include "platform/ui/modal.h"
#include "results/vklist.h"

#include <QTabBar>

namespace search {

QString ListTabsHost::tabCaption(int k) const {
    return list_.SSTab1->tabText(k);
}

QString ListTabsHost::workspaceFolder() const {
    return list_.CURPATH;
}

void ListTabsHost::setCurSQLFile(const QString& fileName) {
    list_.CurSQLFile = fileName;
}

void ListTabsHost::SETTABS() {
    list_.SETTABS();
}

void ListTabsHost::selectTab(int k) {
    list_.SSTab1->setCurrentIndex(k);
}

void ListTabsHost::showList() {
    if (MASTER* m = MASTER::instance(); m && m->listForm() == &list_)
        m->showListForm();
    else
        list_.show();
}

void showEditDeleteDialog(VKLIST& list) {
    ListTabsHost host(list);
    VKEDDEL dialog(host, MASTER::instance());
    ui::showModal(dialog);
}

} // namespace search
