// The record detail form headless: a standard, a New Jersey and a New York record, the note's
// stamp, save, cancel and lock, the jump to an associated record, and the panel refresh afterwards.
#include "results/vklisti.h"
#include "results/vknyaddr.h"

#include "detail_fixture.h"
#include "platform/ui/msgbox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

namespace {

using detailtest::DetailFixture;
using testsupport::ModalScript;

const QString kLockMessage =
    "Another user is working with data which affects your notes.  Try again later to view "
    "your information.";

QString cell(grid::DataGrid* g, int row, int col) {
    return g->model()->data(g->model()->index(row, col)).toString();
}

// Every row of a grid's column (the grid reaches further rows on demand, as scrolling would).
QStringList column(grid::DataGrid* g, int col) {
    while (g->model()->canFetchMore({}))
        g->model()->fetchMore({});
    QStringList values;
    for (int r = 0; r < g->model()->rowCount(); ++r)
        values << cell(g, r, col);
    return values;
}

TEST_F(DetailFixture, StandardRecordInDepth) {
    openList("PA");
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL CO");
        EXPECT_EQ(f.KEYFILE, fileA);
        EXPECT_EQ(f.KEYSEQ, "01");
        EXPECT_EQ(f.NOTES->toPlainText(), "First note");
        EXPECT_EQ(f.EMPLOYEES->text(), "5 - 9");
        EXPECT_EQ(f.SALES->text(), "1 Billion +");
        EXPECT_EQ(f.NEW_AS_OF->text(), "");
        EXPECT_EQ(f.SIC->text(), "1711 - PLUMBING, HEATING");
        // The record itself is among its associated companies.
        QStringList associated = column(f.TDBGrid8, 0);
        associated.sort();
        EXPECT_EQ(associated, QStringList({"ACME TOOL CO", "ACME TOOL WEST"}));
        EXPECT_EQ(f.TDBGrid8->model()->headerData(0, Qt::Horizontal).toString(), "Associated Companies");
        EXPECT_EQ(column(f.TDBGrid7, 0), QStringList({"5183", "8810"}));
        EXPECT_EQ(column(f.TDBGrid7, 1), QStringList({"PLUMBING", "CLERICAL"}));
        EXPECT_EQ(column(f.TDBGrid7, 2), QStringList({".50", "12.50"}));
        EXPECT_EQ(f.TDBGrid7->model()->headerData(2, Qt::Horizontal).toString(), "L. C.");
        // No New Jersey figures outside New Jersey.
        EXPECT_EQ(f.Text1->text(), "/");
        for (QLineEdit* box : {f.Text2, f.Text3, f.Text4, f.PPAP, f.NJCCPAP})
            EXPECT_EQ(box->text(), "");
        EXPECT_EQ(f.UserPhone->text(), "555-0001");
        EXPECT_EQ(f.User1->text(), " ");
        EXPECT_EQ(f.lblUser2->text(), "User Field 2");
        EXPECT_EQ(f.lblUser3->text(), "User Field 3");
        EXPECT_EQ(f.Label17->text(), "   !&   for custom Address");
        EXPECT_EQ(f.Label16->text(), "User Fax");
        EXPECT_EQ(f.Label8->text(), "New Jersey");
        EXPECT_EQ(f.Label9->text(), "Assigned Risk");
        const std::pair<QLineEdit*, int> lengths[] = {
            {f.User1, 50},     {f.User2, 50},   {f.User3, 50}, {f.UserContact, 30}, {f.UserTitle, 30},
            {f.UserPhone, 12}, {f.UserFax, 12}, {f.Text1, 5},  {f.Text2, 9},        {f.PPAP, 3}};
        for (const auto& [box, length] : lengths)
            EXPECT_EQ(box->maxLength(), length) << box->objectName().toStdString();
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
    EXPECT_EQ(note(fileA, "01").toString(), "First note");
    EXPECT_EQ(list->PHONE->text(), "555-0001");
}

TEST_F(DetailFixture, UnknownSicAndBlankBand) {
    openList("PA");
    selectRecord(fileA, "02");
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL WEST");
        EXPECT_EQ(f.SIC->text(), "9999");
        EXPECT_EQ(f.EMPLOYEES->text(), "");
        EXPECT_EQ(f.SALES->text(), "Unknown");
        EXPECT_EQ(f.TDBGrid7->model()->rowCount(), 0);
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
}

TEST_F(DetailFixture, NewJerseyRecordShowsItsAssignedRiskFigures) {
    openList("NJ", {{"NJAR", 9905},
                    {"ARESTPREM", "0012345"},
                    {"ARTOTPREM", "0054321"},
                    {"ARTOTLOSS", "0001000"},
                    {"NJPPAP", "110"},
                    {"NJCCPAP", "095"}});
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.Text1->text(), "05/99");
        EXPECT_EQ(f.Text2->text(), "0012345");
        EXPECT_EQ(f.Text3->text(), "0054321");
        EXPECT_EQ(f.Text4->text(), "0001000");
        EXPECT_EQ(f.PPAP->text(), "110");
        EXPECT_EQ(f.NJCCPAP->text(), "095");
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
}

