// VKEDDEL, "Edit/Delete Lookup": opens a saved search in the lookup editor or deletes it.
#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

namespace search {

// What the dialog needs of the list form; the application implements it.
class SearchTabsHost {
public:
    virtual ~SearchTabsHost() = default;
    virtual QString tabCaption(int k) const = 0; // tabs 1 to 9 of SSTab1
    virtual QString workspaceFolder() const = 0; // CURPATH
    virtual QString searchFile(int k) const = 0; // the saved search behind tab k; "" for none
    virtual void setCurSQLFile(const QString& fileName) = 0;
    virtual void SETTABS() = 0;
    virtual void selectTab(int k) = 0;
    virtual void showList() = 0;
    // Shows the lookup editor modally on the saved search that CurSQLFile names.
    virtual void editLookup() = 0;
};

} // namespace search

class VKEDDEL : public QDialog {
    Q_OBJECT
public:
    explicit VKEDDEL(search::SearchTabsHost& host, QWidget* parent = nullptr);

    QListWidget* List1;
    QPushButton* Command1; // "Edit"
    QPushButton* Command2; // "Delete"
    QPushButton* Command3; // "Cancel"

    void Form_Activate(); // fills List1; run once per showing
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // Esc answers Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placeControls(int widestTitle);
    void unload();
    search::SearchTabsHost& host_;
    bool activated_ = false;
};
