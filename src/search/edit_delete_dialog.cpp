#include "search/edit_delete_dialog.h"

#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "search/search_file.h"
#include "search/search_list.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

namespace {

const QString kCaption = QStringLiteral("Edit/Delete Lookup");

} // namespace

VKEDDEL::VKEDDEL(search::SearchTabsHost& host, QWidget* parent)
    : QDialog(parent), List1(new QListWidget(this)), Command1(new QPushButton(QStringLiteral("Edit"), this)),
      Command2(new QPushButton(QStringLiteral("Delete"), this)),
      Command3(new QPushButton(QStringLiteral("Cancel"), this)), host_(host) {
    setWindowTitle(kCaption);
    Command1->setDefault(true);
    placeControls(0);
    connect(Command1, &QPushButton::clicked, this, &VKEDDEL::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &VKEDDEL::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &VKEDDEL::Command3_Click);
    ui::centerForm(*this);
}

void VKEDDEL::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Form_Activate();
    }
}

// The list is as wide as its longest title (within reason) and the buttons stand beside it, so
// titles that begin alike can be told apart.
void VKEDDEL::placeControls(int widestTitle) {
    const int minimum = ui::twipsToPixels(3600);
    const int maximum = ui::twipsToPixels(9000);
    const int chrome = 2 * List1->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    const int listWidth = qBound(minimum, widestTitle + chrome, maximum);
    const int left = ui::twipsToPixels(600);
    const int top = ui::twipsToPixels(240);
    List1->setGeometry(left, top, listWidth, ui::twipsToPixels(2400));
    const int buttons = left + listWidth + ui::twipsToPixels(480);
    const int width = ui::twipsToPixels(1332);
    const int height = ui::twipsToPixels(372);
    Command1->setGeometry(buttons, ui::twipsToPixels(240), width, height);
    Command2->setGeometry(buttons, ui::twipsToPixels(840), width, height);
    Command3->setGeometry(buttons, ui::twipsToPixels(1560), width, height);
    setFixedSize(buttons + width + left, top + ui::twipsToPixels(2400 + 480));
}

void VKEDDEL::Form_Activate() {
    std::array<QString, 10> captions;
    for (int k = 1; k <= search::kSearchTabs; ++k)
        captions[k] = host_.tabCaption(k);
    List1->clear();
    List1->addItems(search::editableTitles(captions));
    int widest = 0;
    for (int i = 0; i < List1->count(); ++i)
        widest = qMax(widest, List1->fontMetrics().horizontalAdvance(List1->item(i)->text()));
    placeControls(widest);
    ui::centerForm(*this);
}

void VKEDDEL::unload() {
    activated_ = false;
    done(QDialog::Accepted);
}

void VKEDDEL::Command1_Click() {
    const int row = List1->currentRow();
    if (row < 0 || !List1->currentItem()->isSelected()) {
        ui::MsgBox(QStringLiteral("No lookup selected!"), ui::vbOKOnly);
        return;
    }
    host_.setCurSQLFile(host_.searchFile(row + 1));
    unload();
    host_.editLookup();
}

void VKEDDEL::Command2_Click() {
    const int row = List1->currentRow();
    if (row < 0 || !List1->currentItem()->isSelected()) {
        ui::MsgBox(QStringLiteral("No lookup selected!"), ui::vbOKOnly);
        return;
    }
    if (ui::MsgBox(QStringLiteral("Delete this lookup?"),
                   ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2, kCaption) == ui::vbYes) {
        const QString name = host_.searchFile(row + 1);
        const QString path = files::joinPath(host_.workspaceFolder(), name);
        if (!name.isEmpty()) {
            QFile file(path);
            // A search file already gone counts as deleted; any other failure is said, not hidden.
            if (file.exists() && !file.remove())
                ui::MsgBox(
                    QStringLiteral("Cannot delete the saved search %1: %2").arg(path, file.errorString()),
                    ui::vbOKOnly | ui::vbExclamation, kCaption);
            QFile::remove(files::joinPath(host_.workspaceFolder(), search::twinName(name)));
        }
        host_.SETTABS();
        host_.selectTab(0);
    }
    unload();
    host_.showList();
}

void VKEDDEL::Command3_Click() {
    unload();
    host_.SETTABS();
    host_.showList();
}

void VKEDDEL::reject() {
    Command3_Click();
}