TEST_F(DetailFixture, NewYorkRecordWithBlanksInItsFileNumber) {
    openList("NY");
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.KEYFILE, "123 456 7");
        EXPECT_EQ(f.NOTES->toPlainText(), "First note");
        EXPECT_EQ(column(f.TDBGrid8, 0).size(), 2);
        EXPECT_EQ(column(f.TDBGrid7, 0), QStringList({"5183", "8810"}));
        EXPECT_EQ(f.Text1->text(), "/");
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
}

TEST_F(DetailFixture, NoteIsStampedOnEveryEntryAndSavedByOk) {
    openList("PA");
    const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        showForTyping(f);
        EXPECT_TRUE(f.Command1->hasFocus());
        EXPECT_EQ(f.NOTES->toPlainText(), "First note"); // no stamp while OK holds the focus
        clickInto(f.NOTES);
        EXPECT_EQ(f.NOTES->toPlainText(), today + " - \nFirst note");
        EXPECT_EQ(f.NOTES->textCursor().position(), today.size() + 3);
        EXPECT_FALSE(f.noteEdited()); // a stamp alone is no change
        f.NOTES->insertPlainText("called");
        clickInto(f.UserFax);
        clickInto(f.NOTES);
        EXPECT_EQ(f.NOTES->toPlainText(), today + " - \n" + today + " - called\nFirst note");
        EXPECT_EQ(f.NOTES->textCursor().position(), today.size() + 3);
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
    QString stored = note(fileA, "01").toString();
    stored.replace("\r\n", "\n");
    EXPECT_EQ(stored, today + " - \n" + today + " - called\nFirst note");
}

TEST_F(DetailFixture, ClosingWithoutOkKeepsTheStoredNoteAndReleasesItsLock) {
    openList("PA");
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        showForTyping(f);
        f.NOTES->setPlainText("Typed but not confirmed");
        // Escape is not a way out: the form has no Cancel button.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&f, &escape);
        EXPECT_TRUE(f.isVisible());
        f.close(); // the window's close box
        EXPECT_EQ(f.outcome(), VKLISTI::Outcome::Closed);
        return f.result();
    });
    list->Command1_Click();
    EXPECT_EQ(note(fileA, "01").toString(), "First note");
    // Another copy of the program can open the note at once.
    VKLIST other;
    other.Form_Load();
    QPlainTextEdit box;
    EXPECT_TRUE(other.GETNOTES(fileA, "01", &box));
    other.releaseNote();
}

