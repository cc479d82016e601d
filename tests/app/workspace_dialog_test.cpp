// The workspace dialog: listing, VELK.INI, OK's checks and questions, Delete, the restore marker.
#include "app_fixture.h"

#include "platform/dao/dao.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/msgbox.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QFileInfo>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

const QString kSelect = QStringLiteral("Select Workspace");

QStringList items(const QComboBox& box) {
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}

} // namespace

class WorkspaceDialogTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        master = new MASTER;
        master->StartPath = programDir + QStringLiteral("/");
        master->CURPATH = programDir;
    }
    // Shows the dialog with the driver and returns whether a choice was accepted.
    bool show(std::function<int(VKWSPACE&)> drive) {
        ModalScript modals;
        modals.expect<VKWSPACE>(std::move(drive));
        master->workspaceDialog().showModal();
        return velk::WorkspaceChosen;
    }
    VKWSPACE& dialog() { return master->workspaceDialog(); }

    MASTER* master = nullptr;
};

TEST_F(WorkspaceDialogTest, FirstRunShowsInitialAndPA) {
    QDir(programDir).rmdir(QStringLiteral("INITIAL"));
    ASSERT_FALSE(QFileInfo::exists(programFile(QStringLiteral("INITIAL"))));
    show([](VKWSPACE& d) {
        EXPECT_EQ(d.WORKSPACE->currentText(), QStringLiteral("INITIAL"));
        EXPECT_EQ(d.STATE->currentText(), QStringLiteral("PA"));
        EXPECT_EQ(items(*d.STATE), QStringList({"DE", "NJ", "NY", "PA", "PM", "DM"}));
        EXPECT_EQ(items(*d.WORKSPACE), QStringList({"INITIAL"}));
        return closeDialog(d);
    });
    EXPECT_TRUE(QFileInfo(programFile(QStringLiteral("INITIAL"))).isDir());
}

TEST_F(WorkspaceDialogTest, WorkspacesAreListedSortedAndOnceOnEveryShowing) {
    for (const char* name : {"zeta", "Alpha", "beta", "Mid 2"})
        QDir(programDir).mkdir(QString::fromLatin1(name));
    writeFile(programFile(QStringLiteral("NOTAFOLDER.TXT")), "x");
    ASSERT_TRUE(QFile::link(programFile(QStringLiteral("beta")), programFile(QStringLiteral("linked"))));
    const QStringList expected({"Alpha", "beta", "INITIAL", "Mid 2", "zeta"});
    show([&](VKWSPACE& d) {
        EXPECT_EQ(items(*d.WORKSPACE), expected);
        return closeDialog(d);
    });
    show([&](VKWSPACE& d) {
        EXPECT_EQ(items(*d.WORKSPACE), expected) << "the same dialog shown twice lists each once";
        return closeDialog(d);
    });
}

TEST_F(WorkspaceDialogTest, OkAcceptsRemembersAndSetsTheConnectString) {
    QDir(programDir).mkdir(QStringLiteral("Work"));
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("Work"), "NY"); }));
    EXPECT_EQ(velk::CurrentState, QStringLiteral("NY"));
    EXPECT_EQ(velk::StateDbConnect, loading::defaultConnect(QStringLiteral("NY")));
    EXPECT_EQ(readFile(iniFile()), QByteArray("\"Work\",\"NY\"\r\n"));
    EXPECT_EQ(dialog().result(), QDialog::Accepted);
    EXPECT_EQ(dialog().WORKSPACE->currentText(), QStringLiteral("Work")) << "the caller reads the boxes";
}

TEST_F(WorkspaceDialogTest, IniRoundTripRestoresTheLastChoice) {
    QDir(programDir).mkdir(QStringLiteral("Work"));
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("Work"), "DM"); }));
    master->unloadWorkspaceDialog();
    show([](VKWSPACE& d) {
        EXPECT_EQ(d.WORKSPACE->currentText(), QStringLiteral("Work"));
        EXPECT_EQ(d.STATE->currentText(), QStringLiteral("DM"));
        return closeDialog(d);
    });
}

TEST_F(WorkspaceDialogTest, RememberedValuesNotInTheListsLeaveTheBoxes) {
    writeFile(iniFile(), "\"Removed\",\"XX\"\r\n");
    show([](VKWSPACE& d) {
        EXPECT_EQ(d.WORKSPACE->currentText(), QStringLiteral("INITIAL"));
        EXPECT_EQ(d.STATE->currentText(), QStringLiteral("PA"));
        return closeDialog(d);
    });
    writeFile(iniFile(), "\"initial\",\"ny\"\r\n"); // comparisons are case-sensitive
    show([](VKWSPACE& d) {
        EXPECT_EQ(d.WORKSPACE->currentText(), QStringLiteral("INITIAL"));
        EXPECT_EQ(d.STATE->currentText(), QStringLiteral("PA"));
        return closeDialog(d);
    });
}

