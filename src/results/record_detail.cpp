#include "results/record_detail.h"

#include "dataset/address_override.h"
#include "dataset/data_set.h"
#include "dataset/text_rules.h"
#include "dataset/user_fields.h"
#include "platform/dao/dao.h"
#include "platform/dao/jet_sql.h"
#include "platform/grid/data_control.h"
#include "platform/grid/data_grid.h"
#include "platform/ui/centre.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "results/detail_rules.h"
#include "results/list_form.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Focus that comes from a window being activated or a pop-up closing is no move between boxes.
bool boxToBoxMove(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

VKLISTI::VKLISTI(VKLIST& list, QWidget* parent) : QDialog(parent), list_(list) {
    setWindowTitle(QStringLiteral("VKLISTI"));
    buildControls();
    Form_Load();
}

VKLISTI::~VKLISTI() {
    releaseNote();
}

void VKLISTI::buildControls() {
    resize(ui::twipsToPixels(QSize(9075, 7725)));

    NOTES = new QPlainTextEdit(this);
    NOTES->setTabChangesFocus(true);
    connect(NOTES, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingNote_) noteEdited_ = true;
    });

    ASSFILE = new grid::DataControl(this);
    ASSFILE->RecordsetType = dao::RecordsetType::Snapshot;
    CLASSFILE = new grid::DataControl(this);
    CLASSFILE->RecordsetType = dao::RecordsetType::Snapshot;

    TDBGrid8 = new grid::DataGrid(this);
    TDBGrid8->bind(ASSFILE,
                   {grid::ColumnSpec{QStringLiteral("Associated Companies"), QStringLiteral("NAME1")}});
    TDBGrid8->horizontalHeader()->setStretchLastSection(true);
    connect(TDBGrid8, &QAbstractItemView::activated, this, [this] { GoToAssociatedRecord(); });

    SIC = new QLineEdit(this);

    TDBGrid7 = new grid::DataGrid(this);
    TDBGrid7->bind(CLASSFILE,
                   {grid::ColumnSpec{QStringLiteral("Code"), QStringLiteral("CLASS")},
                    grid::ColumnSpec{QStringLiteral("Class Description"), QStringLiteral("CLASSDESC")},
                    grid::ColumnSpec{QStringLiteral("L. C."),
                                     QStringLiteral("LOSSCOST"),
                                     QStringLiteral(".00"),
                                     true,
                                     {},
                                     {},
                                     grid::kNumberAlignment}});

    // Code and loss cost always in view; the description takes the rest and elides.
    TDBGrid7->fitColumn(0, QStringLiteral("00000"));
    TDBGrid7->setStretchColumn(1);
    TDBGrid7->fitColumn(2, QStringLiteral("0,000.00"));
    // Wide enough for a whole class description (50 characters) beside its code and loss cost.
    TDBGrid7->setMinimumWidth(TDBGrid7->columnWidth(0) + TDBGrid7->columnWidth(2) +
                              TDBGrid7->fontMetrics().horizontalAdvance(
                                  QStringLiteral("CARPENTRY-DETACHED ONE OR TWO FAMILY DWELLINGS NOC")) +
                              TDBGrid7->verticalScrollBar()->sizeHint().width() + 2 * TDBGrid7->frameWidth() +
                              16);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setAutoDefault(false);
    Command1->setMinimumWidth(ui::twipsToPixels(1212));
    connect(Command1, &QPushButton::clicked, this, &VKLISTI::Command1_Click);

    // Left: the note, the associated companies, the SIC and the classes, OK under them.
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Notes:"), this));
    left->addWidget(NOTES, 3);
    left->addWidget(TDBGrid8, 2);
    auto* sicRow = new QHBoxLayout;
    sicRow->addWidget(new QLabel(QStringLiteral("SIC"), this));
    sicRow->addWidget(SIC, 1);
    left->addLayout(sicRow);
    left->addWidget(TDBGrid7, 3);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(Command1);
    okRow->addStretch();
    left->addLayout(okRow);

    // Right: labels beside their boxes, top to bottom as the record reads.
    auto* right = new QGridLayout;
    int row = 0;
    auto addBox = [&](const QString& caption, QLabel** lbl, int widthTwips = 1575) {
        auto* l = new QLabel(caption, this);
        if (lbl) *lbl = l;
        auto* box = new QLineEdit(this);
        box->setMinimumWidth(ui::twipsToPixels(widthTwips));
        box->setMaximumWidth(ui::twipsToPixels(widthTwips * 3 / 2));
        right->addWidget(l, row, 0);
        right->addWidget(box, row, 1);
        ++row;
        return box;
    };
    EMPLOYEES = addBox(QStringLiteral("# Employees"), nullptr);
    SALES = addBox(QStringLiteral("Sales"), nullptr);
    NEW_AS_OF = addBox(QStringLiteral("Date Added"), nullptr);
    right->setRowMinimumHeight(row++, ui::twipsToPixels(120));
    User1 = addBox(QStringLiteral("User Field 1"), &lblUser1);
    Label17 = new QLabel(QStringLiteral("   !&   for custom Address"), this);
    right->addWidget(Label17, row++, 1);
    User2 = addBox(QStringLiteral("User Field 2"), &lblUser2);
    User3 = addBox(QStringLiteral("User Field 3"), &lblUser3);
    UserContact = addBox(QStringLiteral("User Contact"), &lblUserContact);
    UserTitle = addBox(QStringLiteral("User Title"), &lblUserTitle);
    UserPhone = addBox(QStringLiteral("User Phone"), &lblUserPhone);
    UserFax = addBox(QStringLiteral("User Fax"), &Label16);

    // The New Jersey group.
    Label8 = new QLabel(QStringLiteral("New Jersey"), this);
    right->addWidget(Label8, row++, 0, 1, 2, Qt::AlignHCenter);
    auto* codes = new QHBoxLayout;
    PPAP = new QLineEdit(this);
    NJCCPAP = new QLineEdit(this);
    for (auto [caption, box] : {std::pair{"PPAP", PPAP}, std::pair{"NJCCPAP", NJCCPAP}}) {
        box->setMinimumWidth(ui::twipsToPixels(615));
        box->setMaximumWidth(ui::twipsToPixels(615 * 3 / 2));
        codes->addWidget(new QLabel(QLatin1String(caption), this));
        codes->addWidget(box);
        codes->addWidget(new QLabel(QStringLiteral("%"), this));
    }
    codes->addStretch();
    right->addLayout(codes, row++, 0, 1, 2);
    Label9 = new QLabel(QStringLiteral("Assigned Risk"), this);
    right->addWidget(Label9, row++, 0, 1, 2, Qt::AlignHCenter);
    Text1 = addBox(QStringLiteral("Date"), nullptr, 615);
    Text2 = addBox(QStringLiteral("Estimated Premium"), nullptr, 975);
    Text3 = addBox(QStringLiteral("+/- 4 Year Premium"), nullptr, 975);
    Text4 = addBox(QStringLiteral("+/- 4 Year Losses"), nullptr, 975);
    right->setRowStretch(row, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    // The display boxes are never written back, so they do not offer editing.
    for (QLineEdit* box : {EMPLOYEES, SALES, NEW_AS_OF, SIC, PPAP, NJCCPAP, Text1, Text2, Text3, Text4})
        box->setReadOnly(true);
    Text1->setMaxLength(5);
    for (QLineEdit* box : {Text2, Text3, Text4})
        box->setMaxLength(9);
    PPAP->setMaxLength(3);
    NJCCPAP->setMaxLength(3);

    for (QLineEdit* box : userBoxes()) {
        box->setObjectName(boxField(box));
        box->setMaxLength(dataset::userFieldMaxLength(boxField(box)));
        box->installEventFilter(this);
    }
    NOTES->installEventFilter(this);
    NOTES->viewport()->installEventFilter(this);
    connect(User1, &QLineEdit::textChanged, this, &VKLISTI::User1_Change);

    QWidget* order[] = {Command1, NOTES, TDBGrid7, TDBGrid8,    EMPLOYEES, SALES,     NEW_AS_OF,
                        SIC,      PPAP,  NJCCPAP,  Text1,       Text2,     Text3,     Text4,
                        User1,    User2, User3,    UserContact, UserPhone, UserTitle, UserFax};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Command1->setFocus();
    resize(size().expandedTo(sizeHint()));
}

