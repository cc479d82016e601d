#include "search/lookup_editor.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/files/folders.h"
#include "platform/grid/data_grid.h"
#include "platform/grid/unbound_model.h"
#include "platform/ui/centre.h"
#include "platform/ui/cursor.h"
#include "platform/ui/form_slot.h"
#include "platform/ui/modal.h"
#include "platform/ui/msgbox.h"
#include "search/field_rules.h"
#include "search/search_file.h"

#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace velk {
bool LookupIsNew = false;
} // namespace velk

namespace {

const QString kTitle = QString::fromLatin1(search::kLookupTitle);

QVector<grid::ColumnSpec> captions(const QStringList& names) {
    QVector<grid::ColumnSpec> out;
    for (const QString& n : names) {
        grid::ColumnSpec c;
        c.caption = n;
        out << c;
    }
    return out;
}

} // namespace

VKLOOKUP::VKLOOKUP(search::LookupEditorHost& host, QWidget* parent)
    : QDialog(parent), Label1(new QLabel(QStringLiteral("Lookup Title"), this)),
      SEARCHDESC(new QLineEdit(this)), List1(new QListWidget(this)), List3(new QListWidget(this)),
      Label2(new QLabel(QStringLiteral("From"), this)), FROM(new QLineEdit(this)),
      Label3(new QLabel(QStringLiteral("Thru"), this)), THRU(new QLineEdit(this)),
      SQLINCLUDE(new QRadioButton(QStringLiteral("Include"), this)),
      SQLEXCLUDE(new QRadioButton(QStringLiteral("Exclude"), this)), AndOrFrame(new QGroupBox(this)),
      SQLAND(new QRadioButton(QStringLiteral("And"), AndOrFrame)),
      SQLOR(new QRadioButton(QStringLiteral("Or"), AndOrFrame)),
      ADD(new QPushButton(QStringLiteral("Accept"), this)),
      DELETE(new QPushButton(QStringLiteral("Delete"), this)),
      OK(new QPushButton(QStringLiteral("OK"), this)),
      CANCEL(new QPushButton(QStringLiteral("Cancel"), this)), TDBGrid3(new grid::DataGrid(this)),
      TDBGrid5(new grid::DataGrid(this)), Label4(new QLabel(QStringLiteral("Search for"), this)),
      SFOR(new QLineEdit(this)), host_(&host) {
    setWindowTitle(QStringLiteral("VKLOOKUP"));

    List1->addItems(search::fieldCaptions(QString()));
    List3->addItems(search::fieldCodes());
    List3->hide();
    SQLAND->setChecked(true);
    SQLINCLUDE->setChecked(true);

    lookupModel_ = std::make_unique<UnboundGridFetch::FetchModel>(
        *this, captions({QStringLiteral("Field"), QStringLiteral("Selection"), QString()}));
    TDBGrid3->setColumnModel(lookupModel_.get());
    categoryModel_ = std::make_unique<grid::UnboundModel>(
        captions({QStringLiteral("Code"), QStringLiteral("Name")}),
        [this](int row, int col) -> QVariant { return categoryValue(row, col); });
    TDBGrid5->setColumnModel(categoryModel_.get());

    // Arrangement: title across the top; the field list at the left; FROM, THRU and the options
    // beside it; the lookup list below; the category grid with its search box at the right.
    auto* layout = new QGridLayout(this);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(Label1);
    titleRow->addWidget(SEARCHDESC, 1);
    layout->addLayout(titleRow, 0, 0, 1, 3);
    layout->addWidget(List1, 1, 0, 2, 1);
    auto* entry = new QGridLayout;
    entry->addWidget(Label2, 0, 0);
    entry->addWidget(FROM, 0, 1);
    entry->addWidget(Label3, 1, 0);
    entry->addWidget(THRU, 1, 1);
    entry->addWidget(SQLINCLUDE, 2, 0);
    entry->addWidget(SQLEXCLUDE, 2, 1);
    auto* andOr = new QHBoxLayout(AndOrFrame);
    andOr->addWidget(SQLAND);
    andOr->addWidget(SQLOR);
    entry->addWidget(AndOrFrame, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ADD, DELETE, OK, CANCEL})
        buttons->addWidget(b);
    entry->addLayout(buttons, 4, 0, 1, 2);
    entry->setRowStretch(5, 1);
    layout->addLayout(entry, 1, 1);
    layout->addWidget(TDBGrid3, 2, 1);
    auto* category = new QVBoxLayout;
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Label4);
    searchRow->addWidget(SFOR, 1);
    category->addLayout(searchRow);
    category->addWidget(TDBGrid5, 1);
    layout->addLayout(category, 1, 2, 2, 1);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 3);
    // Tab follows the page: "Search for" stands above its grid.
    setTabOrder(TDBGrid3, SFOR);
    setTabOrder(SFOR, TDBGrid5);
    resize(1000, 520);

    // The boxes that come and go with the chosen field keep their room, so no control moves under
    // the mouse between a field with a pick list and one without.
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, THRU, Label4, SFOR, TDBGrid5}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    // Codes are short: the names and the selections get the rest of the width.
    TDBGrid3->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    TDBGrid3->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    TDBGrid3->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    TDBGrid5->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    TDBGrid5->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    // Enter belongs to the entry being typed (see eventFilter): no button answers it by default.
    for (QPushButton* b : {ADD, DELETE, OK, CANCEL}) {
        b->setDefault(false);
        b->setAutoDefault(false);
    }

    // A field is chosen by mouse or by keyboard.
    connect(List1, &QListWidget::currentRowChanged, this, &VKLOOKUP::List1_Click);
    connect(ADD, &QPushButton::clicked, this, [this] { ADD_Click(); });
    connect(DELETE, &QPushButton::clicked, this, &VKLOOKUP::DELETE_Click);
    connect(OK, &QPushButton::clicked, this, &VKLOOKUP::OK_Click);
    connect(CANCEL, &QPushButton::clicked, this, &VKLOOKUP::CANCEL_Click);
    connect(SFOR, &QLineEdit::textChanged, this, &VKLOOKUP::SFOR_Change);
    connect(TDBGrid5, &grid::DataGrid::headClick, this, &VKLOOKUP::TDBGrid5_HeadClick);
    connect(TDBGrid5, &QAbstractItemView::activated, this, [this] { TDBGrid5_DblClick(); });
    for (QWidget* w : std::initializer_list<QWidget*>{SEARCHDESC, FROM, THRU, SFOR, List1->viewport()})
        w->installEventFilter(this);
    for (QLineEdit* box : {SEARCHDESC, FROM, THRU})
        guardBox(box);

    Form_Load();
}