TEST_F(WorkspaceDialogTest, NewWorkspaceIsCreatedOnYes) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Create new workspace called Leads?"), ui::vbYes, kSelect);
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("Leads"), "PA"); }));
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo + ui::vbExclamation + ui::vbDefaultButton2);
    EXPECT_TRUE(QFileInfo(programFile(QStringLiteral("Leads"))).isDir());
    EXPECT_EQ(readFile(iniFile()), QByteArray("\"Leads\",\"PA\"\r\n"));
}

TEST_F(WorkspaceDialogTest, NewWorkspaceDeclinedKeepsTheDialogOpen) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Create new workspace called Leads?"), ui::vbNo, kSelect);
    EXPECT_FALSE(show([](VKWSPACE& d) {
        EXPECT_NE(chooseInDialog(d, QStringLiteral("Leads"), "PA"), QDialog::Accepted);
        return closeDialog(d);
    }));
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("Leads"))));
    EXPECT_FALSE(QFileInfo::exists(iniFile())) << "no VELK.INI is written";
}

TEST_F(WorkspaceDialogTest, NameDifferingOnlyInCaseIsNotListedAndCannotBeCreated) {
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Create new workspace called initial?"), ui::vbYes, kSelect)
        .expect(QStringLiteral("Could not create workspace or save settings!"), ui::vbOK);
    EXPECT_FALSE(show([](VKWSPACE& d) {
        chooseInDialog(d, QStringLiteral("initial"), "PA");
        return closeDialog(d);
    }));
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("initial"))));
}

TEST_F(WorkspaceDialogTest, UnusableNamesAreRefusedWithAWarning) {
    for (const QString& name :
         {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a/b"), QStringLiteral("..\\up"),
          QStringLiteral("say \"hi\""), QStringLiteral("tab\there"), QStringLiteral("nl\nhere")}) {
        SCOPED_TRACE(name.toStdString());
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(QStringLiteral("The workspace name cannot"), ui::vbOK, kSelect);
        EXPECT_FALSE(show([&](VKWSPACE& d) {
            EXPECT_NE(chooseInDialog(d, name, "PA"), QDialog::Accepted);
            return closeDialog(d);
        }));
        EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbExclamation);
    }
    EXPECT_FALSE(QFileInfo::exists(iniFile()));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("up"))));
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("a"))));
}

TEST_F(WorkspaceDialogTest, EmptyNameBecomesInitialAndEmptyStateBecomesPA) {
    EXPECT_TRUE(show([](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QString());
        d.STATE->setCurrentIndex(-1);
        d.OK->click();
        return d.result();
    }));
    EXPECT_EQ(dialog().WORKSPACE->currentText(), QStringLiteral("INITIAL"));
    EXPECT_EQ(velk::CurrentState, QStringLiteral("PA"));
}

TEST_F(WorkspaceDialogTest, WorkspaceChosenIsClearedBeforeEveryShowing) {
    velk::WorkspaceChosen = true;
    EXPECT_FALSE(show(closeDialog));
}

TEST_F(WorkspaceDialogTest, DataSetWithoutSetupRowGetsNoConnectString) {
    {
        auto index = dao::Database::open(programFile(QStringLiteral("VELKI.MDB")), false, false,
                                         loading::indexDbConnect());
        index->execute(QStringLiteral("DELETE * FROM Setup WHERE STATE = 'PM'"));
    }
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "NJ"); }));
    EXPECT_EQ(velk::StateDbConnect, loading::defaultConnect(QStringLiteral("NJ")));
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PM"); }));
    EXPECT_EQ(velk::StateDbConnect, QString()) << "not the previous data set's";
}

TEST_F(WorkspaceDialogTest, MissingSettingsDatabaseStillAccepts) {
    velk::StateDbConnect = QStringLiteral(";PWD=stale");
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("VELKI.MDB"))));
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); }));
    EXPECT_EQ(velk::StateDbConnect, QString());
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("VELKI.MDB"))));
}

TEST_F(WorkspaceDialogTest, PendingRestoreRunsWithThisDataSetsConnectStringThenDropsTheMarker) {
    writeFile(programFile(QStringLiteral("RESTNJ.DAT")), " \r\n");
    QStringList call;
    QString connectAtCall;
    velk::setRestoreUserData([&](const QString& main, const QString& backup, const QString& st) {
        call = {main, backup, st};
        connectAtCall = velk::StateDbConnect;
    });
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "NJ"); }));
    EXPECT_EQ(call, QStringList({programDir + QStringLiteral("/VELKNJ.MDB"),
                                 programFile(QStringLiteral("BACKUPNJ.MDB")), QStringLiteral("NJ")}));
    EXPECT_EQ(connectAtCall, loading::defaultConnect(QStringLiteral("NJ")));
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("RESTNJ.DAT"))));
}

