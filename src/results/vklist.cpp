#include "results/vklist.h"

#include "dataset/categories.h"
#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "results/command_availability.h"
#include "results/command_surface.h"
#include "results/panel_rules.h"
#include "results/record_commands.h"
#include "search/search_list.h"
#include "search/search_run.h"
#include "search/search_sort.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kLockedNote = QStringLiteral("***LOCKED***");
const QString kLockMessage = QStringLiteral(
    "Another user is working with data which affects your notes.  Try again later to view your information.");

QVector<grid::ColumnSpec> allRecordsColumns() {
    return {
        {QStringLiteral("File #"), QStringLiteral("FILE"), {}, true, {}, {}},
        {QStringLiteral("Seq"), QStringLiteral("SEQUENCE"), {}, true, {}, {}},
        {QStringLiteral("Company Name"), QStringLiteral("NAME1"), {}, true, {}, {}},
        {QStringLiteral("County"), QStringLiteral("COUNTYNAME"), {}, true, {}, {}},
        {QStringLiteral("Omit"), QStringLiteral("Omit"), {}, true, {}, {}},
    };
}

QVector<grid::ColumnSpec> searchColumns() {
    return {
        {QStringLiteral("File"), QStringLiteral("FILE"), {}, true, {}, {}},
        {QStringLiteral("Seq"), QStringLiteral("SEQUENCE"), {}, true, {}, {}},
        {QStringLiteral("Name"), QStringLiteral("NAME1"), {}, true, {}, {}},
        {QStringLiteral("Expires"), QStringLiteral("EXPIRE"), QStringLiteral("MM/DD/YY"), true, {}, {}},
        {QStringLiteral("Omit"), QStringLiteral("Omit"), {}, true, {}, {}},
    };
}

QVector<grid::ColumnSpec> modsColumns() {
    // The loaders store 01/01/50 for a missing date; the grid shows it as a blank.
    const QVector<grid::ValueItem> noDate = {{QStringLiteral("01/01/50"), QStringLiteral(" ")}};
    QVector<grid::ValueItem> merit;
    for (const dataset::CategoryRow& c : dataset::meritClasses())
        merit.append({c.code.toDouble(), c.description});
    return {
        {QStringLiteral("Issue"), QStringLiteral("ISSUE"), QStringLiteral("mm/dd/yy"), true, {}, noDate},
        {QStringLiteral("Effective"), QStringLiteral("EFFECTIVE"), QStringLiteral("Standard"), true, {}, {}},
        {QStringLiteral("Expires"), QStringLiteral("EXPIRE"), QStringLiteral("mm/dd/yy"), true, {}, noDate},
        {QStringLiteral("MOD"), QStringLiteral("MOD"), QStringLiteral("0.000"), true, {}, merit},
    };
}

// Reaches the last row, which makes RecordCount exact, and goes back to the first.
void countAllRows(dao::Recordset* rs) {
    if (rs->atBOF() && rs->atEOF()) return;
    rs->MoveLast();
    rs->MoveFirst();
}

bool hasCurrentRow(const dao::Recordset* rs) {
    return rs && rs->isOpen() && !rs->atBOF() && !rs->atEOF();
}

// A field of the current row, Null when it cannot be read.
QVariant fieldOf(dao::Recordset* rs, const QString& name) {
    try {
        return rs->value(name);
    } catch (const dao::DaoError&) {
        return {};
    }
}

bool isNY() {
    return dataset::current().isNY();
}

QLabel* label(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

QLineEdit* box(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    return e;
}

} // namespace

VKLIST::VKLIST(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VKLIST"));
    GFILE = new grid::DataControl(this);
    GFILE->RecordSource = QStringLiteral("PRIME");
    GFILE->RecordsetType = dao::RecordsetType::Table;
    SFILE = new grid::DataControl(this);
    SFILE->Caption = QStringLiteral("SEARCH DATA");
    SFILE->RecordsetType = dao::RecordsetType::Dynaset;
    MFILE = new grid::DataControl(this);
    MFILE->RecordSource = QStringLiteral("MODS");
    MFILE->RecordsetType = dao::RecordsetType::Snapshot;
    buildForm();
}