TEST_F(DetailFixture, ANoteHeldByAnotherUserReturnsStraightToTheList) {
    openList("PA");
    VKLIST other;
    other.Form_Load();
    QPlainTextEdit box;
    ASSERT_TRUE(other.GETNOTES(fileA, "01", &box));
    boxes.expect(kLockMessage, ui::vbOK);
    {
        ModalScript modal; // the form closes itself before it is shown
        list->Command1_Click();
        EXPECT_EQ(modal.shownCount(), 0);
    }
    other.releaseNote();
    ModalScript modal;
    modal.expect<VKLISTI>([](VKLISTI& f) { return testsupport::press(f, f.Command1); });
    list->Command1_Click();
}

TEST_F(DetailFixture, AFailingLoadIsReportedAndReleasesTheNote) {
    openList("PA");
    db->execute("DROP TABLE CLASS");
    boxes.expectContaining("CLASS", ui::vbOK);
    {
        ModalScript modal; // the form is never shown
        list->Command1_Click();
    }
    VKLIST other;
    other.Form_Load();
    QPlainTextEdit box;
    EXPECT_TRUE(other.GETNOTES(fileA, "01", &box));
    other.releaseNote();
}

class AssociatedJump : public DetailFixture {
protected:
    void SetUp() override {
        DetailFixture::SetUp();
        openList("PA");
    }
    // Opens the detail form of ACME TOOL CO, types into its note and picks ACME TOOL WEST.
    void jumpWithEditedNote(int answer) {
        if (answer != 0) boxes.expect("Save the changes to the notes of this record?", answer);
        ModalScript modal;
        modal.expect<VKLISTI>([&](VKLISTI& f) {
            f.NOTES->setPlainText("Edited in this visit");
            const int west = column(f.TDBGrid8, 0).indexOf("ACME TOOL WEST");
            f.TDBGrid8->setCurrentRow(west);
            f.GoToAssociatedRecord();
            if (answer == ui::vbCancel) {
                EXPECT_EQ(f.outcome(), VKLISTI::Outcome::Open);
                return testsupport::press(f, f.Command1);
            }
            EXPECT_EQ(f.outcome(), VKLISTI::Outcome::Jumped);
            return f.result();
        });
        list->Command1_Click();
    }
    void expectOnWest() {
        EXPECT_EQ(list->SSTab1->currentIndex(), 0);
        ASSERT_NE(list->currentRecord(), nullptr);
        EXPECT_EQ(list->currentRecord()->text("SEQUENCE"), "02");
        EXPECT_EQ(list->GFILE->Recordset()->index(), "PRIMARY");
        EXPECT_EQ(list->ADDRESS->toPlainText().section('\n', 0, 0), "ACME TOOL WEST");
    }
    bool noteFree() {
        VKLIST other;
        other.Form_Load();
        QPlainTextEdit box;
        const bool opened = other.GETNOTES(fileA, "01", &box);
        if (opened) other.releaseNote();
        return opened;
    }
};

TEST_F(AssociatedJump, AChangedNoteIsSavedWhenTheUserSaysYes) {
    jumpWithEditedNote(ui::vbYes);
    EXPECT_EQ(note(fileA, "01").toString(), "Edited in this visit");
    expectOnWest();
    EXPECT_TRUE(noteFree());
}

TEST_F(AssociatedJump, AChangedNoteIsDroppedWhenTheUserSaysNo) {
    jumpWithEditedNote(ui::vbNo);
    EXPECT_EQ(note(fileA, "01").toString(), "First note");
    expectOnWest();
    EXPECT_TRUE(noteFree());
}

TEST_F(AssociatedJump, CancelStaysOnTheForm) {
    jumpWithEditedNote(ui::vbCancel);
    EXPECT_EQ(note(fileA, "01").toString(), "Edited in this visit"); // then OK saved it
    EXPECT_EQ(list->currentRecord()->text("SEQUENCE"), "01");
}

