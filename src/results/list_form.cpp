#include "results/list_form.h"

#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "results/command_availability.h"
#include "results/command_surface.h"
#include "results/exclusion_mark.h"
#include "results/list_grids.h"
#include "results/panel_rules.h"
#include "results/record_commands.h"
#include "results/type_ahead.h"
#include "search/search_list.h"
#include "search/search_sort.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kLockedNote = QStringLiteral("***LOCKED***");
const QString kLockMessage = QStringLiteral(
    "Another user is working with data which affects your notes.  Try again later to view your information.");

const QString kRecordGone = QStringLiteral(
    "This record is no longer in the data set (another user may have loaded a new release), so nothing "
    "was marked.  Run the search again to see the records as they are now.");
const QString kReadOnlyNote = QStringLiteral("The notes are shown read-only: ");
const QString kChangedMessage =
    QStringLiteral("Another user changed this note while it was open here.  Your text is still in the box: "
                   "press OK again to save it in place of theirs, or close the form to keep theirs.");

using results::hasCurrentRow;

// A field of the current row, Null when it cannot be read.
QVariant fieldOf(dao::Recordset* rs, const QString& name) {
    try {
        return rs->value(name);
    } catch (const dao::DaoError&) {
        return {};
    }
}

QString state() {
    return dataset::current().code;
}

} // namespace

VKLIST::VKLIST(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VKLIST"));
    // The list window's own title bar shows it when the window is not maximised.
    setWindowTitle(QStringLiteral("Employer List"));
    GFILE = new grid::DataControl(this);
    GFILE->RecordSource = QStringLiteral("PRIME");
    GFILE->RecordsetType = dao::RecordsetType::Table;
    SFILE = new grid::DataControl(this);
    SFILE->Caption = QStringLiteral("SEARCH DATA");
    SFILE->RecordsetType = dao::RecordsetType::Dynaset;
    buildForm();
    tabs_ = std::make_unique<results::SearchTabs>(
        results::SearchTabs::Controls{SSTab1, SFILE, TDBGrid4, VIEWCOUNT, SFOR, panel});
    Form_Load();
}

VKLIST::~VKLIST() {
    Form_Unload();
}

void VKLIST::buildForm() {
    SSTab1 = new results::TabRows(5, this);
    SSTab1->addTab(QStringLiteral("View All"));
    for (int i = 1; i <= 9; ++i)
        SSTab1->addTab(QStringLiteral("Tab %1").arg(i));

    Label1 = new QLabel(QStringLiteral("Search for"), this);
    SFOR = new QLineEdit(this);
    Label7 = new QLabel(QStringLiteral("Record Count:"), this);
    VIEWCOUNT = new QLineEdit(this);
    VIEWCOUNT->setReadOnly(true);
    VIEWCOUNT->setMaximumWidth(ui::twipsToPixels(1400));

    TDBGrid1 = new grid::DataGrid(this);
    TDBGrid1->bind(GFILE, results::allRecordsColumns());
    TDBGrid4 = new grid::DataGrid(this);
    TDBGrid4->bind(SFILE, results::searchColumns());
    TDBGrid4->boundModel()->setRowStyle([this](int row) { return TDBGrid4_FetchRowStyle(row); });
    TDBGrid4->hide();
    results::fitListColumns(*TDBGrid1, QStringLiteral("NORTHUMBERLAND "));
    results::fitListColumns(*TDBGrid4, QStringLiteral("Anniversary"));

    panel = new results::DetailPanel(this);
    MFILE = panel->MFILE;
    TDBGrid2 = panel->TDBGrid2;
    ADDRESS = panel->ADDRESS;
    Label3 = panel->Label3;
    PHONE = panel->PHONE;
    lblFax = panel->lblFax;
    txtFax = panel->txtFax;
    Label6 = panel->Label6;
    CONTACT = panel->CONTACT;
    Label4 = panel->Label4;
    TITLE = panel->TITLE;
    Label2 = panel->Label2;
    Label5 = panel->Label5;
    Label8 = panel->Label8;
    Label9 = panel->Label9;
    Label10 = panel->Label10;
    Command1 = panel->Command1;
    FULLADDR = panel->FULLADDR;
    EXPORTCUR = panel->EXPORTCUR;
    PRINTCUR = panel->PRINTCUR;
    MarkIt = panel->MarkIt;

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(SFOR, 1);
    top->addStretch(1);
    top->addWidget(Label7);
    top->addWidget(VIEWCOUNT);

    auto* main = new QVBoxLayout(this);
    main->addWidget(SSTab1);
    main->addLayout(top);
    // Space the window gains goes mostly to the list, some to the record's mods.
    main->addWidget(TDBGrid1, 3);
    main->addWidget(TDBGrid4, 3);
    main->addWidget(panel, 1);

    connect(SSTab1, &results::TabRows::currentChanged, this, &VKLIST::onTabChanged);
    connect(SFOR, &QLineEdit::textChanged, this, [this] { SFOR_Change(); });
    connect(TDBGrid1, &grid::DataGrid::headClick, this, &VKLIST::TDBGrid1_HeadClick);
    connect(TDBGrid4, &grid::DataGrid::headClick, this, &VKLIST::TDBGrid4_HeadClick);
    connect(TDBGrid1, &grid::DataGrid::rowColChange, this, [this] { TDBGrid1_RowColChange(); });
    connect(TDBGrid4, &grid::DataGrid::rowColChange, this, [this] { TDBGrid4_RowColChange(); });
    connect(Command1, &QPushButton::clicked, this, &VKLIST::Command1_Click);
    connect(FULLADDR, &QPushButton::clicked, this, &VKLIST::FULLADDR_Click);
    connect(EXPORTCUR, &QPushButton::clicked, this, &VKLIST::EXPORTCUR_Click);
    connect(PRINTCUR, &QPushButton::clicked, this, &VKLIST::PRINTCUR_Click);
    connect(MarkIt, &QPushButton::clicked, this, &VKLIST::MarkIt_Click);
}

