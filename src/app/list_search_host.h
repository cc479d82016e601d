// The list form as the lookup editor and the edit/delete dialog see it, and the ways the main
// window opens them on it: New Lookup, Edit/Delete Lookup and, from there, the editor.
#pragma once

#include "search/edit_delete_dialog.h"
#include "search/lookup_editor.h"

#include <QPointer>

class VKLIST;

namespace velk {

class ListSearchHost : public search::LookupEditorHost, public search::SearchTabsHost {
public:
    explicit ListSearchHost(VKLIST* list = nullptr) : list_(list) {}
    void setList(VKLIST* list) { list_ = list; }
    VKLIST* list() const { return list_.data(); }

    QString workspaceFolder() const override;
    QString curSQLFile() const override;
    void setCurSQLFile(const QString& fileName) override;
    QString tabCaption(int k) const override;
    QString searchFile(int k) const override;
    void SETTABS() override;
    void SetUpSQL() override;
    void selectTab(int k) override;
    // The main window's list form is shown in the main window, any other one on its own.
    void showList() override;
    void editLookup() override;

private:
    QPointer<VKLIST> list_;
};

// New Lookup: the list form is told that a new search is wanted and the editor is shown modally.
void newLookup(VKLIST& list);
// The editor on the saved search that the list form's CurSQLFile names.
void editLookup(VKLIST& list);
// "Edit/Delete Lookup", shown modally for the list form (the Edit Search command and its button).
void showEditDeleteDialog(VKLIST& list);

} // namespace velk
