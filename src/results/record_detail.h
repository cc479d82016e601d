// VKLISTI, the record detail form: one PRIME row in depth (bands, SIC, New Jersey figures,
// associated companies, classes), the user's note and the seven user fields.
#pragma once

#include "results/detail_rules.h"

#include <QDialog>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class VKLIST;

namespace grid {
class DataControl;
class DataGrid;
} // namespace grid

class VKLISTI : public QDialog {
    Q_OBJECT
public:
    // The form works on the list form's open state database, its PRIME and SICCODES recordsets
    // and its notes store.
    explicit VKLISTI(VKLIST& list, QWidget* parent = nullptr);
    ~VKLISTI() override;

    // Set by the opener before the form is shown.
    QString KEYFILE;
    QString KEYSEQ;

    grid::DataControl* ASSFILE = nullptr;   // PRIME rows sharing the record's FILE
    grid::DataControl* CLASSFILE = nullptr; // the record's CLASS rows
    grid::DataGrid* TDBGrid8 = nullptr;     // "Associated Companies"
    grid::DataGrid* TDBGrid7 = nullptr;     // "Code", "Class Description", "L. C."

    QPlainTextEdit* NOTES = nullptr;
    QLineEdit* EMPLOYEES = nullptr;
    QLineEdit* SALES = nullptr;
    QLineEdit* NEW_AS_OF = nullptr;
    QLineEdit* SIC = nullptr;
    QLineEdit* PPAP = nullptr;
    QLineEdit* NJCCPAP = nullptr;
    QLineEdit* Text1 = nullptr; // assigned-risk date
    QLineEdit* Text2 = nullptr; // estimated premium
    QLineEdit* Text3 = nullptr; // +/- 4 year premium
    QLineEdit* Text4 = nullptr; // +/- 4 year losses
    QLineEdit* User1 = nullptr;
    QLineEdit* User2 = nullptr;
    QLineEdit* User3 = nullptr;
    QLineEdit* UserContact = nullptr;
    QLineEdit* UserTitle = nullptr;
    QLineEdit* UserPhone = nullptr;
    QLineEdit* UserFax = nullptr;
    QLabel* lblUser1 = nullptr;
    QLabel* lblUser2 = nullptr;
    QLabel* lblUser3 = nullptr;
    QLabel* lblUserContact = nullptr;
    QLabel* lblUserTitle = nullptr;
    QLabel* lblUserPhone = nullptr;
    QLabel* Label16 = nullptr;       // "User Fax"
    QLabel* Label17 = nullptr;       // the override hint
    QLabel* Label8 = nullptr;        // "New Jersey"
    QLabel* Label9 = nullptr;        // "Assigned Risk"
    QPushButton* Command1 = nullptr; // "OK"

    // Run by the constructor: points the data controls at the state database and centres the form.
    void Form_Load();
    // Loads the record. Returns false when the form closed itself because another user holds the note.
    bool Form_Activate();
    // Date stamp on top of the note, caret on the stamped line.
    void NOTES_GotFocus();
    // OK: writes the note back and closes the form.
    void Command1_Click();
    // Row pick in the associated-companies grid: closes the form and moves the list to that record.
    void GoToAssociatedRecord();

    void User1_Change();
    void User1_GotFocus();
    void User2_GotFocus();
    void User3_GotFocus();

    enum class Outcome { Open, Saved, Closed, Jumped, Locked };
    Outcome outcome() const { return outcome_; }
    bool recordFound() const { return recordFound_; }
    // The user typed into the note (a date stamp alone is no change).
    bool noteEdited() const { return noteEdited_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The window's close box: asks whether a typed note is to be saved, as the jump does.
    void reject() override;

private:
    struct Refusal {
        QString message;
        QLineEdit* focus = nullptr;
        bool refused() const { return !message.isEmpty(); }
    };
    void buildControls();
    void fillRecord();
    Refusal leaveBox(QLineEdit* box);
    Refusal saveOne(QLineEdit* box);
    QString writeFields(const QList<QPair<QString, QVariant>>& values);
    void refuse(const Refusal& r);
    bool leaveFocusedBox();
    void setNoteText(const QString& text);
    void releaseNote();
    // Takes the stamps of this visit after which nothing was typed out of the note.
    void dropUntypedStamps();
    // Asks about a note the user typed into: Yes saves it, No drops it. False when the form stays
    // open (Cancel, or the note could not be saved).
    bool keepTypedNote();
    // The user boxes in the order of dataset::userFieldNames().
    std::array<QLineEdit*, 7> userBoxes() const;
    QString boxField(QLineEdit* box) const;
    bool isUserBox(QObject* o) const;

    VKLIST& list_;
    Outcome outcome_ = Outcome::Open;
    bool recordFound_ = false;
    bool noteHeld_ = false;
    bool noteEdited_ = false;
    bool settingNote_ = false;
    bool closing_ = false;
    bool swallowNotePress_ = false;    // a click stamped the note: the caret stays on the stamped line
    QLineEdit* returningTo_ = nullptr; // a refused box waiting for the focus to come back
    QVector<results::Stamping> stamps_; // the stamps put on the note in this visit
};