VKLIST::~VKLIST() {
    Form_Unload();
}

void VKLIST::buildForm() {
    SSTab1 = new QTabBar(this);
    SSTab1->setExpanding(false);
    SSTab1->addTab(QStringLiteral("View All"));
    for (int i = 1; i <= 9; ++i)
        SSTab1->addTab(QStringLiteral("Tab %1").arg(i));

    Label1 = label(QStringLiteral("Search for"), this);
    SFOR = new QLineEdit(this);
    Label7 = label(QStringLiteral("Record Count:"), this);
    VIEWCOUNT = box(this);
    VIEWCOUNT->setMaximumWidth(ui::twipsToPixels(1400));

    TDBGrid1 = new grid::DataGrid(this);
    TDBGrid1->bind(GFILE, allRecordsColumns());
    TDBGrid4 = new grid::DataGrid(this);
    TDBGrid4->bind(SFILE, searchColumns());
    TDBGrid4->boundModel()->setRowStyle([this](int row) { return TDBGrid4_FetchRowStyle(row); });
    TDBGrid4->hide();
    TDBGrid2 = new grid::DataGrid(this);
    TDBGrid2->bind(MFILE, modsColumns());
    TDBGrid2->setSelectionMode(QAbstractItemView::NoSelection);
    const int widths[] = {1300, 500, 4200, 2000}; // twips, as the list was laid out
    for (int c = 0; c < 4; ++c) {
        TDBGrid1->setColumnWidth(c, ui::twipsToPixels(widths[c]));
        TDBGrid4->setColumnWidth(c, ui::twipsToPixels(widths[c]));
        TDBGrid2->setColumnWidth(c, ui::twipsToPixels(1300));
    }
    TDBGrid2->setMaximumHeight(ui::twipsToPixels(1500));

    ADDRESS = new QPlainTextEdit(this);
    ADDRESS->setReadOnly(true);
    ADDRESS->setLineWrapMode(QPlainTextEdit::NoWrap);
    ADDRESS->setMaximumHeight(ui::twipsToPixels(1100));
    Label3 = label(QStringLiteral("Phone:"), this);
    PHONE = box(this);
    lblFax = label(QStringLiteral("Fax:"), this);
    txtFax = box(this);
    Label6 = label(QStringLiteral("Contact:"), this);
    CONTACT = box(this);
    Label4 = label(QStringLiteral("Title:"), this);
    TITLE = box(this);
    Label2 = label(QStringLiteral("Associated Companies"), this);
    Label5 = label(QStringLiteral("See Notes"), this);
    Label8 = label(QStringLiteral("Assigned Risk"), this);
    Label9 = label(QStringLiteral("Interstate"), this);
    Label10 = label(QStringLiteral("Revised"), this);
    for (QLabel* l : {Label2, Label5, Label8, Label9, Label10})
        l->hide();

    Command1 = new QPushButton(QStringLiteral("More Info..."), this);
    FULLADDR = new QPushButton(QStringLiteral("Full Address"), this);
    EXPORTCUR = new QPushButton(QStringLiteral("Export Record"), this);
    PRINTCUR = new QPushButton(QStringLiteral("Print Record"), this);
    MarkIt = new QPushButton(QStringLiteral("Exclude"), this);
    FULLADDR->setEnabled(false);
    MarkIt->hide();
    setRecordButtons(false);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(SFOR, 1);
    top->addStretch(1);
    top->addWidget(Label7);
    top->addWidget(VIEWCOUNT);

    auto* contacts = new QGridLayout;
    contacts->addWidget(Label3, 0, 0);
    contacts->addWidget(PHONE, 0, 1);
    contacts->addWidget(lblFax, 0, 2);
    contacts->addWidget(txtFax, 0, 3);
    contacts->addWidget(Label6, 1, 0);
    contacts->addWidget(CONTACT, 1, 1);
    contacts->addWidget(Label4, 1, 2);
    contacts->addWidget(TITLE, 1, 3);

    auto* flags = new QVBoxLayout;
    for (QLabel* l : {Label2, Label8, Label5})
        flags->addWidget(l);
    flags->addStretch(1);
    auto* nyFlags = new QHBoxLayout;
    nyFlags->addWidget(Label9);
    nyFlags->addWidget(Label10);
    nyFlags->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(ADDRESS);
    left->addLayout(nyFlags);
    left->addLayout(contacts);
    left->addWidget(TDBGrid2);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {Command1, FULLADDR, PRINTCUR, EXPORTCUR, MarkIt})
        buttons->addWidget(b);
    buttons->addLayout(flags);

    auto* panel = new QHBoxLayout;
    panel->addLayout(left, 1);
    panel->addLayout(buttons);

    auto* main = new QVBoxLayout(this);
    main->addWidget(SSTab1);
    main->addLayout(top);
    main->addWidget(TDBGrid1, 1);
    main->addWidget(TDBGrid4, 1);
    main->addLayout(panel);

    connect(SSTab1, &QTabBar::currentChanged, this, &VKLIST::onTabChanged);
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
    notes_ = std::make_unique<results::NotesStore>(*VELKDB, results::lockFileFor(path));
    PRIMETB = VELKDB->OpenTable(QStringLiteral("PRIME"));
    PRIMETB->setIndex(QStringLiteral("PRIMARY"));
    SICCODESTB = VELKDB->OpenTable(QStringLiteral("SICCODES"));
    SICCODESTB->setIndex(QStringLiteral("PRIMARY"));
    VERTB = VELKDB->OpenTable(QStringLiteral("VERSION"));
    VERTB->setIndex(QStringLiteral("PRIMARY"));
    VERTB->Seek(QStringLiteral("="), {QStringLiteral("1")});

    // The data controls share the form's connection to the state database.
    for (grid::DataControl* dc : {GFILE, MFILE, SFILE})
        dc->setDatabase(VELKDB.get());
    GFILE->Refresh();

    resize(ui::twipsToPixels(QSize(8190, 5700)));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Dark));
    setPalette(p);

    TDBGrid2->setColumnVisible(1, !isNY());
    const bool merit = dataSet.hasMerit();
    TDBGrid2->setColumnCaption(3, merit ? QStringLiteral("Merit Class") : QStringLiteral("MOD"));
    // Omit is read for the red rows, never shown.
    TDBGrid1->setColumnVisible(4, false);
    TDBGrid4->setColumnVisible(4, false);
    VIEWCOUNT->setText(QString::number(GFILE->Recordset()->RecordCount()));
}

