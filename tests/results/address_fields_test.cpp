// User fields written as their boxes lose the focus, and the "!&" address override: what is
// stored, what is refused with a message, and that a refusal neither repeats nor loops.
#include "list_fixture.h"

#include <QFocusEvent>

#include <gtest/gtest.h>

namespace {

const QString kMissingCity = "Missing City, Format Must be City ST Zip";
const QString kMissingState = "Missing State, Format Must be City ST Zip";
const QString kMissingStreet = "Missing Street Address";

// The detail form of ACME TOOL CO, shown as the active window so that focus moves as typing does.
class UserFieldsTest : public listtest::ListFixture {
protected:
    void open(const QString& st = "PA") {
        openList(st);
        form = std::make_unique<VKLISTI>(*list);
        form->KEYFILE = fileA;
        form->KEYSEQ = "01";
        ASSERT_TRUE(form->Form_Activate());
        showForTyping(*form);
    }
    void TearDown() override {
        form.reset();
        ListFixture::TearDown();
    }
    // Types text into box (entering it first) and leaves it for next.
    void type(QLineEdit* box, const QString& text, QWidget* next) {
        clickInto(box);
        box->setText(text);
        clickInto(next);
    }
    QVariant field(const QString& name) { return primeField(fileA, "01", name); }
    bool isNull(const QString& name) {
        const QVariant v = field(name);
        return !v.isValid() || v.isNull();
    }
    // STREET|CITY|ST|ZIP|ZIPEXT as stored, "null" for a Null field.
    QString address() {
        QStringList parts;
        for (const char* name : {"STREET", "CITY", "ST", "ZIP", "ZIPEXT"})
            parts << (isNull(name) ? QString("null") : field(name).toString());
        return parts.join('|');
    }
    const QString kStoredAddress = "1 MAIN ST|YORK|PA|17401| ";

    std::unique_ptr<VKLISTI> form;
};

TEST_F(UserFieldsTest, EachBoxIsWrittenWhenItLosesTheFocus) {
    open();
    type(form->UserContact, "  JANE DOE  ", form->UserTitle);
    EXPECT_EQ(field("UserContact").toString(), "JANE DOE");
    form->UserTitle->setText("     ");
    clickInto(form->UserFax);
    EXPECT_FALSE(isNull("UserTitle"));
    EXPECT_EQ(field("UserTitle").toString(), ""); // blanks only store an empty text
    type(form->UserFax, "", form->UserPhone);
    EXPECT_TRUE(isNull("UserFax")); // an empty box clears the field
    type(form->UserPhone, "555-9999", form->User3);
    EXPECT_EQ(field("UserPhone").toString(), "555-9999");
    type(form->User3, "free text", form->User1); // no marker: a free field
    EXPECT_EQ(field("User3").toString(), "free text");
    EXPECT_EQ(address(), kStoredAddress);

    // Read back by the next visit.
    form.reset();
    VKLISTI again(*list);
    again.KEYFILE = fileA;
    again.KEYSEQ = "01";
    ASSERT_TRUE(again.Form_Activate());
    EXPECT_EQ(again.UserContact->text(), "JANE DOE");
    EXPECT_EQ(again.UserTitle->text(), "");
    EXPECT_EQ(again.UserFax->text(), "");
    EXPECT_EQ(again.UserPhone->text(), "555-9999");
    EXPECT_EQ(again.User3->text(), "free text");
}

TEST_F(UserFieldsTest, UserBoxesOneToThreeAreTrimmedOnEntryAndUserOneSetsTheCaptions) {
    open();
    form->User2->setText("  street  ");
    form->UserContact->setText("  name  ");
    clickInto(form->User2);
    EXPECT_EQ(form->User2->text(), "street");
    clickInto(form->UserContact);
    EXPECT_EQ(form->UserContact->text(), "  name  ");
    // The captions follow every keystroke of User1.
    form->User1->setText("!&");
    EXPECT_EQ(form->lblUser2->text(), "Street");
    EXPECT_EQ(form->lblUser3->text(), "City St Zip");
    form->User1->setText("&");
    EXPECT_EQ(form->lblUser2->text(), "User Field 2");
    EXPECT_EQ(form->lblUser3->text(), "User Field 3");
}

TEST_F(UserFieldsTest, OverrideWritesTheAddressWithAndWithoutExtensionAndShowsInThePanel) {
    openList("PA");
    testsupport::ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        showForTyping(f);
        type(f.User1, "!&", f.User2);
        type(f.User2, "12 Elm St", f.User3);
        EXPECT_EQ(address(), "12 Elm St|YORK|PA|17401| ");
        type(f.User3, "Trenton NJ 08608-1234", f.UserContact);
        EXPECT_EQ(address(), "12 Elm St|Trenton|NJ|08608|1234");
        type(f.User3, "Trenton NJ 08608", f.UserContact);
        EXPECT_EQ(address(), "12 Elm St|Trenton|NJ|08608|null"); // no extension clears the stored one
        EXPECT_EQ(field("User3").toString(), "Trenton NJ 08608");
        return testsupport::press(f, f.Command1);
    });
    list->Command1_Click();
    EXPECT_EQ(list->ADDRESS->toPlainText(), "ACME TOOL CO\n12 Elm St\nTrenton, NJ  08608");
}

