#include "platform/ui/folder_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace ui {

namespace {
QString withSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}
constexpr int kPathRole = Qt::UserRole;
} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && findText(withSlash(v.rootPath())) < 0)
            addItem(withSlash(v.rootPath()));
    connect(this, &QComboBox::currentTextChanged, this, [this] { emit driveChanged(); });
}

QString DriveList::driveOf(const QString& path) {
    const QStorageInfo v(path);
    return v.isValid() ? withSlash(v.rootPath()) : QStringLiteral("/");
}

void DriveList::setDrive(const QString& path) {
    const QString root = driveOf(path);
    if (findText(root) < 0) addItem(root);
    setCurrentIndex(findText(root));
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (setPath(item->data(kPathRole).toString())) emit pathChanged();
    });
}

bool FolderList::setPath(const QString& folder) {
    const QFileInfo fi(folder);
    if (folder.isEmpty() || !fi.isDir() || !fi.isReadable() || !fi.isExecutable()) return false;
    path_ = QDir::cleanPath(fi.absoluteFilePath());
    fill();
    return true;
}

void FolderList::fill() {
    clear();
    // The way down from the root, each level indented a little further, then the subfolders.
    QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString at = QStringLiteral("/");
    auto add = [this](const QString& text, const QString& path, int depth) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + text, this);
        item->setData(kPathRole, path);
        return item;
    };
    add(QStringLiteral("/"), at, 0);
    for (int i = 0; i < parts.size(); ++i) {
        at = withSlash(at) + parts[i];
        add(parts[i], at, i + 1);
    }
    setCurrentRow(count() - 1);
    const QDir dir(path_);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(sub, dir.filePath(sub), int(parts.size()) + 1);
}

} // namespace ui