// --- Load, activation, unload -------------------------------------------------------------------

void VKLIST::Form_Load() {
    const dataset::DataSet& dataSet = dataset::current();
    const QString path = dataSet.databasePath();
    VELKDB = dao::Database::open(path, false, false, dataSet.connect);
    notes_ = std::make_unique<results::NotesStore>(*VELKDB, locks::lockFileFor(path));
    PRIMETB = VELKDB->OpenTable(QStringLiteral("PRIME"));
    PRIMETB->setIndex(QStringLiteral("PRIMARY"));
    SICCODESTB = VELKDB->OpenTable(QStringLiteral("SICCODES"));
    SICCODESTB->setIndex(QStringLiteral("PRIMARY"));
    VERTB = VELKDB->OpenTable(QStringLiteral("VERSION"));
    VERTB->setIndex(QStringLiteral("PRIMARY"));
    VERTB->Seek(QStringLiteral("="), {QStringLiteral("1")});

    // The data controls share the form's connection to the state database.
    GFILE->setDatabase(VELKDB.get());
    panel->load(VELKDB.get(), dataSet.code);
    SFILE->setDatabase(VELKDB.get());
    GFILE->Refresh();

    resize(ui::twipsToPixels(QSize(8190, 5700)));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Dark));
    setPalette(p);

    // Omit is read for the red rows, never shown.
    TDBGrid1->setColumnVisible(4, false);
    TDBGrid4->setColumnVisible(4, false);
    VIEWCOUNT->setText(QString::number(GFILE->Recordset()->RecordCount()));
}

void VKLIST::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) Form_Activate();
}

void VKLIST::closeEvent(QCloseEvent* event) {
    // The list is the program's working window: without it the main window's commands would have
    // nothing to work on. It goes with its workspace or the program, never on its own.
    if (!unloaded_) event->ignore();
}

void VKLIST::Form_Activate() {
    if (!VELKDB) return;
    if (commands_ && !commands_->acceptsCommands()) return;
    SETBUTTONS();
    SETTABS();
    ArrangeListLayout();
}

