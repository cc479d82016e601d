#include "platform/ui/file_dialog_size.h"

#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

namespace ui {

void fitFileDialog(QFileDialog& dialog) {
    const QWidget* owner = dialog.parentWidget();
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    QSize size(900, 560);
    if (screen) size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
    // The details keep the width of their longest values; the name takes the rest.
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!details) return; // the system's own dialog sizes itself
    QHeaderView* header = details->header();
    const QFontMetrics metrics = details->fontMetrics();
    const QString date =
        QLocale::system().toString(QDateTime(QDate(2026, 12, 30), QTime(23, 59)), QLocale::ShortFormat);
    const int pad = 3 * metrics.averageCharWidth();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const std::pair<int, QString> widths[] = {
        {1, QStringLiteral("1,023.9 KiB")}, {2, QStringLiteral("Folder pdf File")}, {3, date}};
    for (const auto& [column, sample] : widths) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        header->resizeSection(column, metrics.horizontalAdvance(sample) + pad);
    }
}

} // namespace ui
