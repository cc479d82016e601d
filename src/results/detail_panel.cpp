#include "results/detail_panel.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "platform/ui/twips.h"
#include "results/list_grids.h"
#include "results/panel_rules.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace results {

namespace {

QLineEdit* box(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    return e;
}

} // namespace

DetailPanel::DetailPanel(QWidget* parent) : QWidget(parent) {
    MFILE = new grid::DataControl(this);
    MFILE->RecordSource = QStringLiteral("MODS");
    MFILE->RecordsetType = dao::RecordsetType::Snapshot;
    TDBGrid2 = new grid::DataGrid(this);
    TDBGrid2->bind(MFILE, modsColumns());
    TDBGrid2->setSelectionMode(QAbstractItemView::NoSelection);
    TDBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    TDBGrid2->setMinimumHeight(TDBGrid2->horizontalHeader()->sizeHint().height() +
                               4 * TDBGrid2->verticalHeader()->defaultSectionSize() + 2 * TDBGrid2->frameWidth());

    ADDRESS = new QPlainTextEdit(this);
    ADDRESS->setReadOnly(true);
    ADDRESS->setLineWrapMode(QPlainTextEdit::NoWrap);
    ADDRESS->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room for the longest block (two name lines, the street and the city line) and no more.
    ADDRESS->setFixedHeight(4 * ADDRESS->fontMetrics().lineSpacing() +
                            2 * (ADDRESS->frameWidth() + int(ADDRESS->document()->documentMargin())) + 2);
    Label3 = new QLabel(QStringLiteral("Phone:"), this);
    PHONE = box(this);
    lblFax = new QLabel(QStringLiteral("Fax:"), this);
    txtFax = box(this);
    Label6 = new QLabel(QStringLiteral("Contact:"), this);
    CONTACT = box(this);
    Label4 = new QLabel(QStringLiteral("Title:"), this);
    TITLE = box(this);
    Label2 = new QLabel(QStringLiteral("Associated Companies"), this);
    Label5 = new QLabel(QStringLiteral("See Notes"), this);
    Label8 = new QLabel(QStringLiteral("Assigned Risk"), this);
    Label9 = new QLabel(QStringLiteral("Interstate"), this);
    Label10 = new QLabel(QStringLiteral("Revised"), this);

    Command1 = new QPushButton(QStringLiteral("More Info..."), this);
    FULLADDR = new QPushButton(QStringLiteral("Full Address"), this);
    EXPORTCUR = new QPushButton(QStringLiteral("Export Record"), this);
    PRINTCUR = new QPushButton(QStringLiteral("Print Record"), this);
    MarkIt = new QPushButton(QStringLiteral("Exclude"), this);
    FULLADDR->setEnabled(false);
    setRecordButtons(false, dataset::current().code);

    // Every flag and button keeps its place while hidden, so nothing moves from record to record
    // or tab to tab and a click never lands on a control that slid under the mouse.
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, Label5, Label8, Label9, Label10, TDBGrid2,
                                                      EXPORTCUR, MarkIt}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    for (QLabel* l : {Label2, Label5, Label8, Label9, Label10})
        l->hide();
    MarkIt->hide();

    auto* flags = new QVBoxLayout;
    for (QLabel* l : {Label2, Label8, Label5, Label9, Label10})
        flags->addWidget(l);
    flags->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(ADDRESS, 1);
    top->addLayout(flags);

    auto* contacts = new QGridLayout;
    contacts->addWidget(Label3, 0, 0);
    contacts->addWidget(PHONE, 0, 1);
    contacts->addWidget(lblFax, 0, 2);
    contacts->addWidget(txtFax, 0, 3);
    contacts->addWidget(Label6, 1, 0);
    contacts->addWidget(CONTACT, 1, 1);
    contacts->addWidget(Label4, 1, 2);
    contacts->addWidget(TITLE, 1, 3);
    contacts->setColumnStretch(1, 1);
    contacts->setColumnStretch(3, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(top);
    left->addLayout(contacts);
    left->addWidget(TDBGrid2, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {Command1, FULLADDR, PRINTCUR, EXPORTCUR, MarkIt})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* panel = new QHBoxLayout(this);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addLayout(left, 1);
    panel->addLayout(buttons);
}

void DetailPanel::load(dao::Database* db, const QString& state) {
    MFILE->setDatabase(db);
    TDBGrid2->setColumnVisible(1, !dataset::isNewYork(state));
    TDBGrid2->setColumnCaption(3, dataset::hasMeritClasses(state) ? QStringLiteral("Merit Class")
                                                                  : QStringLiteral("MOD"));
}

void DetailPanel::setRecordButtons(bool enabled, const QString& state) {
    Command1->setEnabled(enabled);
    if (dataset::isNewYork(state)) FULLADDR->setEnabled(enabled);
    PRINTCUR->setEnabled(enabled);
    MarkIt->setEnabled(enabled);
    EXPORTCUR->setEnabled(enabled);
}

