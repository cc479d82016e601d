// The drive and folder lists of the original's forms. A "drive" here is the root folder of a
// mounted file system; the folder list shows the way from that root down to its folder, then the
// folder's subfolders, and a double-click moves into the folder clicked.
#pragma once

#include <QComboBox>
#include <QListWidget>

namespace ui {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
    // The root folder shown, with a trailing "/".
    QString drive() const { return currentText(); }
    // Shows the drive that holds path (listing it when it is new); emits driveChanged when that
    // changes the drive shown.
    void setDrive(const QString& path);
    // The root, with a trailing "/", of the mounted file system that holds path.
    static QString driveOf(const QString& path);

signals:
    void driveChanged();
};

class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);
    // The folder shown, without a trailing "/" except for the root "/".
    QString path() const { return path_; }
    // Shows folder; false, leaving the list as it was, when it is not a folder that can be read.
    bool setPath(const QString& folder);

signals:
    void pathChanged();

private:
    void fill();
    QString path_;
};

} // namespace ui
