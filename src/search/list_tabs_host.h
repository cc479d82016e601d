// The list form as the edit/delete dialog sees it, and the dialog's showing from the main window.
#pragma once

#include "search/vkeddel.h"

class VKLIST;

namespace search {

class ListTabsHost : public SearchTabsHost {
public:
    explicit ListTabsHost(VKLIST& list) : list_(list) {}
    QString tabCaption(int k) const override;
    QString workspaceFolder() const override;
    void setCurSQLFile(const QString& fileName) override;
    void SETTABS() override;
    void selectTab(int k) override;
    void showList() override;

private:
    VKLIST& list_;
};

// Shows "Edit/Delete Lookup" modally for the list form (the Edit Search command and its button).
void showEditDeleteDialog(VKLIST& list);

} // namespace search
