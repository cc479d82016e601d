// The record detail form headless: a standard, a New Jersey and a New York record, the note's
// stamp, save, cancel and lock, the jump to an associated record, the panel refresh afterwards,
// Export Record and Full Address.
#include "dataset/data_set.h"
#include "results/ny_address_form.h"
#include "results/record_detail.h"

#include "detail_fixture.h"
#include "support/other_user.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using detailtest::DetailFixture;
using listtest::column;
using listtest::contacts;
using listtest::texts;
using testsupport::ModalScript;

const QString kLockMessage =
    "Another user is working with data which affects your notes.  Try again later to view "
    "your information.";

TEST_F(DetailFixture, StandardRecordInDepth) {
    openList("PA");
    ModalScript modal;
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL CO");
        EXPECT_EQ(f.KEYFILE, fileA);
        EXPECT_EQ(f.KEYSEQ, "01");
        EXPECT_EQ(f.NOTES->toPlainText(), "First note");
        EXPECT_EQ(texts({f.EMPLOYEES, f.SALES, f.NEW_AS_OF, f.SIC}),
                  QStringList({"5 - 9", "1 Billion +", "", "1711 - PLUMBING, HEATING"}));
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
        EXPECT_EQ(texts({f.Text1, f.Text2, f.Text3, f.Text4, f.PPAP, f.NJCCPAP}),
                  QStringList({"/", "", "", "", "", ""}));
        EXPECT_EQ(f.UserPhone->text(), "555-0001");
        EXPECT_EQ(f.User1->text(), " ");
        EXPECT_EQ(texts({f.lblUser2, f.lblUser3, f.Label17, f.Label16, f.Label8, f.Label9}),
                  QStringList({"User Field 2", "User Field 3", "   !&   for custom Address", "User Fax",
                               "New Jersey", "Assigned Risk"}));
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

    // The other record of the file: an unknown SIC code and blank or unknown bands, no classes.
    selectRecord(fileA, "02");
    modal.expect<VKLISTI>([&](VKLISTI& f) {
        EXPECT_EQ(f.windowTitle(), "VKLISTI - ACME TOOL WEST");
        EXPECT_EQ(texts({f.SIC, f.EMPLOYEES, f.SALES}), QStringList({"9999", "", "Unknown"}));
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
        EXPECT_EQ(texts({f.Text1, f.Text2, f.Text3, f.Text4, f.PPAP, f.NJCCPAP}),
                  QStringList({"05/99", "0012345", "0054321", "0001000", "110", "095"}));
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
    // The newer stamp, after which nothing was typed, is not saved.
    EXPECT_EQ(note(fileA, "01").toString(), today + " - called\r\nFirst note");
}

TEST_F(DetailFixture, ANoteHeldByAnotherUserOrAFailingLoadReturnsStraightToTheList) {
    openList("PA");
    VKLIST other;
    QPlainTextEdit box;
    ASSERT_TRUE(other.GETNOTES(fileA, "01", &box));
    boxes.expect(kLockMessage, ui::vbOK);
    {
        ModalScript modal; // the form closes itself before it is shown
        list->Command1_Click();
        EXPECT_EQ(modal.shownCount(), 0);
    }
    other.releaseNote();

    db->execute("DROP TABLE CLASS");
    boxes.expectContaining("CLASS", ui::vbOK);
    {
        ModalScript modal; // the form is never shown
        list->Command1_Click();
    }
    EXPECT_TRUE(noteFree(fileA, "01"));
}

TEST_F(DetailFixture, WithoutAWritableLockFileTheNoteOpensReadOnlyAndSaysWhy) {
    openList("PA");
    list.reset();
    const QString lock = path("VELKPA.LDB");
    QFile::remove(lock);
    testsupport::writeFile(lock); // another user's, without write access for the others
    ::chmod(QFile::encodeName(lock).constData(), 0444);
    ::chmod(QFile::encodeName(folder()).constData(), 0755);
    boxes.expect("The notes are shown read-only: the lock file " + lock +
                     " cannot be opened for writing (Permission denied).",
                 ui::vbOK);
    {
        testsupport::FilesAsAnotherUser otherUser;
        openList();
        ModalScript modal;
        modal.expect<VKLISTI>([&](VKLISTI& f) {
            showForTyping(f);
            EXPECT_EQ(f.NOTES->toPlainText(), "First note");
            EXPECT_TRUE(f.NOTES->isReadOnly());
            clickInto(f.NOTES); // no date stamp on a note that cannot be saved
            EXPECT_EQ(f.NOTES->toPlainText(), "First note");
            return testsupport::press(f, f.Command1);
        });
        list->Command1_Click();
        EXPECT_EQ(modal.shownCount(), 1);
    }
    EXPECT_EQ(note(fileA, "01").toString(), "First note");
}

TEST_F(DetailFixture, JumpOrCloseBoxAsksToSaveAChangedNote) {
    openList("PA");
    const struct {
        int answer; // 0: the note is not changed and nothing is asked
        const char* typed;
        const char* stored;
        bool left; // the form went (to the associated record, or closed)
    } rows[] = {
        {ui::vbNo, "Dropped", "First note", true},
        {ui::vbYes, "Saved", "Saved", true},
        {ui::vbCancel, "Kept on the form", "Kept on the form", false}, // then OK saves it
        {0, nullptr, "Kept on the form", true},
    };
    for (const bool jump : {true, false}) {
        db->executeBound("UPDATE NOTES SET NOTES = 'First note' WHERE FILE = ? AND SEQUENCE = '01'", {fileA});
        for (const auto& r : rows) {
            SCOPED_TRACE(QString("%1 %2").arg(jump ? "jump" : "close box").arg(r.answer).toStdString());
            selectRecord(fileA, "01");
            if (r.answer != 0) boxes.expect("Save the changes to the notes of this record?", r.answer);
            ModalScript modal;
            modal.expect<VKLISTI>([&](VKLISTI& f) {
                showForTyping(f);
                if (r.typed) f.NOTES->setPlainText(r.typed);
                if (jump) {
                    f.TDBGrid8->setCurrentRow(column(f.TDBGrid8, 0).indexOf("ACME TOOL WEST"));
                    emit f.TDBGrid8->activated(f.TDBGrid8->currentIndex()); // the grid's row pick
                } else {
                    // Escape is not a way out: the form has no Cancel button.
                    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QApplication::sendEvent(&f, &escape);
                    EXPECT_TRUE(f.isVisible());
                    f.close(); // the window's close box
                }
                if (!r.left) {
                    EXPECT_EQ(f.outcome(), VKLISTI::Outcome::Open);
                    return testsupport::press(f, f.Command1);
                }
                EXPECT_EQ(f.outcome(), jump ? VKLISTI::Outcome::Jumped : VKLISTI::Outcome::Closed);
                return f.result();
            });
            list->Command1_Click();
            EXPECT_EQ(note(fileA, "01").toString(), r.stored);
            EXPECT_EQ(list->SSTab1->currentIndex(), 0);
            ASSERT_NE(list->currentRecord(), nullptr);
            EXPECT_EQ(list->currentRecord()->text("SEQUENCE"), jump && r.left ? "02" : "01");
            if (jump && r.left) {
                EXPECT_EQ(list->GFILE->Recordset()->index(), "PRIMARY");
                EXPECT_EQ(list->ADDRESS->toPlainText().section('\n', 0, 0), "ACME TOOL WEST");
            }
            EXPECT_TRUE(noteFree(fileA, "01"));
        }
    }
}

TEST_F(DetailFixture, MoreInfoOnASearchTabRefreshesThePanelWithTheNewUserValues) {
    openList("PA", {{"NAME2", "    X DIVISION"}, {"ZIPEXT", "2200"}});
    addSearch("SEARCH1.VKD", "York", "County", "COUNTY", "YOR", "YOR");
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
    EXPECT_EQ(contacts(*list), QStringList({"717-555-0100", "717-555-0199", "PAT LEE", "CHIEF"}));
    EXPECT_EQ(primeField(fileA, "01", "UserTitle").toString(), "CHIEF");
}

TEST_F(DetailFixture, ARecordGoneFromPrimeOpensEmpty) {
    openList("PA");
    VKLISTI f(*list);
    f.KEYFILE = "7777777";
    f.KEYSEQ = "01";
    ASSERT_TRUE(f.Form_Activate());
    EXPECT_FALSE(f.recordFound());
    EXPECT_EQ(f.SIC->text(), "");
    EXPECT_FALSE(f.User1->isEnabled()) << "nothing to write to";
}

TEST_F(DetailFixture, ExportRecordHandsTheExportFormExactlyTheCurrentRecord) {
    openList("PA");
    selectRecord(fileB, "01");
    int asked = 0;
    QObject::connect(list.get(), &VKLIST::exportRecordRequested, [&] { ++asked; });
    list->EXPORTCUR_Click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list->SFILE->RecordSource, "SELECT * FROM PRIME WHERE FILE = '1000002' AND SEQUENCE = '01'");
    ASSERT_NE(list->SFILE->Recordset(), nullptr);
    list->SFILE->Recordset()->MoveLast();
    EXPECT_EQ(list->SFILE->Recordset()->RecordCount(), 1);
    EXPECT_EQ(list->SFILE->Recordset()->text("NAME1"), "BAKER BROS");
}

// How many of this process's file descriptors point at path for reading and writing: the list's
// background passes over an index come and go on read-only ones of their own.
int openHandles(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    int n = 0;
    for (const QFileInfo& fd :
         QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget() != target) continue;
        QFile info("/proc/self/fdinfo/" + fd.fileName());
        if (!info.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("flags:") && (line.mid(6).trimmed().toUInt(nullptr, 8) & O_ACCMODE) == O_RDWR)
                ++n;
    }
    return n;
}