VKLOOKUP::~VKLOOKUP() {
    // The grids hold plain pointers to the models: let them go first.
    TDBGrid3->setColumnModel(nullptr);
    TDBGrid5->setColumnModel(nullptr);
}

void VKLOOKUP::Form_Load() {
    ui::centerForm(*this);
    CUEFILE_DatabaseName = dataset::current().databasePath();
}

// Refuses what the saved-search file cannot carry as it is typed or pasted: the characters are
// dropped and the user is told why.
void VKLOOKUP::guardBox(QLineEdit* box) {
    connect(box, &QLineEdit::textEdited, this, [this, box](const QString& text) {
        const QString problem = search::storableTextProblem(text);
        if (problem.isEmpty()) return;
        const int cursor = box->cursorPosition();
        const QString clean = search::withoutUnstorable(text);
        box->setText(clean);
        box->setCursorPosition(qMax(0, cursor - int(text.size() - clean.size())));
        warn(problem);
    });
}

void VKLOOKUP::warn(const QString& text) {
    ui::MsgBox(text, ui::vbExclamation, kTitle);
}

int VKLOOKUP::selectedField() const {
    const int row = List1->currentRow();
    if (row < 0 || !List1->item(row)->isSelected()) return -1;
    return row;
}

bool VKLOOKUP::Form_Activate() {
    List1->item(search::kExpire)->setText(search::fieldCaption(search::kExpire, dataset::current().code));
    Label4->hide();
    SFOR->hide();
    TDBGrid5->hide();
    SQLINCLUDE->setChecked(true);
    // A dialog kept loaded from an earlier showing starts clean.
    {
        const QSignalBlocker quiet(List1);
        List1->clearSelection();
        List1->setCurrentRow(-1);
    }
    FROM->clear();
    THRU->clear();
    THRU->setEnabled(true);
    THRU->show();
    Label3->show();
    clearCategoryGrid();
    if (CUEFILE_DatabaseName != dataset::current().databasePath()) Form_Load();

    Lookups.clear();
    const QString file = host_->curSQLFile();
    if (!file.isEmpty()) {
        const QString path = files::findFileNoCase(host_->workspaceFolder(), file);
        SqlParameters read;
        QString error;
        if (!search::readSearchFile(path, &read, &error)) {
            // Editing a file that cannot be read would overwrite it with whatever is entered now.
            warn(error);
            refreshLookupList(-1);
            return false;
        }
        Lookups = read;
        SEARCHDESC->clear();
        for (const SQLPARAMETER& p : Lookups)
            SEARCHDESC->setText(p.SQLDESC);
        velk::LookupIsNew = false;
    } else {
        SEARCHDESC->setText(QString::fromLatin1(search::kUntitledTitle));
        SEARCHDESC->setSelection(0, 8);
        SEARCHDESC->setFocus();
        velk::LookupIsNew = true;
    }
    refreshLookupList(Lookups.isEmpty() ? -1 : 0);
    return true;
}