void VKLIST::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // The data controls' recordsets go before the connection they use.
    for (grid::DataControl* dc : {GFILE, SFILE, MFILE}) {
        if (dc) dc->Close();
    }
    try {
        if (notes_) notes_->close();
    } catch (...) {
        // A note is written when the record detail form saves it, never at closing: nothing is lost,
        // and the kernel drops the row locks with the lock file.
    }
    notes_.reset();
    SICCODESTB.reset();
    PRIMETB.reset();
    VERTB.reset();
    try {
        if (VELKDB) VELKDB->close();
    } catch (...) {
        // Every change was committed when it was made: a close that fails loses nothing, and the
        // connection goes with its object.
    }
    VELKDB.reset();
}

void VKLIST::ArrangeListLayout() {
    const bool allRecords = SSTab1->currentIndex() == 0;
    grid::DataGrid* shown = allRecords ? TDBGrid1 : TDBGrid4;
    TDBGrid1->setVisible(allRecords);
    TDBGrid4->setVisible(!allRecords);
    shown->raise();
    panel->arrangeFor(allRecords, shown->currentRow() >= 0, state());

    if (commands_) commands_->enableSearchCommands();
    if (allRecords && GFILE->Recordset())
        VIEWCOUNT->setText(QString::number(GFILE->Recordset()->RecordCount()));
    if (commands_ && VERTB) {
        QVariant version;
        try {
            if (!VERTB->NoMatch() && !VERTB->atEOF()) version = VERTB->value(QStringLiteral("Version"));
        } catch (const dao::DaoError&) {
            // A version row that cannot be read shows no version.
        }
        commands_->setDataVersion(version.typeId() == QMetaType::QDate
                                      ? version.toDate().toString(QStringLiteral("M/d/yyyy"))
                                      : version.toString());
    }
    SFOR->setFocus();
}

// --- Tabs ---------------------------------------------------------------------------------------

void VKLIST::onTabChanged(int index) {
    const int previous = previousTab_;
    previousTab_ = index;
    SSTab1_Click(previous);
}

void VKLIST::SSTab1_Click(int PreviousTab) {
    const int tab = SSTab1->currentIndex();
    if (tab > 0 && searchFile(tab).isEmpty()) {
        // A tab without a search: the previous tab is selected again and handled as chosen.
        SSTab1->setCurrentIndex(PreviousTab);
        return;
    }
    SETBUTTONS();
    QCoreApplication::processEvents();
    ArrangeListLayout();
    if (tab == 0) {
        ShowAllRecordsRow();
        TDBGrid1->setFocus();
    } else {
        SetUpSQL();
    }
    SFOR->clear();
}

QString VKLIST::searchFile(int tab) const {
    return tabs_->file(tab);
}

void VKLIST::SETTABS() {
    tabs_->list(CURPATH);
}

void VKLIST::SetCurSQLFile(bool NEWSEARCH) {
    CurSQLFile = NEWSEARCH ? QString() : tabs_->selectedFile();
}

void VKLIST::SetUpSQL() {
    tabs_->run(CURPATH, commands_ && commands_->copySqlMarked());
    // What was typed sought a row of the result run before; the new one stands at its first row.
    SFOR->clear();
}

void VKLIST::SORTSRCH(int COLNUM) {
    tabs_->sort(COLNUM);
}

void VKLIST::SETBUTTONS() {
    if (!commands_) return;
    const int tab = SSTab1->currentIndex();
    commands_->applyCommandAvailability(
        results::commandAvailability({true, tab, SSTab1->tabText(1), searchFile(tab)}));
}

// --- Sorting and type-ahead ---------------------------------------------------------------------

void VKLIST::SORT_SELECT(int COLNUM) {
    SFOR->clear();
    dao::Recordset* rs = GFILE->Recordset();
    if (COLNUM != search::kColSeq && rs) {
        results::markSortColumn(*TDBGrid1, COLNUM);
        ui::BusyCursor busy;
        switch (COLNUM) {
        case 0:
            CurrentIndex = QStringLiteral("PRIMARY");
            break;
        case 2:
            CurrentIndex = QStringLiteral("KEY2");
            break;
        case 3:
            CurrentIndex = QStringLiteral("KEY3");
            break;
        default:
            break;
        }
        SFOR->clear();
        try {
            if (!CurrentIndex.isEmpty()) rs->setIndex(CurrentIndex);
            // The first row of the new order, also when it has no key: a seek for the empty
            // text would pass over the employers whose county (or name) is Null.
            rs->MoveFirst();
        } catch (const dao::DaoError& e) {
            // A data set without the order's index: said once, the list stays as it was.
            ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        }
    }
    TDBGrid1->rebind();
    SFOR->setFocus();
}

