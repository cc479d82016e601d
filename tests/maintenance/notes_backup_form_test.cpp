// The notes backup form: its options and captions, the backup with and without a copy to another
// folder, restore and merge from the current or a chosen folder, the questions and messages, and
// the failures after which the form stays open.
#include "maintenance/notes_backup_form.h"
#include "support/scripted_msgbox.h"
#include "user_data_fixture.h"

#include "dataset/data_set.h"
#include "maintenance/restore_marker.h"
#include "platform/files/folders.h"
#include "platform/ui/folder_list.h"
#include "platform/ui/msgbox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace maintenancetest;
using testsupport::readFile;
using ui::vbNo;
using ui::vbOK;
using ui::vbYes;

namespace {

class NotesForm : public UserDataTest {
protected:
    void SetUp() override {
        UserDataTest::SetUp();
        files::setProgramFolder(folder());
        dataset::setCurrent({QStringLiteral("PA"), kConnect});
        local = folder() + "/BACKUPPA.MDB";
        other = folder() + "/other";
        QDir().mkpath(other);
    }
    void TearDown() override {
        dataset::setCurrent({});
        files::setProgramFolder(QString());
    }
    // Ticks Check1 and shows folder in Dir1.
    static void chooseFolder(VKNOTES& f, const QString& folder) {
        f.Check1->click();
        ASSERT_TRUE(f.Dir1->setPath(folder));
    }
    static bool closed(VKNOTES& f) { return !f.isVisible(); }

    QString local, other;
};

TEST_F(NotesForm, OptionsAndTheCaptionsThatFollowThem) {
    VKNOTES f;
    f.show();
    EXPECT_EQ(f.windowTitle(), "Backup and Restore User Notes and Data");
    EXPECT_TRUE(f.Option1->isChecked());
    EXPECT_FALSE(f.Check1->isChecked());
    EXPECT_EQ(f.OK->text(), "OK");
    EXPECT_EQ(f.CANCEL->text(), "Cancel");
    EXPECT_EQ(f.Frame1->title(), "Optional");
    struct Case {
        QRadioButton* option;
        bool tick;
        const char *check, *label;
    };
    const Case cases[] = {
        {f.Option1, false, "Copy Backup File To Another Drive or Directory", "Copy To:"},
        {f.Option3, false, "Merge Backup File From Another Drive or Directory", "Merge From:"},
        {f.Option2, true, "Restore Backup File From Another Drive or Directory", "Restore From:"},
        {f.Option3, false, "Merge Backup File From Another Drive or Directory", "Merge From:"},
        {f.Option1, false, "Copy Backup File To Another Drive or Directory", "Copy To:"},
        {f.Option1, true, "Copy Backup File To Another Drive or Directory", "Copy To:"},
    };
    bool ticked = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.check);
        c.option->click();
        if (c.tick != ticked) f.Check1->click();
        ticked = c.tick;
        for (QRadioButton* o : {f.Option1, f.Option2, f.Option3})
            EXPECT_EQ(o->isChecked(), o == c.option);
        EXPECT_EQ(f.Check1->text(), QLatin1String(c.check));
        EXPECT_EQ(f.Label1->text(), QLatin1String(c.label));
        EXPECT_EQ(f.Label1->isVisibleTo(&f), ticked);
        EXPECT_EQ(f.Drive1->isVisibleTo(&f), ticked);
        EXPECT_EQ(f.Dir1->isVisibleTo(&f), ticked);
        EXPECT_EQ(f.Dir1->isEnabled(), ticked);
    }
}

TEST_F(NotesForm, NothingMovesUnderTheMouseAndTheFolderShownIsTheOneUsed) {
    VKNOTES f;
    f.show();
    const auto places = [&f] {
        QCoreApplication::processEvents();
        QList<QRect> r{f.rect()};
        for (QWidget* w : std::initializer_list<QWidget*>{f.Check1, f.OK, f.CANCEL})
            r << QRect(w->mapTo(&f, QPoint()), w->size());
        return r;
    };
    const QList<QRect> first = places();
    for (QRadioButton* option : {f.Option2, f.Option3, f.Option1}) {
        option->click();
        EXPECT_EQ(places(), first) << option->text().toStdString();
        f.Check1->click();
        EXPECT_EQ(places(), first) << option->text().toStdString() << ", ticked";
        f.Check1->click();
    }

    // A folder highlighted is not opened; what stands out and Current Path say what OK uses.
    f.Check1->click();
    ASSERT_TRUE(f.Dir1->setPath(folder()));
    const QList<QListWidgetItem*> sub = f.Dir1->findItems("other", Qt::MatchExactly);
    ASSERT_EQ(sub.size(), 1);
    f.Dir1->setCurrentItem(sub.first());
    EXPECT_EQ(f.txtPath->text(), folder());
    EXPECT_TRUE(f.Dir1->item(f.Dir1->pathRow())->font().bold());
    // Enter opens the highlighted folder rather than pressing OK.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Dir1, &enter);
    EXPECT_FALSE(closed(f));
    EXPECT_EQ(f.txtPath->text(), other);
    EXPECT_EQ(f.Dir1->item(f.Dir1->pathRow())->text(), "other");
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("Backup User Data and Notes to " + other + "/BACKUPPA.MDB?", vbNo,
                 "Backup User Notes & Data");
    f.OK->click();
}

