// The list form as the lookup editor sees it, and the ways the editor is opened on it: New Lookup,
// and the Edit button of "Edit/Delete Lookup".
#pragma once

#include "search/vklookup.h"

#include <QPointer>

class VKLIST;

namespace search {

class ListLookupHost : public LookupEditorHost {
public:
    explicit ListLookupHost(VKLIST* list = nullptr) : list_(list) {}
    void setList(VKLIST* list) { list_ = list; }
    VKLIST* list() const { return list_.data(); }

    QString workspaceFolder() const override;
    QString curSQLFile() const override;
    void SETTABS() override;
    void SetUpSQL() override;
    void selectTab(int k) override;
    void showList() override;

private:
    QPointer<VKLIST> list_;
};

// New Lookup: the list form is told that a new search is wanted and the editor is shown modally.
void newLookup(VKLIST& list);
// The editor on the saved search that the list form's CurSQLFile names.
void editLookup(VKLIST& list);

// Makes the Edit button of "Edit/Delete Lookup" open the editor on the main window's list form
// (or, without a main window, on the list form last given to newLookup or editLookup). Runs by
// itself when the application object is created; newLookup runs it again.
void installLookupEditor();

} // namespace search