void VKLIST::SFOR_Change() {
    ui::BusyCursor busy;
    if (SSTab1->currentIndex() != 0) {
        FindInResults(SFOR->text(), SFILE->Recordset(), tabs_->SortField);
        SFOR->setFocus();
        return;
    }
    dao::Recordset* rs = GFILE->Recordset();
    if (!rs) return;
    const int before = TDBGrid1->currentRow();
    try {
        const results::SeekResult seek = results::seekAllRecords(*rs, CurrentIndex, SFOR->text());
        if (seek.reordered) TDBGrid1->rebind();
        // Past the last key the list stays where it was.
        if (!seek.found) {
            if (before >= 0) TDBGrid1->boundModel()->moveTo(before);
            return;
        }
    } catch (const dao::DaoError&) {
        // No order chosen yet: typing has nothing to seek on.
        return;
    }
    GFILE->notifyMoved();
}

void VKLIST::FindInResults(const QString& text, dao::Recordset* result, const QString& field) {
    if (!result) return;
    ui::BusyCursor busy;
    if (results::findInResults(*result, field, text, tabs_->sortOrder())) SFILE->notifyMoved();
}

void VKLIST::TDBGrid1_HeadClick(int ColIndex) {
    SORT_SELECT(ColIndex);
}

void VKLIST::TDBGrid4_HeadClick(int ColIndex) {
    SORTSRCH(ColIndex);
}

void VKLIST::TDBGrid1_RowColChange() {
    ShowAllRecordsRow();
}

void VKLIST::TDBGrid4_RowColChange() {
    // Export Record reloads SFILE on tab 0; the hidden search grid must not refill tab 0's panel.
    if (SSTab1->currentIndex() == 0) return;
    dao::Recordset* rs = SFILE->Recordset();
    if (!rs) return;
    if (!rs->atEOF()) ShowSearchRow();
}

QColor VKLIST::TDBGrid4_FetchRowStyle(int row) const {
    const grid::RecordsetModel* m = TDBGrid4->boundModel();
    if (m && m->value(row, 4).toString() == QLatin1String("Y")) return QColor(255, 0, 0);
    return {};
}

// --- Detail panel -------------------------------------------------------------------------------

void VKLIST::showRow(grid::DataControl* source, bool searchTab) {
    // What the panel shows is what is stored now, whichever copy of the program changed it.
    source->refreshCurrentRow();
    dao::Recordset* rs = source->Recordset();
    if (!hasCurrentRow(rs) || !fieldOf(rs, QStringLiteral("FILE")).isValid()) {
        // An empty list: nothing to act on.
        panel->clear(state());
        return;
    }
    const results::FieldReader field = [rs](const QString& name) { return fieldOf(rs, name); };
    const std::optional<int> noteLength =
        GetNoteLength(field("FILE").toString(), field("SEQUENCE").toString());
    if (searchTab)
        panel->fillSearch(field, noteLength, state());
    else
        panel->fillAllRecords(field, noteLength, state());
}

void VKLIST::ShowAllRecordsRow() {
    showRow(GFILE, false);
}

void VKLIST::ShowSearchRow() {
    showRow(SFILE, true);
}

// --- Notes store and exclusion mark -------------------------------------------------------------

std::optional<int> VKLIST::GetNoteLength(const QString& KEYFILE, const QString& KEYSEQ) {
    if (!notes_) return std::nullopt;
    return notes_->noteLength(KEYFILE, KEYSEQ);
}