TEST_F(AssociatedJump, AnUnchangedNoteJumpsWithoutAsking) {
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        f.TDBGrid8->setCurrentRow(column(f.TDBGrid8, 0).indexOf("ACME TOOL WEST"));
        emit f.TDBGrid8->activated(f.TDBGrid8->currentIndex()); // the grid's row pick
        return f.result();
    });
    list->Command1_Click();
    expectOnWest();
    EXPECT_TRUE(noteFree());
}

TEST_F(DetailFixture, MoreInfoOnASearchTabRefreshesThePanelWithTheNewUserValues) {
    openList("PA", {{"NAME2", "    X DIVISION"}, {"ZIPEXT", "2200"}});
    list->setSearchTab(1, "York", "SEARCH1.VKD");
    list->setTabRecordSource(1, "SELECT * FROM PRIME WHERE COUNTYNAME = 'YORK' ORDER BY NAME1");
    list->SSTab1->setCurrentIndex(1);
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL CO");
        showForTyping(f);
        clickInto(f.UserPhone);
        f.UserPhone->setText(""); // an empty user telephone leaves the stored one
        clickInto(f.UserContact);
        f.UserContact->setText(" "); // stored as an empty text: not shown either
        clickInto(f.UserTitle);
        f.UserTitle->setText("CHIEF");
        return testsupport::press(f, f.Command1); // the focused box is saved on the way out
    });
    list->Command1_Click();
    EXPECT_EQ(list->ADDRESS->toPlainText(), "ACME TOOL CO\n    X DIVISION\n1 MAIN ST\nYORK, PA  17401-2200");
    EXPECT_EQ(list->PHONE->text(), "717-555-0100");
    EXPECT_EQ(list->CONTACT->text(), "PAT LEE");
    EXPECT_EQ(list->TITLE->text(), "CHIEF");
    EXPECT_EQ(primeField(fileA, "01", "UserTitle").toString(), "CHIEF");
}

TEST_F(DetailFixture, ARecordGoneFromPrimeOpensEmpty) {
    openList("PA");
    VKLISTI f(*list);
    f.KEYFILE = "7777777";
    f.KEYSEQ = "01";
    f.Form_Load();
    ASSERT_TRUE(f.Form_Activate());
    EXPECT_FALSE(f.recordFound());
    EXPECT_EQ(f.SIC->text(), "");
    EXPECT_FALSE(f.User1->isEnabled());
    f.User1->setText("!&");
    f.User1_LostFocus(); // nothing to write to, and no failure
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM PRIME WHERE User1 = '!&'").toInt(), 0);
}

TEST_F(DetailFixture, ExportRecordHandsTheExportPlaceExactlyTheCurrentRecord) {
    openList("PA");
    selectRecord(fileB, "01");
    boxes.expect("Export is not installed yet.", ui::vbOK);
    list->EXPORTCUR_Click();
    EXPECT_EQ(list->SFILE->RecordSource, "SELECT * FROM PRIME WHERE FILE = '1000002' AND SEQUENCE = '01'");
    ASSERT_NE(list->SFILE->Recordset(), nullptr);
    list->SFILE->Recordset()->MoveLast();
    EXPECT_EQ(list->SFILE->Recordset()->RecordCount(), 1);
    EXPECT_EQ(list->SFILE->Recordset()->text("NAME1"), "BAKER BROS");
}

TEST_F(DetailFixture, FullAddressFromTheListInNewYork) {
    openList("NY");
    insert("ADDRESSES", {{"FILE", fileA}, {"SEQUENCE", "01"}, {"ADDRESSES", "LINE ONE\r\nLINE TWO\r\n"}});
    ModalScript modal;
    modal.expect<VKNYADDR>([](VKNYADDR& f) {
        EXPECT_EQ(f.windowTitle(), "VKNYADDR - ACME TOOL CO");
        EXPECT_EQ(f.ADDRESSES->toPlainText(), "LINE ONE\nLINE TWO");
        return testsupport::press(f, f.Command1);
    });
    EXPECT_TRUE(list->FULLADDR->isEnabled());
    list->FULLADDR_Click();
}

} // namespace