std::array<QLineEdit*, 7> VKLISTI::userBoxes() const {
    return {User1, User2, User3, UserContact, UserTitle, UserPhone, UserFax};
}

QString VKLISTI::boxField(QLineEdit* box) const {
    const auto boxes = userBoxes();
    const auto at = std::find(boxes.begin(), boxes.end(), box);
    return at == boxes.end() ? QString() : dataset::userFieldNames().value(int(at - boxes.begin()));
}

bool VKLISTI::isUserBox(QObject* o) const {
    const auto boxes = userBoxes();
    return std::find(boxes.begin(), boxes.end(), o) != boxes.end();
}

void VKLISTI::Form_Load() {
    // The grids read through the list's connection; setDatabase names its file.
    ASSFILE->setDatabase(list_.VELKDB.get());
    CLASSFILE->setDatabase(list_.VELKDB.get());
    ui::centerForm(*this);
}

bool VKLISTI::Form_Activate() {
    ASSFILE->RecordSource = QStringLiteral("SELECT * FROM PRIME WHERE FILE = ") + dao::quoteLiteral(KEYFILE);
    ASSFILE->Refresh();
    TDBGrid8->rebind();

    settingNote_ = true;
    const bool shown = list_.GETNOTES(KEYFILE, KEYSEQ, NOTES);
    settingNote_ = false;
    // A note shown read-only (its lock file cannot be written) is never written back.
    noteHeld_ = shown && list_.notesStore() && list_.notesStore()->isOpen();
    if (!shown) {
        outcome_ = Outcome::Locked;
        closing_ = true;
        hide();
        done(QDialog::Rejected);
        return false;
    }
    noteEdited_ = false;
    stamps_.clear();

    CLASSFILE->RecordSource = QStringLiteral("SELECT * FROM CLASS WHERE FILE = ") +
                              dao::quoteLiteral(KEYFILE) + QStringLiteral(" AND SEQUENCE = ") +
                              dao::quoteLiteral(KEYSEQ);
    CLASSFILE->Refresh();
    TDBGrid7->rebind();
    fillRecord();
    return true;
}

