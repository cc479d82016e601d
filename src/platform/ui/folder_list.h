// The drive and folder lists of the original's forms. A "drive" is a place a user keeps files in:
// the home folder, the whole file system, a disk, a removable medium or a network share. The
// folder list shows the way from the root down to its folder, then the folder's subfolders; a
// double-click or Enter opens the folder picked. The opened folder is the list's path, the one a
// form works with: it stands out (bold, an open folder) whichever row is highlighted.
#pragma once

#include "platform/files/drives.h"

#include <QComboBox>
#include <QListWidget>

namespace ui {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    // The drives of this machine (files::pickableDrives).
    explicit DriveList(QWidget* parent = nullptr);
    // The drives given (tests).
    DriveList(const QVector<files::Drive>& drives, QWidget* parent);
    // The root folder of the drive shown, with a trailing "/".
    QString drive() const { return currentData().toString(); }
    // Shows the drive that holds path; emits driveChanged when that changes the drive shown.
    void setDrive(const QString& path);
    // The root, with a trailing "/", of the listed drive that holds path (the one nearest it).
    QString driveOf(const QString& path) const;
    void addDrive(const files::Drive& drive);

signals:
    void driveChanged();
};

class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);
    // The opened folder, without a trailing "/" except for the root "/".
    QString path() const { return path_; }
    // Opens folder; false, leaving the list as it was, when it is not a folder that can be read.
    bool setPath(const QString& folder);
    // The row of the opened folder.
    int pathRow() const { return pathRow_; }

signals:
    // Another folder was opened, by the user or by setPath.
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(QListWidgetItem* item);
    void fill();
    QString path_;
    int pathRow_ = -1;
};

} // namespace ui