TEST_F(UserFieldsTest, MalformedCityLinesAreRefusedAndNothingOfTheAddressIsWritten) {
    open();
    type(form->User1, "!&", form->User2);
    type(form->User2, "12 Elm St", form->UserContact);
    const QString street = "12 Elm St|YORK|PA|17401| ";

    boxes.expect(kMissingCity, ui::vbOK);
    type(form->User3, "", form->UserContact);
    EXPECT_TRUE(form->User3->hasFocus()); // back for correction
    EXPECT_TRUE(isNull("User3"));         // the text itself is stored all the same
    EXPECT_EQ(address(), street);

    boxes.expect(kMissingState, ui::vbOK);
    type(form->User3, "Trenton NJ 08608 1234", form->UserContact);
    EXPECT_TRUE(form->User3->hasFocus());
    EXPECT_EQ(field("User3").toString(), "Trenton NJ 08608 1234");
    EXPECT_EQ(address(), street);

    // Longer than CITY holds: refused, not stored cut.
    boxes.expect("City Too Long, At Most 22 Characters", ui::vbOK);
    type(form->User3, "Abcdefghijklmnopqrstuvw PA 19000", form->UserContact);
    EXPECT_EQ(address(), street);
}

TEST_F(UserFieldsTest, AMissingOrTooLongStreetIsRefused) {
    open("NY");
    type(form->User1, "!&", form->User2);
    boxes.expect(kMissingStreet, ui::vbOK);
    type(form->User2, "    ", form->User3);
    EXPECT_TRUE(form->User2->hasFocus());
    EXPECT_EQ(field("User2").toString(), "");
    boxes.expect("Street Address Too Long, At Most 34 Characters", ui::vbOK);
    type(form->User2, "1234 Long Avenue Of The Americas XY", form->User3); // 35 characters
    EXPECT_EQ(address(), "1 MAIN ST|YORK|NY|17401| ");
}

TEST_F(UserFieldsTest, WithoutTheMarkerNothingIsCheckedAndTheAddressStays) {
    open();
    type(form->User2, "", form->User3);
    type(form->User3, "nonsense", form->UserContact);
    EXPECT_TRUE(isNull("User2"));
    EXPECT_EQ(field("User3").toString(), "nonsense");
    EXPECT_EQ(address(), kStoredAddress);
}

TEST_F(UserFieldsTest, SettingTheMarkerLastWritesTheAddressWhenUserOneIsLeft) {
    open();
    type(form->User2, "9 Oak Ave", form->User3);
    type(form->User3, "Camden NJ 08101", form->User1);
    EXPECT_EQ(address(), kStoredAddress);
    form->User1->setText("!& home");
    clickInto(form->UserContact);
    EXPECT_EQ(field("User1").toString(), "!& home");
    EXPECT_EQ(address(), "9 Oak Ave|Camden|NJ|08101| "); // an empty part leaves the stored field
}

TEST_F(UserFieldsTest, LeavingUserOneRefusesOnlyThePartThatDoesNotFit) {
    open("NY");
    form->User2->setText("1234 Long Avenue Of The Americas XY"); // 35 characters, NY holds 34
    form->User3->setText("Camden NJ 08101");
    boxes.expect("Street Address Too Long, At Most 34 Characters", ui::vbOK);
    type(form->User1, "!&", form->UserContact);
    EXPECT_TRUE(form->User2->hasFocus()); // the box to correct
    EXPECT_EQ(field("User1").toString(), "!&");
    EXPECT_EQ(address(), "1 MAIN ST|Camden|NJ|08101| ");
}

TEST_F(UserFieldsTest, TwoRefusedBoxesDoNotTakeTheFocusFromEachOther) {
    open();
    type(form->User1, "!&", form->User3);
    form->User2->setText("");
    form->User3->setText("");
    // Leaving the empty city line for the empty street: one message, for the box left.
    boxes.expect(kMissingCity, ui::vbOK);
    clickInto(form->User2);
    EXPECT_TRUE(form->User3->hasFocus());
    EXPECT_EQ(boxes.pending(), 0);
    EXPECT_EQ(boxes.shown().size(), 1);
}

TEST_F(UserFieldsTest, WindowActivationAndPopUpsDoNotValidate) {
    open();
    type(form->User1, "!&", form->User3);
    form->User3->setText("");
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(form->User3, &out);
    }
    QApplication::processEvents();
    EXPECT_TRUE(boxes.shown().isEmpty());
    // Coming back to the window is no entry into the note either: no stamp.
    const QString note = form->NOTES->toPlainText();
    QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form->NOTES, &in);
    EXPECT_EQ(form->NOTES->toPlainText(), note);
}

TEST_F(UserFieldsTest, ARowThatCannotBeWrittenIsReportedAndTheBoxKeepsTheText) {
    open();
    db->execute("CREATE TRIGGER held BEFORE UPDATE ON PRIME BEGIN SELECT RAISE(ABORT, 'row is held'); END");
    boxes.expectContaining("Your entry could not be saved.", ui::vbOK);
    type(form->UserPhone, "555-1111", form->UserFax);
    EXPECT_TRUE(form->UserPhone->hasFocus());
    EXPECT_EQ(form->UserPhone->text(), "555-1111");
    EXPECT_EQ(field("UserPhone").toString(), "555-0001");
    db->execute("DROP TRIGGER held");
    clickInto(form->UserFax);
    EXPECT_EQ(field("UserPhone").toString(), "555-1111");
}

TEST_F(UserFieldsTest, OkWithARefusedBoxKeepsTheFormOpen) {
    open();
    type(form->User1, "!&", form->User3);
    form->User3->setText("Trenton");
    boxes.expect(kMissingState, ui::vbOK);
    form->Command1->click(); // as Enter would: the focus stays in the box
    EXPECT_EQ(form->outcome(), VKLISTI::Outcome::Open);
    EXPECT_TRUE(form->isVisible());
    form->User3->setText("Trenton NJ 08608");
    form->Command1->click();
    EXPECT_EQ(form->outcome(), VKLISTI::Outcome::Saved);
    EXPECT_EQ(address(), "1 MAIN ST|Trenton|NJ|08608|null");
}

} // namespace