void VKLISTI::fillRecord() {
    dao::Recordset& prime = *list_.PRIMETB;
    prime.setIndex(QStringLiteral("PRIMARY"));
    prime.Seek(QStringLiteral("="), {KEYFILE, KEYSEQ});
    recordFound_ = !prime.NoMatch();
    // Without its row there is nothing the user boxes could be written to.
    for (QLineEdit* box : userBoxes())
        box->setEnabled(recordFound_);
    if (!recordFound_) return;

    const QString sic = prime.text(QStringLiteral("SIC"));
    SIC->setText(sic);
    EMPLOYEES->setText(results::employeesText(prime.value(QStringLiteral("EMPLOYEES"))));
    SALES->setText(results::salesText(prime.value(QStringLiteral("SALES"))));
    dao::Recordset& sicCodes = *list_.SICCODESTB;
    sicCodes.setIndex(QStringLiteral("PRIMARY"));
    sicCodes.Seek(QStringLiteral("="), {sic});
    if (!sicCodes.NoMatch())
        SIC->setText(sic + QStringLiteral(" - ") + sicCodes.text(QStringLiteral("DESC")));

    // Fields that a data set does not carry are missing here; their boxes stay empty.
    auto field = [&prime](const char* name) {
        const QString f = QString::fromLatin1(name);
        return prime.fieldIndex(f) >= 0 ? prime.value(f) : QVariant();
    };
    Text1->setText(results::njarDateText(field("NJAR")));
    Text2->setText(field("ARESTPREM").toString());
    Text3->setText(field("ARTOTPREM").toString());
    Text4->setText(field("ARTOTLOSS").toString());
    PPAP->setText(field("NJPPAP").toString());
    NJCCPAP->setText(field("NJCCPAP").toString());

    for (QLineEdit* box : userBoxes()) {
        const QString value = field(boxField(box).toLatin1().constData()).toString();
        // The length limit is for typing; a longer stored value is shown whole, never cut.
        box->setMaxLength(qMax(dataset::userFieldMaxLength(boxField(box)), int(value.size())));
        box->setText(value);
    }
    User1_Change();
    // A text longer than its box shows its beginning (the SIC code before its description).
    for (QLineEdit* box : {EMPLOYEES, SALES, SIC, Text1, Text2, Text3, Text4, PPAP, NJCCPAP})
        box->setCursorPosition(0);
    for (QLineEdit* box : userBoxes())
        box->setCursorPosition(0);
}

