#include "search/vkeddel.h"

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

namespace {

const QString kCaption = QStringLiteral("Edit/Delete Lookup");

} // namespace

VKEDDEL::VKEDDEL(search::SearchTabsHost& host, QWidget* parent)
    : QDialog(parent), List1(new QListWidget(this)), Command1(new QPushButton(QStringLiteral("Edit"), this)),
      Command2(new QPushButton(QStringLiteral("Delete"), this)),
      Command3(new QPushButton(QStringLiteral("Cancel"), this)), host_(host) {
    setWindowTitle(kCaption);
    List1->setGeometry(ui::twipsToPixels(QRect(600, 240, 1215, 2400)));
    Command1->setGeometry(ui::twipsToPixels(QRect(2520, 240, 1332, 372)));
    Command2->setGeometry(ui::twipsToPixels(QRect(2520, 840, 1332, 372)));
    Command3->setGeometry(ui::twipsToPixels(QRect(2520, 1560, 1332, 372)));
    Command1->setDefault(true);
    setFixedSize(ui::twipsToPixels(QSize(2520 + 1332 + 600, 240 + 2400 + 480)));
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

void VKEDDEL::Form_Activate() {
    std::array<QString, 10> captions;
    for (int k = 1; k <= search::kSearchTabs; ++k)
        captions[k] = host_.tabCaption(k);
    List1->clear();
    List1->addItems(search::editableTitles(captions));
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
    host_.setCurSQLFile(velk::SearchFiles[row + 1]);
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
        const QString name = velk::SearchFiles[row + 1];
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
