// VKNOTES, the notes backup form: backs up the open data set's notes and user fields into
// BACKUP<st>.MDB in the program folder (and copies it to another folder when asked), or restores or
// merges them from a backup there or in a chosen folder.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ui {
class DriveList;
class FolderList;
} // namespace ui

namespace maintenance {

class StateDatabaseUsers;

// The backup's path in folder: no doubled "/" after a root.
QString backupPathIn(const QString& folder, const QString& stateCode);

} // namespace maintenance

class VKNOTES : public QDialog {
    Q_OBJECT
public:
    // users, when given, let go of the state database while a restore or merge writes into it.
    explicit VKNOTES(QWidget* parent = nullptr, maintenance::StateDatabaseUsers* users = nullptr);
    ~VKNOTES() override;

    QFrame* SSFrame1 = nullptr;
    QRadioButton* Option1 = nullptr; // back up
    QRadioButton* Option2 = nullptr; // restore
    QRadioButton* Option3 = nullptr; // merge; outside SSFrame1
    QGroupBox* Frame1 = nullptr;     // "Optional"
    QCheckBox* Check1 = nullptr;     // another drive or folder
    QLabel* Label1 = nullptr;
    ui::DriveList* Drive1 = nullptr;
    ui::FolderList* Dir1 = nullptr;
    QLabel* lblPath = nullptr;    // "Current Path"
    QLineEdit* txtPath = nullptr; // the folder OK works with: Dir1's path
    QPushButton* OK = nullptr;
    QPushButton* CANCEL = nullptr;

    void Form_Load();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Check1_Click();
    void Drive1_Change();
    void Dir1_Change();
    void OK_Click();
    void CANCEL_Click();
    void UpdateNotesOptionControls();

private:
    enum class Action { Backup, Restore, Merge };
    void choose(QRadioButton* option);
    // The backup half of OK; false when the form must stay open.
    bool backUp(const QString& statePath, const QString& localPath, const QString& chosenPath);
    // The restore and merge half of OK; false when the form must stay open.
    bool bringBack(Action action, const QString& statePath, const QString& chosenPath);

    maintenance::StateDatabaseUsers* users_;
};