void VKLIST::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) Form_Activate();
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
    }
    notes_.reset();
    SICCODESTB.reset();
    PRIMETB.reset();
    VERTB.reset();
    try {
        if (VELKDB) VELKDB->close();
    } catch (...) {
    }
    VELKDB.reset();
}

void VKLIST::ArrangeListLayout() {
    const bool allRecords = SSTab1->currentIndex() == 0;
    TDBGrid1->setVisible(allRecords);
    TDBGrid4->setVisible(!allRecords);
    (allRecords ? TDBGrid1 : TDBGrid4)->raise();
    TDBGrid2->raise();
    MarkIt->setVisible(!allRecords);
    EXPORTCUR->setVisible(allRecords);

    if (commands_) commands_->enableSearchCommands();
    FULLADDR->setEnabled(isNY() && (allRecords ? TDBGrid1 : TDBGrid4)->currentRow() >= 0);
    if (allRecords && GFILE->Recordset())
        VIEWCOUNT->setText(QString::number(GFILE->Recordset()->RecordCount()));
    if (commands_ && VERTB) {
        QVariant version;
        try {
            if (!VERTB->NoMatch() && !VERTB->atEOF()) version = VERTB->value(QStringLiteral("Version"));
        } catch (const dao::DaoError&) {
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
    if (tab > 0 && velk::SearchFiles[tab].isEmpty()) {
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

void VKLIST::setSearchTab(int tab, const QString& caption, const QString& fileName) {
    if (tab < 1 || tab > 9) return;
    SSTab1->setTabText(tab, caption);
    velk::SearchFiles[tab] = fileName;
}

void VKLIST::setTabRecordSource(int tab, const QString& sql) {
    if (tab < 1 || tab > 9) return;
    tabSources_[tab] = sql;
}

void VKLIST::SETTABS() {
    search::TabsPlan plan;
    {
        ui::BusyCursor busy;
        plan = search::planTabs(CURPATH, SSTab1->currentIndex());
        velk::SearchFiles = plan.files;
        for (int k = 1; k <= search::kSearchTabs; ++k)
            SSTab1->setTabText(k, plan.captions[k]);
    }
    search::reportListingProblems(plan.problems);
    // A tab whose search went away falls back to the list of all records.
    if (plan.selectTab != SSTab1->currentIndex()) SSTab1->setCurrentIndex(plan.selectTab);
}

void VKLIST::SetCurSQLFile(bool NEWSEARCH) {
    CurSQLFile.clear();
    const int tab = SSTab1->currentIndex();
    if (!NEWSEARCH && tab > 0) CurSQLFile = velk::SearchFiles[tab];
}

void VKLIST::SetUpSQL() {
    const int tab = SSTab1->currentIndex();
    if (tab <= 0) return;
    if (!tabSources_[tab].isEmpty()) {
        SearchSQL = tabSources_[tab];
        showSearchResult(SearchSQL);
        return;
    }
    const bool copyMarked = commands_ && commands_->copySqlMarked();
    const search::PreparedSearch run =
        search::prepareSearch(CURPATH, velk::SearchFiles[tab], dataset::current().code, copyMarked);
    if (!run.ok) {
        SSTab1->setCurrentIndex(0);
        return;
    }
    SearchSQL = run.sql;
    ui::BusyCursor busy;
    QPalette pal = ADDRESS->palette();
    pal.setColor(QPalette::Text, QColor(255, 0, 0));
    ADDRESS->setPalette(pal);
    ADDRESS->setPlainText(QString(22, QLatin1Char(' ')) + QStringLiteral("*** PERFORMING LOOKUP ***\r\n"));
    ADDRESS->repaint();
    pal.setColor(QPalette::Text, QColor(0, 0, 0));
    ADDRESS->setPalette(pal);
    SORTSRCH(2); // loads SFILE, the count and the panel
}

void VKLIST::markSortColumn(grid::DataGrid* list, int column) {
    for (int c = 0; c <= 3; ++c)
        list->setHeaderColor(c, palette().color(QPalette::Button));
    list->setHeaderColor(column, PHONE->palette().color(QPalette::Base));
}

void VKLIST::SORTSRCH(int COLNUM) {
    SFOR->clear();
    if (COLNUM == 1) return;
    markSortColumn(TDBGrid4, COLNUM);
    TDBGrid4->setColumnCaption(3, search::expiresCaption(dataset::current().code));
    SortField = TDBGrid4->columnSpec(COLNUM).field;
    if (SearchSQL.isEmpty()) return;
    const QString sorted = search::sortedSearchSQL(SearchSQL, COLNUM);
    try {
        showSearchResult(sorted.isEmpty() ? SFILE->RecordSource : sorted);
    } catch (const dao::DaoError& e) {
        // A search the database refuses is said and the list falls back to all records.
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        SSTab1->setCurrentIndex(0);
    }
}

void VKLIST::SETBUTTONS() {
    if (!commands_) return;
    const int tab = SSTab1->currentIndex();
    const QString file = tab >= 0 && tab < int(velk::SearchFiles.size()) ? velk::SearchFiles[tab] : QString();
    commands_->applyCommandAvailability(results::commandAvailability({true, tab, SSTab1->tabText(1), file}));
}

void VKLIST::showSearchResult(const QString& recordSource) {
    ui::BusyCursor busy;
    SFILE->RecordSource = recordSource;
    SFILE->Refresh();
    dao::Recordset* rs = SFILE->Recordset();
    try {
        countAllRows(rs);
    } catch (const dao::DaoError&) {
    }
    TDBGrid4->rebind();
    const long long count = rs->RecordCount();
    VIEWCOUNT->setText(QString::number(count));
    if (count == 0) clearPanel();
}

// --- Sorting and type-ahead ---------------------------------------------------------------------

void VKLIST::SORT_SELECT(int COLNUM) {
    SFOR->clear();
    dao::Recordset* rs = GFILE->Recordset();
    if (COLNUM != 1 && rs) {
        markSortColumn(TDBGrid1, COLNUM);
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
            rs->Seek(QStringLiteral(">="), {QString(QLatin1String(""))});
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
    if (SSTab1->currentIndex() == 0) {
        dao::Recordset* rs = GFILE->Recordset();
        if (!rs) return;
        try {
            if (!CurrentIndex.isEmpty() && rs->index() != CurrentIndex) {
                rs->setIndex(CurrentIndex);
                TDBGrid1->rebind();
            }
            const int before = TDBGrid1->currentRow();
            rs->Seek(QStringLiteral(">="), {SFOR->text()});
            // Past the last key the list stays where it was.
            if (rs->NoMatch()) {
                if (before >= 0) TDBGrid1->boundModel()->moveTo(before);
                return;
            }
        } catch (const dao::DaoError&) {
            // No order chosen yet: typing has nothing to seek on.
            return;
        }
        GFILE->notifyMoved();
    } else {
        FindInResults(SFOR->text(), SFILE->Recordset(), SortField);
        SFOR->setFocus();
    }
}

namespace {

// Compares a field's value with typed text the way the database compares them in a criterion:
// text without regard to case, dates and numbers as such. Nothing when they cannot be compared.
std::optional<int> compareCriterion(const QVariant& v, const QString& text) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    if (v.typeId() == QMetaType::QDate) {
        const QDate d = dao::toDate(text);
        if (!d.isValid()) return std::nullopt;
        return v.toDate() < d ? -1 : (v.toDate() > d ? 1 : 0);
    }
    if (v.typeId() == QMetaType::QString) return QString::compare(v.toString(), text, Qt::CaseInsensitive);
    bool ok = false;
    const double x = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    const double y = v.toDouble();
    return y < x ? -1 : (y > x ? 1 : 0);
}

enum class Find { Found, NotFound, Failed };

// Walks from the row after (forward) or before the current one to the nearest row whose field is
// not less (forward) or not greater (backward) than text. When the criterion cannot be evaluated
// the recordset goes back to where it was, as a failed find leaves it.
Find findFrom(dao::Recordset* rs, const QString& field, const QString& text, bool forward) {
    const dao::Bookmark start = rs->bookmark();
    auto step = [&] { forward ? rs->MoveNext() : rs->MovePrevious(); };
    for (step(); forward ? !rs->atEOF() : !rs->atBOF(); step()) {
        const QVariant v = rs->value(field);
        const std::optional<int> c = compareCriterion(v, text);
        if (c && (forward ? *c >= 0 : *c <= 0)) return Find::Found;
        if (!c && v.isValid() && !v.isNull()) {
            rs->setBookmark(start);
            return Find::Failed;
        }
    }
    return Find::NotFound;
}

} // namespace

void VKLIST::FindInResults(const QString& text, dao::Recordset* result, const QString& field) {
    if (!result) return;
    ui::BusyCursor busy;
    try {
        if (text.isEmpty() || dataset::isEmptyText(text)) {
            result->MoveFirst();
            SFILE->notifyMoved();
            return;
        }
        if (!hasCurrentRow(result) || field.isEmpty()) return;
        const QString current = result->text(field).toUpper();
        // The finds compare without regard to case, so the direction must too: a lower-case "b"
        // typed at a name starting with M lies behind, not ahead.
        const QString key = text.toUpper();
        // A double quote would end the criterion's literal: such a find fails and is skipped.
        const bool criterionValid = !text.contains(QLatin1Char('"'));
        if (QString::compare(key, current, Qt::CaseSensitive) > 0) {
            // Every later row sorts before the text: the last row is the nearest.
            if (criterionValid && findFrom(result, field, text, true) == Find::NotFound) result->MoveLast();
        } else {
            if (criterionValid && findFrom(result, field, text, false) == Find::NotFound) {
                // Every earlier row sorts after the text: the first row is the one wanted.
                result->MoveFirst();
                SFILE->notifyMoved();
                return;
            }
            if (hasCurrentRow(result) &&
                QString::compare(result->text(field).toUpper(), key, Qt::CaseSensitive) < 0) {
                result->MoveNext();
                if (result->atEOF()) result->MoveLast();
            }
        }
    } catch (const dao::DaoError&) {
    }
    SFILE->notifyMoved();
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

void VKLIST::setRecordButtons(bool enabled) {
    Command1->setEnabled(enabled);
    if (isNY()) FULLADDR->setEnabled(enabled);
    PRINTCUR->setEnabled(enabled);
    MarkIt->setEnabled(enabled);
    EXPORTCUR->setEnabled(enabled);
}

void VKLIST::clearPanel() {
    TDBGrid2->hide();
    MFILE->Close();
    ADDRESS->clear();
    PHONE->clear();
    txtFax->clear();
    CONTACT->clear();
    TITLE->clear();
    for (QLabel* l : {Label2, Label5, Label8, Label9, Label10})
        l->hide();
    setRecordButtons(false);
}

void VKLIST::fillModsGrid(const QString& file, const QString& sequence, bool searchTab) {
    const results::ModsHeadings h = results::modsHeadings(dataset::current().code);
    TDBGrid2->setColumnCaption(2, h.col2Caption);
    TDBGrid2->setColumnCaption(1, h.col1Caption);
    TDBGrid2->setColumnFormat(1, h.col1Format);
    TDBGrid2->show();
    MFILE->RecordSource = results::modsRecordSource(
        file, sequence, searchTab ? results::PanelTab::Search : results::PanelTab::AllRecords);
    try {
        MFILE->Refresh();
        // A record has a handful of mods: count them all so the grid shows every one at once.
        countAllRows(MFILE->Recordset());
        TDBGrid2->rebind();
    } catch (const dao::DaoError&) {
        TDBGrid2->hide();
    }
}

void VKLIST::ShowAllRecordsRow() {
    dao::Recordset* rs = GFILE->Recordset();
    if (!hasCurrentRow(rs)) {
        // An empty table: nothing to act on.
        clearPanel();
        return;
    }
    const results::FieldReader field = [rs](const QString& name) { return fieldOf(rs, name); };
    setRecordButtons(true);

    QPalette pal = ADDRESS->palette();
    pal.setColor(QPalette::Base, results::addressMarked(field(QStringLiteral("User1")))
                                     ? results::addressOverrideColor()
                                     : palette().color(QPalette::Base));
    ADDRESS->setPalette(pal);
    fillRecordText(field, results::PanelTab::AllRecords);
    Label8->setVisible(results::assignedRiskShown(field("NJAR")));
    fillModsGrid(field("FILE").toString(), field("SEQUENCE").toString(), false);
}

void VKLIST::fillRecordText(const results::FieldReader& field, results::PanelTab tab) {
    ADDRESS->setPlainText(results::addressLines(field, tab).join(QLatin1Char('\n')));
    PHONE->setText(results::contactBoxText(field("PHONE"), field("UserPhone"), results::kPhoneBlanks, tab));
    txtFax->setText(results::contactBoxText(field("FAX"), field("UserFax"), results::kFaxBlanks, tab));
    CONTACT->setText(
        results::contactBoxText(field("CONTACT"), field("UserContact"), results::kContactBlanks, tab));
    TITLE->setText(results::contactBoxText(field("TITLE"), field("UserTitle"), results::kTitleBlanks, tab));
    Label2->setVisible(field("ASSOCIATES").toBool());
    Label5->setVisible(
        results::seeNotesShown(GetNoteLength(field("FILE").toString(), field("SEQUENCE").toString())));
    if (isNY()) {
        // A flag that cannot be read leaves its label as it was.
        const QVariant interstate = field("INTERSTATE"), revised = field("REVISED");
        if (interstate.isValid()) Label9->setVisible(interstate.toBool());
        if (revised.isValid()) Label10->setVisible(revised.toBool());
    }
}

void VKLIST::ShowSearchRow() {
    dao::Recordset* rs = SFILE->Recordset();
    if (!hasCurrentRow(rs)) {
        clearPanel();
        return;
    }
    const results::FieldReader field = [rs](const QString& name) { return fieldOf(rs, name); };
    fillRecordText(field, results::PanelTab::Search);
    if (dataset::current().isNJ()) Label8->setVisible(results::assignedRiskShown(field("NJAR")));
    fillModsGrid(field("FILE").toString(), field("SEQUENCE").toString(), true);
    MarkIt->setText(results::markItCaption(field("Omit")));
    setRecordButtons(true);
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
        if (o.text) NOTE->setPlainText(QString(*o.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        return true;
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
    if (notes_->write(text) == results::NotesStore::WriteResult::Busy) {
        throw dao::DaoError(VELKDB ? VELKDB->name() : QString(), QStringLiteral("save the note in"),
                            kLockMessage);
    }
    const QString shown = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (NOTE->toPlainText() != shown) NOTE->setPlainText(shown);
}

void VKLIST::releaseNote() {
    if (notes_) notes_->cancel();
}

void VKLIST::MarkIt_Click() {
    dao::Recordset* rs = SFILE->Recordset();
    if (!hasCurrentRow(rs)) return;
    try {
        const QVariant omit = rs->value(QStringLiteral("Omit"));
        MarkIt->setText(omit.toString() == QLatin1String("Y") ? QStringLiteral("Exclude")
                                                              : QStringLiteral("Include"));
        rs->Edit();
        rs->setValue(QStringLiteral("Omit"), results::toggledOmit(omit));
        rs->Update();
    } catch (const dao::DaoError& e) {
        try {
            if (rs->editing()) rs->CancelUpdate();
            MarkIt->setText(results::markItCaption(rs->value(QStringLiteral("Omit"))));
        } catch (const dao::DaoError&) {
        }
        ui::MsgBox(e.message(), ui::vbOKOnly | ui::vbExclamation);
        return;
    }
    SFILE->notifyCurrentRowChanged();
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
    ADDRESS->setPlainText(refresh.addressLines.join(QLatin1Char('\n')));
    PHONE->setText(refresh.PHONE);
    txtFax->setText(refresh.txtFax);
    CONTACT->setText(refresh.CONTACT);
    TITLE->setText(refresh.TITLE);
}

void VKLIST::Command1_Click() {
    results::moreInfo(*this);
}

void VKLIST::FULLADDR_Click() {
    results::fullAddress(*this);
}

void VKLIST::EXPORTCUR_Click() {
    results::exportRecord(*this);
}

void VKLIST::PRINTCUR_Click() {
    // Until the record print is connected the button says so rather than doing nothing.
    if (!isSignalConnected(QMetaMethod::fromSignal(&VKLIST::printRecordRequested))) {
        ui::MsgBox(QStringLiteral("Printing a record is not installed yet."),
                   ui::vbOKOnly | ui::vbInformation);
        return;
    }
    emit printRecordRequested();
}