TEST_F(DetailFixture, FullAddressShowsEveryLineAndReleasesItsConnection) {
    openList("NY");
    const QStringList lines = {"ATTN ACCOUNTS PAYABLE              ", // 35 characters each
                               " 2ND FLOOR                         ", "PO BOX 17                          "};
    insert("ADDRESSES", {{"FILE", fileA}, {"SEQUENCE", "01"}, {"ADDRESSES", lines.join("\r\n") + "\r\n"}});
    insert("ADDRESSES", {{"FILE", fileA}, {"SEQUENCE", "02"}, {"ADDRESSES", QString()}});
    ModalScript modal;
    modal.expect<VKNYADDR>([&](VKNYADDR& f) {
        EXPECT_EQ(f.windowTitle(), "VKNYADDR - ACME TOOL CO");
        EXPECT_EQ(f.Label1->text(), "NY Full Address:");
        EXPECT_EQ(f.ADDRESSES->toPlainText().split('\n'), lines);
        return testsupport::press(f, f.Command1);
    });
    EXPECT_TRUE(list->FULLADDR->isEnabled());
    list->FULLADDR_Click();

    // A record without lines, or with an empty memo: an empty box.
    for (int i = 0; i < 2; ++i)
        modal.expect<VKNYADDR>([](VKNYADDR& f) {
            EXPECT_EQ(f.ADDRESSES->toPlainText(), "");
            return testsupport::press(f, f.Command1);
        });
    results::showFullAddress(fileA, "03", "NOBODY");
    results::showFullAddress(fileA, "02", "ACME TOOL WEST");

    // The close box instead of OK closes the form's own connection too.
    const int before = openHandles(dbPath);
    modal.expect<VKNYADDR>([&](VKNYADDR& f) {
        EXPECT_GT(openHandles(dbPath), before);
        f.show();
        f.close();
        EXPECT_EQ(openHandles(dbPath), before);
        return int(QDialog::Rejected);
    });
    results::showFullAddress(fileA, "01", "ACME TOOL CO");
}

TEST_F(DetailFixture, FullAddressOfAMissingDatabaseIsReportedNotShown) {
    files::setProgramFolder(folder());
    dataset::setCurrent({"NY", dataset::current().connect});
    boxes.expectContaining("VELKNY.MDB", ui::vbOK);
    ModalScript modal; // no dialog expected
    results::showFullAddress("123 45 67", "01", "ACME SUPPLY CO");
}

} // namespace
