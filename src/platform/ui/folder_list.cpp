#include "platform/ui/folder_list.h"

#include "platform/ui/icons.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace ui {

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Each level of the way down stands a little further right, its folder picture with it.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.setLeft(option->rect.left() +
                             index.data(kDepthRole).toInt() * option->decorationSize.width());
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // The highlight runs the full width; the text and picture are indented.
        QStyleOptionViewItem back = option;
        back.text.clear();
        back.icon = QIcon();
        back.widget->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &back, painter, back.widget);
        QStyleOptionViewItem front = option;
        initStyleOption(&front, index);
        front.state &= ~QStyle::State_HasFocus;
        front.backgroundBrush = Qt::NoBrush;
        const QWidget* w = option.widget;
        w->style()->drawControl(QStyle::CE_ItemViewItem, &front, painter, w);
    }
};

bool holds(const QString& root, const QString& path) {
    return root == QLatin1String("/") || path == root.chopped(1) || path.startsWith(root);
}
} // namespace

DriveList::DriveList(QWidget* parent)
    : DriveList(files::pickableDrives(files::mountedFileSystems(), QDir::homePath()), parent) {}

DriveList::DriveList(const QVector<files::Drive>& drives, QWidget* parent) : QComboBox(parent) {
    for (const files::Drive& d : drives)
        addDrive(d);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit driveChanged(); });
}

void DriveList::addDrive(const files::Drive& drive) {
    if (findData(drive.root) < 0) addItem(drive.label, drive.root);
}

QString DriveList::driveOf(const QString& path) const {
    const QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (holds(root, folder) && root.size() > best.size()) best = root;
    }
    return best.isEmpty() ? QStringLiteral("/") : best;
}

void DriveList::setDrive(const QString& path) {
    const QString root = driveOf(path);
    if (findData(root) < 0) addItem(root, root);
    setCurrentIndex(findData(root));
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemDoubleClicked, this, &FolderList::open);
}

void FolderList::open(QListWidgetItem* item) {
    if (item) setPath(item->data(kPathRole).toString());
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    // Enter opens the highlighted folder, as a double-click does, rather than pressing the form's
    // default button with a folder that is not the one shown as used.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        open(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool FolderList::setPath(const QString& folder) {
    const QFileInfo fi(folder);
    if (folder.isEmpty() || !fi.isDir() || !fi.isReadable() || !fi.isExecutable()) return false;
    path_ = QDir::cleanPath(fi.absoluteFilePath());
    fill();
    emit pathChanged();
    return true;
}

void FolderList::fill() {
    clear();
    // The way down from the root, each level indented a little further, then the subfolders.
    const QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QIcon closed = themedIcon(QStringLiteral("folder"));
    auto add = [this, &closed](const QString& text, const QString& path, int depth) {
        auto* item = new QListWidgetItem(closed, text, this);
        item->setData(kPathRole, path);
        item->setData(kDepthRole, depth);
        return item;
    };
    QString at = QStringLiteral("/");
    add(QStringLiteral("/"), at, 0);
    for (int i = 0; i < parts.size(); ++i) {
        at = (at == QLatin1String("/") ? at : at + QLatin1Char('/')) + parts[i];
        add(parts[i], at, i + 1);
    }
    pathRow_ = count() - 1;
    QListWidgetItem* opened = item(pathRow_);
    QFont bold = opened->font();
    bold.setBold(true);
    opened->setFont(bold);
    opened->setIcon(themedIcon(QStringLiteral("folder-open")));
    setCurrentRow(pathRow_);
    const QDir dir(path_);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(sub, dir.filePath(sub), int(parts.size()) + 1);
}

} // namespace ui
