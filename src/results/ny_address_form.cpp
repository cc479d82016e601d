#include "results/ny_address_form.h"

#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/ui/centre.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

VKNYADDR::VKNYADDR(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("VKNYADDR"));
    Label1 = new QLabel(QStringLiteral("NY Full Address:"), this);
    ADDRESSES = new QPlainTextEdit(this);
    ADDRESSES->setObjectName(QStringLiteral("ADDRESSES"));
    // The lines are never written back, so the box does not offer editing.
    ADDRESSES->setReadOnly(true);
    ADDRESSES->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono = ADDRESSES->font();
    mono.setStyleHint(QFont::Monospace);
    mono.setFamily(QStringLiteral("monospace"));
    ADDRESSES->setFont(mono);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &VKNYADDR::Command1_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ADDRESSES, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(QFontMetrics(mono).horizontalAdvance(QString(40, QLatin1Char('M'))) + 40, 300);
    Form_Load();
}

VKNYADDR::~VKNYADDR() {
    Form_QueryUnload();
}

void VKNYADDR::Form_Load() {
    const QString path = files::findFileNoCase(files::programFolder(), QStringLiteral("VELKNY.MDB"));
    db_ = dao::Database::open(path, false, false, dataset::current().connect);
    addressesTb_ = db_->OpenTable(QStringLiteral("ADDRESSES"));
    addressesTb_->setIndex(QStringLiteral("PRIMARY"));
    ui::centerForm(*this);
}

void VKNYADDR::Form_Activate() {
    if (!addressesTb_) return;
    addressesTb_->Seek(QStringLiteral("="), {KEYFILE, KEYSEQ});
    if (addressesTb_->NoMatch()) return;
    // Each stored line ends in CR LF; the box breaks lines at LF alone.
    QString lines = addressesTb_->text(QStringLiteral("ADDRESSES"));
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (lines.endsWith(QLatin1Char('\n'))) lines.chop(1);
    ADDRESSES->setPlainText(lines);
}

void VKNYADDR::Command1_Click() {
    hide();
    done(QDialog::Accepted);
    Form_QueryUnload();
}

void VKNYADDR::Form_QueryUnload() {
    if (addressesTb_) {
        addressesTb_->Close();
        addressesTb_.reset();
    }
    if (db_) {
        db_->close();
        db_.reset();
    }
}

void VKNYADDR::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    QDialog::closeEvent(event);
}

namespace results {

void showFullAddress(const QString& file, const QString& sequence, const QString& name1, QWidget* parent) {
    std::unique_ptr<VKNYADDR> form;
    try {
        form = std::make_unique<VKNYADDR>(parent);
        form->KEYFILE = file;
        form->KEYSEQ = sequence;
        form->setWindowTitle(QStringLiteral("VKNYADDR - ") + name1);
        form->Form_Activate();
    } catch (const dao::DaoError& e) {
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbCritical);
        return;
    }
    ui::showModal(*form);
    form->Form_QueryUnload();
}

} // namespace results