void VKLOOKUP::refreshLookupList(int currentRow) {
    lookupModel_->reload(int(Lookups.size()));
    TDBGrid3->setCurrentRow(Lookups.isEmpty() ? -1 : qBound(0, currentRow, int(Lookups.size()) - 1));
}

void VKLOOKUP::OldStyleFetch(qint16 Row, qint16 Col, QVariant& Value) {
    if (Row < 0 || Row >= Lookups.size()) return;
    const SQLPARAMETER& p = Lookups.at(Row);
    switch (Col) {
    case 0:
        Value = p.SQLFIELD;
        break;
    case 1:
        Value = p.SQLFROM + QStringLiteral(" Thru ") + p.SQLTHRU;
        break;
    case 2:
        Value = p.SQLEXCLUDE ? QStringLiteral("Exclude") : QStringLiteral("Include");
        break;
    default:
        break;
    }
}

void VKLOOKUP::List1_Click(int pos) {
    if (!search::isValidField(pos)) return;
    // A mouse press makes the row current before it selects it: select it now, since the category
    // grid and Accept go by the selected field.
    if (List1->currentRow() != pos || !List1->item(pos)->isSelected()) {
        const QSignalBlocker quiet(List1);
        List1->setCurrentRow(pos, QItemSelectionModel::ClearAndSelect);
    }
    if (pos == search::kMerit) {
        if (const QString m = search::dataSetMessage(pos, dataset::current().code); !m.isEmpty()) {
            warn(m);
            return;
        }
    }
    TDBGrid5->setColumnVisible(0, true);
    if (pos == search::kNjArOnly) {
        if (const QString m = search::dataSetMessage(pos, dataset::current().code); !m.isEmpty()) {
            warn(m);
            return;
        }
    }
    Label4->hide();
    SFOR->hide();
    SFOR->clear();
    FROM->clear();
    THRU->clear();
    THRU->setEnabled(true);
    THRU->show();
    Label3->show();

    const search::FieldDefaults d = search::fieldDefaults(pos, QDate::currentDate());
    FROM->setText(d.from);
    THRU->setText(d.thru);
    if (d.fromSelection > 0) FROM->setSelection(0, d.fromSelection);
    if (!d.thruShown) {
        THRU->setEnabled(false);
        THRU->hide();
        Label3->hide();
        TDBGrid5->setColumnVisible(0, false);
    }

    const auto& category = search::lookupField(pos).category;
    if (category) {
        LoadCategoryGrid(category->keyColumn);
        TDBGrid5->show();
        if (category->searchFor) {
            Label4->show();
            SFOR->show();
        }
    } else {
        TDBGrid5->hide();
        clearCategoryGrid();
    }
    FROM->setFocus();
}

bool VKLOOKUP::ADD_Click() {
    const search::AcceptResult r = search::acceptEntry(selectedField(), dataset::current().code, FROM->text(),
                                                       THRU->text(), SQLEXCLUDE->isChecked(), Lookups);
    if (!r.check.ok()) {
        warn(r.check.message);
        if (r.check.focus == search::FocusBox::From)
            FROM->setFocus();
        else if (r.check.focus == search::FocusBox::Thru && THRU->isEnabled())
            THRU->setFocus();
        return false;
    }
    Lookups.append(r.lookup);
    refreshLookupList(int(Lookups.size()) - 1);
    FROM->clear();
    THRU->clear();
    SQLINCLUDE->setChecked(true);
    return true;
}