TEST_F(NotesForm, CancelClosesWithoutAWord) {
    VKNOTES f;
    f.show();
    testsupport::ScriptedMsgBoxes none;
    f.CANCEL->click();
    EXPECT_TRUE(closed(f));
    EXPECT_FALSE(QFile::exists(local));
}

TEST_F(NotesForm, BackupPathInAFolderOrARoot) {
    EXPECT_EQ(maintenance::backupPathIn("/", "NY"), "/BACKUPNY.MDB");
    EXPECT_EQ(maintenance::backupPathIn("/media/usb", "PA"), "/media/usb/BACKUPPA.MDB");
}

TEST_F(NotesForm, BackupIntoTheCurrentFolderOfAFreshInstall) {
    setNote(1, "kept");
    state.reset();
    ASSERT_FALSE(QFile::exists(local)); // nothing has made a backup database yet
    VKNOTES f;
    f.show();
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("Backup User Data and Notes to " + local + "?", vbYes, "Backup User Notes & Data")
        .expect("6 User Notes and 6 Fields Saved to " + local, vbOK, "Backup Complete");
    f.OK->click();
    EXPECT_TRUE(closed(f));
    EXPECT_EQ(boxes.shown().at(0).style, ui::vbYesNo);
    EXPECT_EQ(
        maintenance::copyBackupIntoState(mainPath, local, "PA", kConnect, maintenance::NotesPass::Replace)
            .notes,
        6);
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(NotesForm, ABackupWhileAnUpdatesRestoreWaitsKeepsWhatTheWaitingBackupHolds) {
    setNote(1, "before the update");
    maintenance::backupUserData(mainPath, local, kConnect);
    ASSERT_TRUE(maintenance::writeRestoreMarker(folder(), "PA"));
    setNote(1, " "); // the new database, its restore not run yet
    state.reset();
    VKNOTES f;
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expectContaining("Backup User", vbYes, "Backup User Notes & Data")
        .expectContaining(" Saved to ", vbOK, "Backup Complete");
    f.OK->click();
    EXPECT_EQ(dao::Database::open(local)->scalar("SELECT NOTES FROM NOTES WHERE FILE = '1000001'").toString(),
              "before the update");
}

TEST_F(NotesForm, BackupCopiedToAnotherFolderReplacingTheFileThere) {
    state.reset();
    testsupport::writeFile(other + "/backuppa.mdb", "older");
    VKNOTES f;
    f.show();
    chooseFolder(f, other);
    testsupport::ScriptedMsgBoxes boxes;
    boxes
        .expect("Backup User Data and Notes to " + other + "/BACKUPPA.MDB?", vbYes,
                "Backup User Notes & Data")
        .expect("6 User Notes and 6 Fields Saved to " + local, vbOK, "Backup Complete")
        .expect("Backup copied to " + other + "/BACKUPPA.MDB", vbOK);
    f.OK->click();
    EXPECT_TRUE(closed(f));
    EXPECT_EQ(readFile(other + "/backuppa.mdb"), readFile(local)); // under the spelling it had
    EXPECT_EQ(QDir(other).entryList(QDir::Files), QStringList({"backuppa.mdb"}));
}

TEST_F(NotesForm, NoCopyOntoTheBackupItself) {
    state.reset();
    QFile::link(folder(), path("link"));
    struct Case {
        const char* what;
        QString folder;
        QStringList extra; // messages after the count message
    };
    const Case cases[] = {
        {"the program folder spelled alike", folder() + "/", {}},
        {"the program folder through a link",
         path("link"),
         {"The backup is already in " + path("link") +
          ": that is the folder it was written to.  Nothing was copied."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VKNOTES f;
        f.show();
        chooseFolder(f, c.folder);
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expectContaining("Backup User Data and Notes to ", vbYes, "Backup User Notes & Data")
            .expectContaining(" Fields Saved to " + local, vbOK, "Backup Complete");
        for (const QString& m : c.extra)
            boxes.expect(m, vbOK);
        f.OK->click();
        EXPECT_TRUE(closed(f));
        EXPECT_GT(QFileInfo(local).size(), 0);
    }
}

TEST_F(NotesForm, FailuresKeepTheFormOpen) {
    state.reset();
    struct Box {
        QString part; // a part of its text
        int answer;
        QString title = QStringLiteral("VELK");
    };
    const Box backupQuestion{"Backup User Data and Notes to ", vbYes, "Backup User Notes & Data"};
    struct Case {
        const char* what;
        std::function<void(VKNOTES&)> arrange;
        QVector<Box> boxes;
    };
    const Case cases[] = {
        {"copy into a folder that went away",
         [&](VKNOTES& f) {
             chooseFolder(f, other);
             QDir(other).removeRecursively();
         },
         {backupQuestion,
          {" Fields Saved to ", vbOK, "Backup Complete"},
          {"Error copying file!  Make sure path is correct!", vbOK}}},
        {"backup with the wrong password",
         [&](VKNOTES&) {
             dataset::setCurrent({QStringLiteral("PA"), ";PWD=wrong"});
         },
         {backupQuestion, {"The user notes and fields were not backed up.  ", vbOK}}},
        {"restore of a file that is not there",
         [&](VKNOTES& f) { f.Option2->click(); },
         {{local + " file was not found.  Please select the correct path and try again.", vbOK}}},
        {"merge that fails",
         [&](VKNOTES& f) {
             testsupport::writeFile(local, "not a database");
             f.Option3->click();
         },
         {{"Merge User Data and Notes from " + local + "?", vbYes, "Merge User Notes & Data"},
          {"The user notes and fields were not merged; nothing was changed.  ", vbOK}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VKNOTES f;
        f.show();
        c.arrange(f);
        testsupport::ScriptedMsgBoxes boxes;
        for (const Box& b : c.boxes)
            boxes.expectContaining(b.part, b.answer, b.title);
        f.OK->click();
        EXPECT_FALSE(closed(f));
        EXPECT_FALSE(ui::hourglassShown());
        dataset::setCurrent({QStringLiteral("PA"), kConnect});
        QFile::remove(local);
    }
}

TEST_F(NotesForm, RestoreAndMergeFromTheCurrentOrAChosenFolder) {
    setNote(1, "saved");
    setUser(1, {"saved"});
    maintenance::backupUserData(mainPath, other + "/BACKUPPA.MDB", kConnect);
    QFile::copy(other + "/BACKUPPA.MDB", local);
    setNote(1, "mine");
    setUser(1, {"mine"});
    struct Case {
        const char* what;
        QRadioButton* VKNOTES::*option;
        bool chosen;
        int answer;
        QString note, user1;
    };
    const Case cases[] = {
        {"No changes nothing", &VKNOTES::Option2, false, vbNo, "mine", "mine"},
        {"restore from the current folder", &VKNOTES::Option2, false, vbYes, "saved", "saved"},
        {"merge from the chosen folder", &VKNOTES::Option3, true, vbYes, "saved\r\nsaved", "saved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VKNOTES f;
        f.show();
        (f.*c.option)->click();
        if (c.chosen) chooseFolder(f, other);
        const QString path = c.chosen ? other + "/BACKUPPA.MDB" : local;
        const bool merge = c.option == &VKNOTES::Option3;
        const QString verb = merge ? "Merge" : "Restore";
        testsupport::ScriptedMsgBoxes boxes;
        boxes.expect(verb + " User Data and Notes from " + path + "?", c.answer, verb + " User Notes & Data");
        if (c.answer == vbYes) {
            boxes.expect("6 User Notes and 6 Fields Restored From " + path, vbOK, verb + " Complete")
                .expect(merge ? "User Notes and Fields Merged!" : "User Notes and Fields Restored!", vbOK,
                        verb + " Complete");
        }
        f.OK->click();
        EXPECT_TRUE(closed(f));
        EXPECT_EQ(note(1).toString(), c.note);
        EXPECT_EQ(prime(1, "User1").toString(), c.user1);
    }
}

TEST_F(NotesForm, ADriveThatCannotBeReadGoesBackToTheFolderListsDrive) {
    VKNOTES f;
    f.show();
    f.Check1->click();
    const QString before = f.Dir1->path();
    testsupport::ScriptedMsgBoxes boxes;
    boxes.expect("Error Reading Drive /no such drive/", vbOK);
    f.Drive1->addDrive({"/no such drive/", "/no such drive/"});
    f.Drive1->setCurrentIndex(f.Drive1->count() - 1);
    EXPECT_EQ(f.Drive1->drive(), f.Drive1->driveOf(before));
    EXPECT_EQ(f.Dir1->path() + (f.Dir1->path().endsWith('/') ? "" : "/"), f.Drive1->drive());
}

} // namespace