void DetailPanel::clear(const QString& state) {
    TDBGrid2->hide();
    MFILE->Close();
    setAddressMarked(false);
    ADDRESS->clear();
    PHONE->clear();
    txtFax->clear();
    CONTACT->clear();
    TITLE->clear();
    for (QLabel* l : {Label2, Label5, Label8, Label9, Label10})
        l->hide();
    setRecordButtons(false, state);
}

void DetailPanel::fillModsGrid(const QString& file, const QString& sequence, PanelTab tab,
                               const QString& state) {
    const ModsHeadings h = modsHeadings(state);
    TDBGrid2->setColumnCaption(2, h.col2Caption);
    TDBGrid2->setColumnCaption(1, h.col1Caption);
    TDBGrid2->setColumnFormat(1, h.col1Format);
    TDBGrid2->show();
    MFILE->RecordSource = modsRecordSource(file, sequence, tab);
    try {
        MFILE->Refresh();
        // A record has a handful of mods: count them all so the grid shows every one at once.
        countAllRows(*MFILE->Recordset());
        TDBGrid2->rebind();
    } catch (const dao::DaoError&) {
        TDBGrid2->hide();
    }
}

void DetailPanel::fillRecordText(const FieldReader& field, PanelTab tab, std::optional<int> noteLength,
                                 const QString& state) {
    ADDRESS->setPlainText(addressLines(field, tab).join(QLatin1Char('\n')));
    PHONE->setText(contactBoxText(field("PHONE"), field("UserPhone"), kPhoneBlanks, tab));
    txtFax->setText(contactBoxText(field("FAX"), field("UserFax"), kFaxBlanks, tab));
    CONTACT->setText(contactBoxText(field("CONTACT"), field("UserContact"), kContactBlanks, tab));
    TITLE->setText(contactBoxText(field("TITLE"), field("UserTitle"), kTitleBlanks, tab));
    showStarts();
    Label2->setVisible(field("ASSOCIATES").toBool());
    Label5->setVisible(seeNotesShown(noteLength));
    if (dataset::isNewYork(state)) {
        // A flag that cannot be read leaves its label as it was.
        const QVariant interstate = field("INTERSTATE"), revised = field("REVISED");
        if (interstate.isValid()) Label9->setVisible(interstate.toBool());
        if (revised.isValid()) Label10->setVisible(revised.toBool());
    }
}

void DetailPanel::fillAllRecords(const FieldReader& field, std::optional<int> noteLength,
                                 const QString& state) {
    setRecordButtons(true, state);
    setAddressMarked(addressMarked(field(QStringLiteral("User1"))));
    fillRecordText(field, PanelTab::AllRecords, noteLength, state);
    Label8->setVisible(assignedRiskShown(field("NJAR")));
    fillModsGrid(field("FILE").toString(), field("SEQUENCE").toString(), PanelTab::AllRecords, state);
}

void DetailPanel::fillSearch(const FieldReader& field, std::optional<int> noteLength, const QString& state) {
    // The colour tells about the record shown, on every tab, never about one shown before.
    setAddressMarked(addressMarked(field(QStringLiteral("User1"))));
    fillRecordText(field, PanelTab::Search, noteLength, state);
    if (dataset::isNewJersey(state)) Label8->setVisible(assignedRiskShown(field("NJAR")));
    fillModsGrid(field("FILE").toString(), field("SEQUENCE").toString(), PanelTab::Search, state);
    MarkIt->setText(markItCaption(field("Omit")));
    setRecordButtons(true, state);
}

void DetailPanel::showStarts() {
    for (QLineEdit* b : {PHONE, txtFax, CONTACT, TITLE})
        b->setCursorPosition(0);
}

void DetailPanel::setAddressMarked(bool marked) {
    QPalette pal = ADDRESS->palette();
    pal.setColor(QPalette::Base, marked ? addressOverrideColor() : palette().color(QPalette::Base));
    ADDRESS->setPalette(pal);
}

void DetailPanel::setContact(const PanelRefresh& refresh) {
    ADDRESS->setPlainText(refresh.addressLines.join(QLatin1Char('\n')));
    PHONE->setText(refresh.PHONE);
    txtFax->setText(refresh.txtFax);
    CONTACT->setText(refresh.CONTACT);
    TITLE->setText(refresh.TITLE);
    showStarts();
}

void DetailPanel::showLookupRunning() {
    QPalette pal = ADDRESS->palette();
    pal.setColor(QPalette::Text, QColor(255, 0, 0));
    ADDRESS->setPalette(pal);
    ADDRESS->setPlainText(QString(22, QLatin1Char(' ')) + QStringLiteral("*** PERFORMING LOOKUP ***\r\n"));
    ADDRESS->repaint();
    pal.setColor(QPalette::Text, QColor(0, 0, 0));
    ADDRESS->setPalette(pal);
}

void DetailPanel::arrangeFor(bool allRecords, bool hasRow, const QString& state) {
    TDBGrid2->raise();
    MarkIt->setVisible(!allRecords);
    EXPORTCUR->setVisible(allRecords);
    FULLADDR->setEnabled(dataset::isNewYork(state) && hasRow);
}

} // namespace results