void VKLOOKUP::DELETE_Click() {
    if (Lookups.isEmpty()) return;
    const qint16 count = qint16(Lookups.size());
    const qint32 index = UnboundGridFetch::IndexFromBookmark(
        TDBGrid3->currentRow() < 0 ? QVariant() : UnboundGridFetch::MakeBookmark(TDBGrid3->currentRow()),
        false, count);
    // No current row: nothing to remove (the original would fail on position 0).
    if (index < 0 || index >= count) return;
    Lookups.removeAt(index);
    refreshLookupList(index);
}

void VKLOOKUP::FROM_LostFocus() {
    if (selectedField() == search::kZip) FROM->setText(search::paddedZip(FROM->text()));
}

void VKLOOKUP::THRU_GotFocus() {
    if (!THRU->text().isEmpty()) THRU->setSelection(THRU->cursorPosition(), int(THRU->text().size()));
}

bool VKLOOKUP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FROM && event->type() == QEvent::FocusOut)
        FROM_LostFocus();
    else if (watched == THRU && event->type() == QEvent::FocusIn)
        THRU_GotFocus();
    else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter finishes what the user is typing, never the whole search: OK is a click away.
            if (watched == FROM || watched == THRU) {
                if (watched == FROM) FROM_LostFocus(); // the zip is padded as on leaving the box
                ADD_Click();
            } else if (watched == SFOR) {
                TDBGrid5_DblClick();
            } else if (watched == SEARCHDESC) {
                List1->setFocus();
            }
            return true;
        }
    } else if (watched == List1->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A click on the field already chosen starts its entry afresh; a click on another field
        // arrives as a change of the current row.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = List1->indexAt(mouse->position().toPoint()).row();
        if (mouse->button() == Qt::LeftButton && row >= 0 && row == selectedField()) List1_Click(row);
    }
    return QDialog::eventFilter(watched, event);
}

// ---- category grid ----

QString VKLOOKUP::categoryValue(int row, int col) const {
    if (row < 0 || row >= categoryRows_.size()) return QString();
    return col == 0 ? categoryRows_.at(row).code : categoryRows_.at(row).name;
}

int VKLOOKUP::categoryRowCount() const {
    return int(categoryRows_.size());
}

void VKLOOKUP::clearCategoryGrid() {
    categoryRows_.clear();
    categoryModel_->setRowCount(0);
}

void VKLOOKUP::LoadCategoryGrid(int ColIdx) {
    ui::BusyCursor busy;
    ColIdx = ColIdx == 0 ? 0 : 1;
    const QColor face = palette().color(QPalette::Button);
    TDBGrid5->setHeaderColor(0, face);
    TDBGrid5->setHeaderColor(1, face);
    TDBGrid5->setHeaderColor(ColIdx, FROM->palette().color(QPalette::Base));

    const int pos = selectedField();
    const QString sql = search::categorySql(pos, ColIdx);
    if (!sql.isEmpty()) {
        const QString codeField = search::categoryColumn(pos, 0);
        const QString nameField = search::categoryColumn(pos, 1);
        categoryRows_.clear();
        // The rows are read whole (category tables are small) and the database closed again, so
        // "Search for" works in memory and the editor holds no connection while it waits.
        try {
            auto db = dao::Database::open(CUEFILE_DatabaseName, false, true, dataset::current().connect);
            auto rs = db->OpenRecordset(sql, dao::RecordsetType::Snapshot, dao::ForwardOnly);
            for (; !rs->atEOF(); rs->MoveNext())
                categoryRows_.append({rs->text(codeField), rs->text(nameField)});
        } catch (const dao::DaoError& e) {
            categoryRows_.clear();
            warn(e.message());
        }
        categoryModel_->setRowCount(int(categoryRows_.size()));
        TDBGrid5->setCurrentRow(categoryRows_.isEmpty() ? -1 : 0);
        SearchColumn = ColIdx == 0 ? codeField : nameField;
    }
    searchKey_ = ColIdx;
}

void VKLOOKUP::TDBGrid5_HeadClick(int col) {
    {
        // What was typed sought a key of the other column; the grid stands at its first row again.
        const QSignalBlocker quiet(SFOR);
        SFOR->clear();
    }
    LoadCategoryGrid(col);
}