void VKLISTI::setNoteText(const QString& text) {
    settingNote_ = true;
    NOTES->setPlainText(text);
    settingNote_ = false;
}

void VKLISTI::NOTES_GotFocus() {
    if (NOTES->isReadOnly()) return; // a stamp on a note that cannot be saved would only mislead
    const QString before = NOTES->toPlainText();
    const results::StampedNote stamped =
        results::stampNote(before, results::todayShortDate(), QStringLiteral("\n"));
    setNoteText(stamped.text);
    stamps_.append({stamped.text.left(stamped.caret), before});
    QTextCursor cursor = NOTES->textCursor();
    cursor.setPosition(stamped.caret);
    NOTES->setTextCursor(cursor);
}

void VKLISTI::dropUntypedStamps() {
    // Passing through the note must not fill it with dated lines that say nothing.
    const QString text = results::withoutUntypedStamps(NOTES->toPlainText(), stamps_);
    stamps_.clear();
    if (text != NOTES->toPlainText()) setNoteText(text);
}

void VKLISTI::releaseNote() {
    if (!noteHeld_) return;
    noteHeld_ = false;
    list_.releaseNote();
}

bool VKLISTI::leaveFocusedBox() {
    if (returningTo_) return false; // a refused box still waits for the focus
    QWidget* focus = focusWidget();
    if (!isUserBox(focus)) return true;
    const Refusal r = leaveBox(static_cast<QLineEdit*>(focus));
    if (r.refused()) {
        refuse(r);
        return false;
    }
    return true;
}

void VKLISTI::Command1_Click() {
    if (closing_ || !leaveFocusedBox()) return;
    closing_ = true;
    if (!noteHeld_) { // shown read-only: nothing to write
        outcome_ = Outcome::Closed;
        hide();
        done(QDialog::Accepted);
        return;
    }
    dropUntypedStamps();
    try {
        list_.SETNOTES(NOTES);
    } catch (const dao::DaoError& e) {
        closing_ = false;
        ui::MsgBox(QStringLiteral("The notes could not be saved.  ") + e.message(),
                   ui::vbOKOnly | ui::vbExclamation);
        return;
    }
    noteHeld_ = false;
    outcome_ = Outcome::Saved;
    hide();
    done(QDialog::Accepted);
}

void VKLISTI::reject() {
    if (!closing_) {
        if (!leaveFocusedBox() || !keepTypedNote()) return;
        closing_ = true;
        releaseNote();
        outcome_ = Outcome::Closed;
    }
    QDialog::reject();
}

