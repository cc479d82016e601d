// VKWSPACE, the workspace and data set dialog: chooses the workspace folder and the state code,
// remembers the choice in VELK.INI, creates and deletes workspaces.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class VKWSPACE : public QDialog {
    Q_OBJECT
public:
    explicit VKWSPACE(QWidget* parent = nullptr);
    ~VKWSPACE() override;

    QLabel* Label1 = nullptr;
    QComboBox* WORKSPACE = nullptr; // editable: a new name can be typed
    QLabel* Label2 = nullptr;
    QComboBox* STATE = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* DELETE = nullptr;
    QPushButton* Command1 = nullptr; // Help
    QPushButton* cmdExit = nullptr;

    // The one way to show the dialog: clears velk::WorkspaceChosen, runs the activation and shows
    // the dialog modally. Afterwards velk::WorkspaceChosen tells whether OK accepted a choice.
    int showModal();

    void Form_Load();
    void Form_Activate();
    void OK_Click();
    void DELETE_Click();
    void Command1_Click();
    void cmdExit_Click();

private:
    bool WorkspaceInList() const;
    // The folder the workspaces lie in: the program folder.
    static QString programFolder();
};