void VKLOOKUP::SFOR_Change() {
    if (categoryRows_.isEmpty()) return;
    ui::BusyCursor busy;
    QStringList keys;
    keys.reserve(categoryRows_.size());
    for (const CategoryRow& r : categoryRows_)
        keys << (searchKey_ == 0 ? r.code : r.name);
    const int row = search::findCategoryRow(keys, SFOR->text());
    if (row >= 0) TDBGrid5->setCurrentRow(row);
}

void VKLOOKUP::TDBGrid5_DblClick() {
    const int row = TDBGrid5->currentRow();
    if (row < 0 || row >= categoryRows_.size()) return;
    const search::PickResult p = search::pickCategory(selectedField(), FROM->text(), THRU->text(),
                                                      categoryRows_.at(row).code, categoryRows_.at(row).name);
    FROM->setText(p.from);
    THRU->setText(p.thru);
}

// ---- saving ----

bool VKLOOKUP::WriteSearchFile(const QString& FileName, QString* error) {
    const QString path = files::findFileNoCase(host_->workspaceFolder(), FileName);
    return search::writeSearchFile(path, SEARCHDESC->text(), Lookups, error);
}

void VKLOOKUP::OK_Click() {
    if (!FROM->text().isEmpty() || !THRU->text().isEmpty())
        ADD_Click(); // a refused entry has had its message; the search is saved without it
    if (Lookups.isEmpty()) {
        warn(QString::fromLatin1(search::msg::kNoParameters));
        return;
    }
    const QString title = SEARCHDESC->text();
    // A title of blanks would give a tab without a caption and hide the later searches from the
    // edit/delete list.
    if (title.trimmed().isEmpty()) {
        warn(QString::fromLatin1(search::msg::kNoTitle));
        return;
    }
    if (const QString problem = search::storableTextProblem(title); !problem.isEmpty()) {
        warn(problem);
        return;
    }

    const QString folder = host_->workspaceFolder();
    QString name;
    bool replacing = true; // the untitled or the edited search: its twin goes with it
    if (title == QLatin1String(search::kUntitledTitle)) {
        name = QString::fromLatin1(search::kUntitledFile);
    } else if (!host_->curSQLFile().isEmpty()) {
        name = host_->curSQLFile();
    } else {
        for (int n = 1; n <= search::kMaxNamedSearches && name.isEmpty(); ++n) {
            const QString candidate = search::searchFileName(n);
            if (files::fileLength(files::findFileNoCase(folder, candidate)) == 0) name = candidate;
        }
        if (name.isEmpty()) {
            warn(QString::fromLatin1(search::msg::kMaxSearches));
            return;
        }
        replacing = false;
    }

    // The file is replaced whole only once the new one is written, so a failed save loses nothing.
    QString error;
    if (!WriteSearchFile(name, &error)) {
        warn(QStringLiteral("Cannot write search information to disk!\n\n") + error);
        return;
    }
    if (replacing) QFile::remove(files::findFileNoCase(folder, search::twinName(name)));

    if (velk::LookupIsNew) {
        hideDialog();
        host_->selectTab(0);
        host_->SETTABS();
        host_->showList();
    } else {
        host_->SetUpSQL();
        unload();
        host_->SETTABS();
        host_->showList();
    }
}

void VKLOOKUP::CANCEL_Click() {
    unload();
    host_->SETTABS();
    host_->showList();
}

void VKLOOKUP::reject() {
    CANCEL_Click();
}

void VKLOOKUP::hideDialog() {
    done(QDialog::Accepted);
}

void VKLOOKUP::unload() {
    done(QDialog::Rejected);
    search::unloadLookupEditor();
}

// ---- the one instance ----

namespace search {

namespace {
ui::FormSlot<VKLOOKUP>& editor() {
    static ui::FormSlot<VKLOOKUP> slot;
    return slot;
}
} // namespace

VKLOOKUP* loadedLookupEditor() {
    return editor().loaded();
}

void unloadLookupEditor() {
    editor().unload();
}

void showLookupEditorModal(LookupEditorHost& host, QWidget* parent) {
    VKLOOKUP* dlg = &editor().load(host, parent);
    dlg->setHost(host);
    if (!dlg->Form_Activate()) {
        unloadLookupEditor();
        host.SETTABS();
        host.showList();
        return;
    }
    ui::showModal(*dlg);
}

} // namespace search