void VKLISTI::keyPressEvent(QKeyEvent* event) {
    // The form has no Cancel button: Escape must not throw away a note being typed.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // OK is no default button (Enter in a box must not close the form), but Enter on OK itself
    // presses it, as the keyboard user who tabbed there expects.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == Command1) {
        event->accept();
        Command1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool VKLISTI::keepTypedNote() {
    if (!noteEdited_ || !noteHeld_) return true;
    const int answer = ui::MsgBox(QStringLiteral("Save the changes to the notes of this record?"),
                                  ui::vbYesNoCancel | ui::vbQuestion);
    if (answer == ui::vbCancel) return false;
    if (answer == ui::vbYes) {
        dropUntypedStamps();
        try {
            list_.SETNOTES(NOTES);
            noteHeld_ = false;
        } catch (const dao::DaoError& e) {
            ui::MsgBox(QStringLiteral("The notes could not be saved.  ") + e.message(),
                       ui::vbOKOnly | ui::vbExclamation);
            return false;
        }
    }
    return true;
}

void VKLISTI::GoToAssociatedRecord() {
    if (closing_ || !leaveFocusedBox()) return;
    dao::Recordset* picked = ASSFILE->Recordset();
    if (!picked || picked->atEOF() || picked->atBOF()) return;
    const QString file = picked->text(QStringLiteral("FILE"));
    const QString sequence = picked->text(QStringLiteral("SEQUENCE"));

    if (!keepTypedNote()) return;
    closing_ = true;
    releaseNote();
    outcome_ = Outcome::Jumped;
    hide();
    list_.showAssociatedRecord(file, sequence);
    done(QDialog::Rejected);
}

// ---- user fields ----

void VKLISTI::User1_Change() {
    const dataset::UserCaptions c = dataset::userCaptions(User1->text());
    lblUser2->setText(c.lblUser2);
    lblUser3->setText(c.lblUser3);
}

void VKLISTI::User1_GotFocus() {
    User1->setText(dataset::trimBlanks(User1->text()));
}
void VKLISTI::User2_GotFocus() {
    User2->setText(dataset::trimBlanks(User2->text()));
}
void VKLISTI::User3_GotFocus() {
    User3->setText(dataset::trimBlanks(User3->text()));
}

QString VKLISTI::writeFields(const QList<QPair<QString, QVariant>>& values) {
    if (!recordFound_) return QString();
    dao::Recordset& prime = *list_.PRIMETB;
    try {
        // Seek again: the row is written by key, wherever the shared recordset was left.
        prime.setIndex(QStringLiteral("PRIMARY"));
        prime.Seek(QStringLiteral("="), {KEYFILE, KEYSEQ});
        if (prime.NoMatch())
            return QStringLiteral(
                "This record is no longer in the data set.  Your entry could not be saved.");
        prime.Edit();
        for (const auto& [field, value] : values)
            prime.setValue(field, value);
        prime.Update();
    } catch (const dao::DaoError& e) {
        if (prime.editing()) prime.CancelUpdate();
        return QStringLiteral("Your entry could not be saved.  ") + e.message();
    }
    return QString();
}

VKLISTI::Refusal VKLISTI::saveOne(QLineEdit* box) {
    const QString problem = writeFields({{boxField(box), dataset::userFieldValue(box->text())}});
    return {problem, box};
}

VKLISTI::Refusal VKLISTI::leaveBox(QLineEdit* box) {
    if (!recordFound_) return {};
    const bool marker = dataset::hasOverrideMarker(User1->text());
    if (box == User1) {
        QList<QPair<QString, QVariant>> values{
            {QStringLiteral("User1"), dataset::userFieldValue(User1->text())}};
        Refusal refusal;
        if (marker) {
            const dataset::AddressParts parts = dataset::parseCityStZip(User3->text());
            const QString street = dataset::trimBlanks(User2->text());
            // Street and city line are written apart, each only when it fits its columns; the box
            // that does not fit gets the focus for correction.
            if (const QString p = dataset::streetWidthProblem(street, dataset::current().code);
                !p.isEmpty()) {
                refusal = {p, User2};
            } else if (!street.isEmpty()) {
                values.append({QStringLiteral("STREET"), street});
            }
            const QString cityProblem = dataset::cityWidthProblem(parts);
            if (!cityProblem.isEmpty()) {
                if (!refusal.refused()) refusal = {cityProblem, User3};
            } else {
                const std::pair<const char*, QString> partFields[] = {
                    {"CITY", parts.CITY}, {"ST", parts.ST}, {"ZIP", parts.ZIP}, {"ZIPEXT", parts.ZIPEXT}};
                for (const auto& [field, part] : partFields)
                    if (!dataset::trimBlanks(part).isEmpty())
                        values.append({QString::fromLatin1(field), part});
            }
        }
        const QString problem = writeFields(values);
        if (!problem.isEmpty()) return {problem, User1};
        return refusal;
    }
    if (box == User2) {
        if (Refusal r = saveOne(User2); r.refused()) return r;
        if (!marker) return {};
        if (const QString problem = dataset::streetProblem(User2->text(), dataset::current().code);
            !problem.isEmpty())
            return {problem, User2};
        return {writeFields({{QStringLiteral("STREET"), User2->text()}}), User2};
    }
    if (box == User3) {
        if (Refusal r = saveOne(User3); r.refused()) return r;
        if (!marker) return {};
        const dataset::AddressParts parts = dataset::parseCityStZip(User3->text());
        if (const QString problem = dataset::cityStZipProblem(parts); !problem.isEmpty())
            return {problem, User3};
        // No extension in the new text clears a stored one.
        const QVariant zipExt = parts.ZIPEXT.isEmpty() ? QVariant() : QVariant(parts.ZIPEXT);
        return {writeFields({{QStringLiteral("CITY"), parts.CITY},
                             {QStringLiteral("ST"), parts.ST},
                             {QStringLiteral("ZIP"), parts.ZIP},
                             {QStringLiteral("ZIPEXT"), zipExt}}),
                User3};
    }
    return saveOne(box);
}

void VKLISTI::refuse(const Refusal& r) {
    ui::MsgBox(r.message, ui::vbOKOnly);
    if (r.focus && r.focus->isEnabled()) r.focus->setFocus(Qt::OtherFocusReason);
}

bool VKLISTI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == NOTES->viewport() && event->type() == QEvent::MouseButtonPress && swallowNotePress_) {
        swallowNotePress_ = false;
        return true;
    }
    if (closing_ || (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut))
        return QDialog::eventFilter(watched, event);
    const auto* fe = static_cast<QFocusEvent*>(event);
    if (!boxToBoxMove(fe->reason())) return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::FocusIn) {
        if (returningTo_) {
            // Passing through on the way back to a refused box: no stamp, no trim.
            if (watched == returningTo_) returningTo_ = nullptr;
        } else if (watched == NOTES) {
            NOTES_GotFocus();
            // The press that gave the focus would next move the caret to where it landed.
            if (fe->reason() == Qt::MouseFocusReason) {
                swallowNotePress_ = true;
                QTimer::singleShot(0, this, [this] { swallowNotePress_ = false; });
            }
        } else if (watched == User1) {
            User1_GotFocus();
        } else if (watched == User2) {
            User2_GotFocus();
        } else if (watched == User3) {
            User3_GotFocus();
        }
        return QDialog::eventFilter(watched, event);
    }

    // Focus out of a user box. While the focus is on its way back to a refused box, the boxes it
    // passes through are not checked, so two refused boxes cannot take the focus from each other.
    if (returningTo_ || !isUserBox(watched)) return QDialog::eventFilter(watched, event);
    const Refusal r = leaveBox(static_cast<QLineEdit*>(watched));
    if (r.refused()) {
        // The message waits until the focus change has finished, so no box in between reacts to it.
        returningTo_ = r.focus;
        QTimer::singleShot(0, this, [this, r] {
            refuse(r);
            returningTo_ = nullptr;
        });
    }
    return QDialog::eventFilter(watched, event);
}