TEST_F(WorkspaceDialogTest, FailedRestoreIsReportedAndKeepsTheMarker) {
    writeFile(programFile(QStringLiteral("RESTPA.DAT")), " \r\n");
    velk::setRestoreUserData([](const QString& main, const QString&, const QString&) {
        throw dao::DaoError(main, QStringLiteral("Open"), QStringLiteral("the file is locked"));
    });
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("the file is locked"), ui::vbOK);
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); }));
    EXPECT_TRUE(boxes.shown().front().text.contains(QStringLiteral("BACKUPPA.MDB")));
    EXPECT_TRUE(QFileInfo::exists(programFile(QStringLiteral("RESTPA.DAT"))));
}

TEST_F(WorkspaceDialogTest, UninstalledRestoreIsReportedAndKeepsTheMarker) {
    writeFile(programFile(QStringLiteral("RESTPA.DAT")), " \r\n");
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(QStringLiteral("not installed"), ui::vbOK);
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); }));
    EXPECT_TRUE(QFileInfo::exists(programFile(QStringLiteral("RESTPA.DAT"))));
}

TEST_F(WorkspaceDialogTest, EmptyOrOtherStatesMarkerStartsNoRestore) {
    writeFile(programFile(QStringLiteral("RESTPA.DAT")), "");
    writeFile(programFile(QStringLiteral("RESTNY.DAT")), " \r\n");
    int calls = 0;
    velk::setRestoreUserData([&](const QString&, const QString&, const QString&) { ++calls; });
    EXPECT_TRUE(show([](VKWSPACE& d) { return chooseInDialog(d, QStringLiteral("INITIAL"), "PA"); }));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(QFileInfo::exists(programFile(QStringLiteral("RESTNY.DAT"))));
}

TEST_F(WorkspaceDialogTest, DeleteAsksAndRemovesTheWorkspace) {
    QDir(programDir).mkdir(QStringLiteral("Old"));
    writeFile(programFile(QStringLiteral("Old/notes.txt")), "x");
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Delete workspace Old?"), ui::vbNo, kSelect)
        .expect(QStringLiteral("Delete workspace Old?"), ui::vbYes, kSelect);
    show([](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QStringLiteral("Old"));
        d.DELETE->click();
        EXPECT_TRUE(items(*d.WORKSPACE).contains(QStringLiteral("Old")));
        d.DELETE->click();
        EXPECT_FALSE(items(*d.WORKSPACE).contains(QStringLiteral("Old")));
        EXPECT_TRUE(d.isModal());
        return closeDialog(d);
    });
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo + ui::vbExclamation + ui::vbDefaultButton2);
    EXPECT_FALSE(QFileInfo::exists(programFile(QStringLiteral("Old"))));
}

TEST_F(WorkspaceDialogTest, DeleteWarnsAboutSavedSearches) {
    QDir(programDir).mkdir(QStringLiteral("Busy"));
    writeFile(programFile(QStringLiteral("Busy/SEARCH1.VKD")), "\"a\"\r\n");
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Delete workspace Busy?\r\nThere are searches in this workspace!"), ui::vbNo,
                 kSelect);
    show([](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QStringLiteral("Busy"));
        d.DELETE->click();
        return closeDialog(d);
    });
    EXPECT_TRUE(QFileInfo::exists(programFile(QStringLiteral("Busy/SEARCH1.VKD"))));
}

TEST_F(WorkspaceDialogTest, DeleteRefusals) {
    QDir(programDir).mkdir(QStringLiteral("Nested"));
    QDir(programDir).mkpath(QStringLiteral("Nested/inner"));
    writeFile(programFile(QStringLiteral("Nested/inner/keep.txt")), "x");
    ScriptedMsgBoxes boxes;
    boxes.expect(QStringLiteral("Could not remove workspace!"), ui::vbOK)
        .expect(QStringLiteral("Workspace initial does not exist!"), ui::vbOK)
        .expect(QStringLiteral("Delete workspace Nested?"), ui::vbYes, kSelect)
        .expect(QStringLiteral("Could not remove workspace!"), ui::vbOK);
    show([](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QString());
        d.DELETE->click();
        d.WORKSPACE->setEditText(QStringLiteral("initial"));
        d.DELETE->click();
        d.WORKSPACE->setEditText(QStringLiteral("Nested"));
        d.DELETE->click();
        EXPECT_TRUE(items(*d.WORKSPACE).contains(QStringLiteral("Nested")));
        return closeDialog(d);
    });
    EXPECT_TRUE(QFileInfo::exists(programFile(QStringLiteral("Nested/inner/keep.txt")))) << "no recursion";
}

TEST_F(WorkspaceDialogTest, HelpOpensTheHelpFile) {
    QString shown;
    int command = 0;
    ui::setHelpHook([&](const QString& file, int cmd) {
        shown = file;
        command = cmd;
    });
    show([](VKWSPACE& d) {
        d.Command1->click();
        return closeDialog(d);
    });
    ui::setHelpHook({});
    EXPECT_EQ(shown, programDir + QStringLiteral("/VELK.HLP"));
    EXPECT_EQ(command, 3);
    EXPECT_FALSE(ui::hourglassShown());
}