bool VKLIST::GETNOTES(const QString& KEYFILE, const QString& KEYSEQ, QPlainTextEdit* NOTE) {
    if (!notes_) return false;
    const results::NotesStore::Opened o = notes_->open(KEYFILE, KEYSEQ);
    switch (o.result) {
    case results::NotesStore::OpenResult::Opened:
    case results::NotesStore::OpenResult::ReadOnly: {
        const bool readOnly = o.result == results::NotesStore::OpenResult::ReadOnly;
        if (o.text) NOTE->setPlainText(QString(*o.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        NOTE->setReadOnly(readOnly);
        if (readOnly)
            ui::MsgBox(kReadOnlyNote + o.error + QLatin1Char('.'), ui::vbOKOnly | ui::vbInformation);
        return true;
    }
    case results::NotesStore::OpenResult::Busy:
        ui::MsgBox(kLockMessage, ui::vbOKOnly);
        break;
    case results::NotesStore::OpenResult::Failed:
        ui::MsgBox(o.error, ui::vbOKOnly | ui::vbExclamation);
        break;
    }
    NOTE->setPlainText(kLockedNote);
    return false;
}

void VKLIST::SETNOTES(QPlainTextEdit* NOTE) {
    if (!notes_)
        throw dao::DaoError(QString(), QStringLiteral("save the note in"),
                            QStringLiteral("the list is closed"));
    // Notes are stored with CR LF line ends, as printing, export and backups of them expect.
    QString text = NOTE->toPlainText();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    switch (notes_->write(text)) {
    case results::NotesStore::WriteResult::Written:
        break;
    case results::NotesStore::WriteResult::Busy:
        throw dao::DaoError(VELKDB ? VELKDB->name() : QString(), QStringLiteral("save the note in"),
                            kLockMessage);
    case results::NotesStore::WriteResult::Changed:
        throw dao::DaoError(VELKDB ? VELKDB->name() : QString(), QStringLiteral("save the note in"),
                            kChangedMessage);
    }
    const QString shown = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (NOTE->toPlainText() != shown) NOTE->setPlainText(shown);
}

void VKLIST::releaseNote() {
    if (notes_) notes_->cancel();
}

void VKLIST::MarkIt_Click() {
    dao::Recordset* rs = SFILE->Recordset();
    if (!hasCurrentRow(rs) || !VELKDB) return;
    // The record the user sees, by its key as shown.
    const QVariant file = fieldOf(rs, QStringLiteral("FILE")),
                   sequence = fieldOf(rs, QStringLiteral("SEQUENCE"));
    std::optional<QString> written;
    try {
        if (file.isValid()) written = results::toggleExclusion(*VELKDB, file.toString(), sequence.toString());
    } catch (const dao::DaoError& e) {
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        return;
    }
    if (!written) ui::MsgBox(kRecordGone, ui::vbOKOnly | ui::vbExclamation);
    // Read again: the caption and the red row follow what is stored.
    ShowSearchRow();
}

// --- Record commands ----------------------------------------------------------------------------

grid::DataControl* VKLIST::currentDataControl() const {
    return SSTab1->currentIndex() == 0 ? GFILE : SFILE;
}

dao::Recordset* VKLIST::currentRecord() const {
    dao::Recordset* rs = currentDataControl()->Recordset();
    return hasCurrentRow(rs) ? rs : nullptr;
}

void VKLIST::showAssociatedRecord(const QString& file, const QString& sequence) {
    SSTab1->setCurrentIndex(0);
    SORT_SELECT(2);
    dao::Recordset* rs = GFILE->Recordset();
    if (!rs) return;
    rs->setIndex(QStringLiteral("PRIMARY"));
    rs->Seek(QStringLiteral(">="), {file, sequence});
    if (rs->NoMatch()) rs->MoveFirst();
    TDBGrid1->rebind();
}

void VKLIST::setPanelContact(const results::PanelRefresh& refresh) {
    panel->setContact(refresh);
}

void VKLIST::Command1_Click() {
    results::moreInfo(*this);
}

void VKLIST::FULLADDR_Click() {
    results::fullAddress(*this);
}

void VKLIST::EXPORTCUR_Click() {
    if (!results::narrowToCurrentRecord(*this)) return;
    emit exportRecordRequested(); // the main window opens the export form over the record
}

void VKLIST::PRINTCUR_Click() {
    emit printRecordRequested(); // the main window prints the record
}
