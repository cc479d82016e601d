// The workspace dialog: listing, VELK.INI, OK's checks and questions, Delete, the restore marker.
#include "app_fixture.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/msgbox.h"
#include "support/file_size_limit.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QFileInfo>

#include <optional>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

const QString kSelect = QStringLiteral("Select Workspace");
const int kAskStyle = ui::vbYesNo + ui::vbExclamation + ui::vbDefaultButton2;

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
        master->StartPath = programDir + "/";
        master->CURPATH = programDir;
    }
    // Shows the dialog with the driver and returns whether a choice was accepted.
    bool show(std::function<int(VKWSPACE&)> drive) {
        ModalScript modals;
        modals.expect<VKWSPACE>(std::move(drive));
        master->workspaceDialog().showModal();
        return velk::WorkspaceChosen;
    }
    // Shows the dialog and checks the boxes it opens with.
    void expectShownWith(const QString& workspace, const QString& state) {
        show([&](VKWSPACE& d) {
            EXPECT_EQ(d.WORKSPACE->currentText(), workspace);
            EXPECT_EQ(d.STATE->currentText(), state);
            return closeDialog(d);
        });
    }
    // Types name into the workspace box and presses Delete.
    static void pressDelete(VKWSPACE& d, const QString& name) {
        d.WORKSPACE->setEditText(name);
        d.DELETE->click();
    }
    bool exists(const QString& name) const { return QFileInfo::exists(programFile(name)); }

    MASTER* master = nullptr;
};

TEST_F(WorkspaceDialogTest, FirstRunShowsInitialAndPA) {
    QDir(programDir).rmdir("INITIAL");
    ASSERT_FALSE(exists("INITIAL"));
    show([](VKWSPACE& d) {
        EXPECT_EQ(d.WORKSPACE->currentText(), "INITIAL");
        EXPECT_EQ(d.STATE->currentText(), "PA");
        EXPECT_EQ(items(*d.STATE), QStringList({"DE", "NJ", "NY", "PA", "PM", "DM"}));
        EXPECT_EQ(items(*d.WORKSPACE), QStringList({"INITIAL"}));
        return closeDialog(d);
    });
    EXPECT_TRUE(QFileInfo(programFile("INITIAL")).isDir());
}

TEST_F(WorkspaceDialogTest, WorkspacesAreListedSortedAndOnceOnEveryShowing) {
    for (const char* name : {"zeta", "Alpha", "beta", "Mid 2"})
        QDir(programDir).mkdir(name);
    writeFile(programFile("NOTAFOLDER.TXT"), "x");
    ASSERT_TRUE(QFile::link(programFile("beta"), programFile("linked")));
    for (int showing = 1; showing <= 2; ++showing)
        show([&](VKWSPACE& d) {
            EXPECT_EQ(items(*d.WORKSPACE), QStringList({"Alpha", "beta", "INITIAL", "Mid 2", "zeta"}))
                << "showing " << showing;
            return closeDialog(d);
        });
}

TEST_F(WorkspaceDialogTest, OkAcceptsAndTheChoiceIsRestoredFromVelkIni) {
    QDir(programDir).mkdir("Work");
    EXPECT_TRUE(show(choose("Work", "NY")));
    EXPECT_EQ(dataset::current().code, "NY");
    EXPECT_EQ(dataset::current().connect, dataset::defaultConnect("NY"));
    EXPECT_EQ(readFile(iniFile()), "\"Work\",\"NY\"\r\n");
    EXPECT_EQ(master->workspaceDialog().result(), QDialog::Accepted);
    EXPECT_EQ(master->workspaceDialog().WORKSPACE->currentText(), "Work") << "the caller reads the boxes";
    master->unloadWorkspaceDialog();
    expectShownWith("Work", "NY");
}

TEST_F(WorkspaceDialogTest, RememberedValuesNotInTheListsLeaveTheBoxes) {
    writeFile(iniFile(), "\"Removed\",\"XX\"\r\n");
    expectShownWith("INITIAL", "PA");
    writeFile(iniFile(), "\"initial\",\"ny\"\r\n"); // comparisons are case-sensitive
    expectShownWith("INITIAL", "PA");
}

TEST_F(WorkspaceDialogTest, NewWorkspaceDeclinedKeepsTheDialogOpenAndYesCreatesIt) {
    ScriptedMsgBoxes boxes;
    boxes.expect("Create new workspace called Leads?", ui::vbNo, kSelect)
        .expect("Create new workspace called Leads?", ui::vbYes, kSelect);
    EXPECT_TRUE(show([&](VKWSPACE& d) {
        EXPECT_NE(chooseInDialog(d, "Leads", "NJ"), QDialog::Accepted);
        EXPECT_NE(dataset::current().code, "NJ") << "a refused choice leaves the data set in use";
        EXPECT_FALSE(exists("Leads"));
        EXPECT_FALSE(QFileInfo::exists(iniFile())) << "no VELK.INI is written";
        return chooseInDialog(d, "Leads", "PA");
    }));
    EXPECT_EQ(boxes.shown().front().style, kAskStyle);
    EXPECT_TRUE(QFileInfo(programFile("Leads")).isDir());
    EXPECT_EQ(readFile(iniFile()), "\"Leads\",\"PA\"\r\n");
}

TEST_F(WorkspaceDialogTest, NameDifferingOnlyInCaseIsNotListedAndCannotBeCreated) {
    ScriptedMsgBoxes boxes;
    boxes.expect("Create new workspace called initial?", ui::vbYes, kSelect)
        .expect("Could not create workspace or save settings!", ui::vbOK);
    EXPECT_FALSE(show([](VKWSPACE& d) {
        chooseInDialog(d, "initial", "PA");
        return closeDialog(d);
    }));
    EXPECT_FALSE(exists("initial"));
}

TEST_F(WorkspaceDialogTest, UnusableNameIsRefusedWithAWarningAndTheDialogStays) {
    ScriptedMsgBoxes boxes;
    boxes.expectContaining("The workspace name cannot", ui::vbOK, kSelect);
    EXPECT_FALSE(show([](VKWSPACE& d) {
        EXPECT_NE(chooseInDialog(d, "../up", "PA"), QDialog::Accepted);
        return closeDialog(d);
    }));
    EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbExclamation);
    EXPECT_FALSE(QFileInfo::exists(iniFile()));
    EXPECT_FALSE(QFileInfo::exists(path("up")));
}

TEST_F(WorkspaceDialogTest, EmptyNameBecomesInitialAndEmptyStateBecomesPA) {
    EXPECT_TRUE(show([](VKWSPACE& d) {
        d.WORKSPACE->setEditText(QString());
        d.STATE->setCurrentIndex(-1);
        d.OK->click();
        return d.result();
    }));
    EXPECT_EQ(master->workspaceDialog().WORKSPACE->currentText(), "INITIAL");
    EXPECT_EQ(dataset::current().code, "PA");
}

TEST_F(WorkspaceDialogTest, WorkspaceChosenIsClearedBeforeEveryShowing) {
    velk::WorkspaceChosen = true;
    EXPECT_FALSE(show(closeDialog));
}

TEST_F(WorkspaceDialogTest, ConnectStringComesFromTheDataSetsSetupRow) {
    EXPECT_TRUE(show(choose("INITIAL", "NJ")));
    EXPECT_EQ(dataset::current().connect, dataset::defaultConnect("NJ"));
    EXPECT_TRUE(show(choose("INITIAL", "PM")));
    EXPECT_EQ(dataset::current().connect, dataset::defaultConnect("PM"));
}

// Each of these was once reported as a wrong password on the data set's own database.
TEST_F(WorkspaceDialogTest, SettingsDatabaseFaultsAreNamedAndTheDialogStays) {
    const QString index = programFile("VELKI.MDB");
    const QString saved = path("VELKI.saved");
    ASSERT_TRUE(QFile::copy(index, saved));
    const struct {
        const char* fault;
        std::function<void()> make;
        const char* cause;
    } cases[] = {
        {"missing", [&] { QFile::remove(index); }, "the file does not exist"},
        {"empty", [&] { writeFile(index, ""); }, "the file is empty"},
        {"damaged", [&] { writeFile(index, QByteArray(4096, 'x')); }, "the file is not a VELK database"},
        {"without the data set's row",
         [&] {
             auto db = dao::Database::open(index, false, false, dataset::indexDbConnect());
             db->execute("DELETE * FROM Setup WHERE STATE = 'PM'");
         },
         "its table Setup has no row for PM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        QFile::remove(index);
        ASSERT_TRUE(QFile::copy(saved, index));
        c.make();
        dataset::setCurrent({"NJ", dataset::defaultConnect("NJ")});
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(index, ui::vbOK);
        EXPECT_FALSE(show([](VKWSPACE& d) {
            EXPECT_NE(chooseInDialog(d, "INITIAL", "PM"), QDialog::Accepted);
            return closeDialog(d);
        }));
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown().front().text.contains(c.cause)) << boxes.shown().front().text.toStdString();
        EXPECT_FALSE(boxes.shown().front().text.contains("VELKPM.MDB"));
        EXPECT_EQ(dataset::current().code, "NJ") << "the data set in use stays";
        EXPECT_FALSE(QFileInfo::exists(iniFile()));
    }
}

TEST_F(WorkspaceDialogTest, VelkIniThatCannotBeWrittenIsNamedAndTheChoiceStillGoesOn) {
    const struct {
        const char* fault;
        bool folderInPlace;
        rlim_t sizeLimit; // 0: none
        const char* cause;
    } cases[] = {
        {"a folder in its place", true, 0, "Is a directory"},
        {"no room to write it", false, 4, "File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        if (c.folderInPlace) {
            ASSERT_TRUE(QDir().mkdir(iniFile()));
        }
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(iniFile(), ui::vbOK);
        const bool chosen = show([&](VKWSPACE& d) {
            std::optional<testsupport::FileSizeLimit> full;
            if (c.sizeLimit) full.emplace(c.sizeLimit);
            return chooseInDialog(d, "INITIAL", "NY");
        });
        EXPECT_TRUE(chosen) << "said once, not again after every OK";
        EXPECT_EQ(dataset::current().code, "NY");
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown().front().text.contains(c.cause)) << boxes.shown().front().text.toStdString();
        EXPECT_FALSE(QFileInfo(iniFile()).isFile());
        if (c.folderInPlace) QDir().rmdir(iniFile());
    }
}

TEST_F(WorkspaceDialogTest, PendingRestoreRunsWithThisDataSetsConnectStringThenDropsTheMarker) {
    writeFile(programFile("RESTNJ.DAT"), " \r\n");
    writeFile(programFile("RESTPA.DAT"), " \r\n");
    QStringList call;
    QString connectAtCall;
    forms.restore = [&](const QString& main, const QString& backup, const dataset::DataSet& set) {
        call = {main, backup, set.code};
        connectAtCall = set.connect;
    };
    EXPECT_TRUE(show(choose("INITIAL", "NJ")));
    EXPECT_EQ(call, QStringList({programDir + "/VELKNJ.MDB", programFile("BACKUPNJ.MDB"), "NJ"}));
    EXPECT_EQ(connectAtCall, dataset::defaultConnect("NJ"));
    EXPECT_FALSE(exists("RESTNJ.DAT"));
    EXPECT_TRUE(exists("RESTPA.DAT")) << "only the accepted state's marker counts";
}

TEST_F(WorkspaceDialogTest, EmptyMarkerStartsNoRestore) {
    writeFile(programFile("RESTPA.DAT"), "");
    int calls = 0;
    forms.restore = [&](const QString&, const QString&, const dataset::DataSet&) { ++calls; };
    EXPECT_TRUE(show(choose("INITIAL", "PA")));
    EXPECT_EQ(calls, 0);
}

TEST_F(WorkspaceDialogTest, FailedRestoreIsReportedAndKeepsTheMarker) {
    writeFile(programFile("RESTPA.DAT"), " \r\n");
    const std::pair<decltype(forms.restore), QString> cases[] = {
        {[](const QString& main, const QString&, const dataset::DataSet&) {
             throw dao::DaoError(main, "Open", "the file is locked");
         },
         "the file is locked"},
        {{}, "the file does not exist"}, // the program's own restore, without a backup
    };
    for (const auto& [restore, reason] : cases) {
        forms.restore = restore;
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(reason, ui::vbOK);
        EXPECT_TRUE(show(choose("INITIAL", "PA")));
        EXPECT_TRUE(boxes.shown().front().text.contains("BACKUPPA.MDB"));
        EXPECT_TRUE(exists("RESTPA.DAT"));
    }
}

TEST_F(WorkspaceDialogTest, DeleteAsksWarnsAboutSearchesAndRemovesTheWorkspace) {
    QDir(programDir).mkdir("Old");
    writeFile(programFile("Old/notes.txt"), "x");
    QDir(programDir).mkdir("Busy");
    writeFile(programFile("Busy/SEARCH1.VKD"), "\"a\"\r\n");
    ScriptedMsgBoxes boxes;
    boxes.expect("Delete workspace Old?", ui::vbNo, kSelect)
        .expect("Delete workspace Old?", ui::vbYes, kSelect)
        .expect("Delete workspace Busy?\r\nThere are searches in this workspace!", ui::vbNo, kSelect);
    show([](VKWSPACE& d) {
        pressDelete(d, "Old");
        EXPECT_TRUE(items(*d.WORKSPACE).contains("Old"));
        pressDelete(d, "Old");
        EXPECT_FALSE(items(*d.WORKSPACE).contains("Old"));
        EXPECT_TRUE(d.isModal());
        pressDelete(d, "Busy");
        return closeDialog(d);
    });
    EXPECT_EQ(boxes.shown().front().style, kAskStyle);
    EXPECT_FALSE(exists("Old"));
    EXPECT_TRUE(exists("Busy/SEARCH1.VKD"));
}

TEST_F(WorkspaceDialogTest, DeleteRefusals) {
    QDir(programDir).mkpath("Nested/inner");
    writeFile(programFile("Nested/inner/keep.txt"), "x");
    ScriptedMsgBoxes boxes;
    boxes.expect("Could not remove workspace!", ui::vbOK)
        .expect("Workspace initial does not exist!", ui::vbOK)
        .expect("Delete workspace Nested?", ui::vbYes, kSelect)
        .expect("Could not remove workspace!", ui::vbOK);
    show([](VKWSPACE& d) {
        pressDelete(d, QString());
        pressDelete(d, "initial");
        pressDelete(d, "Nested");
        EXPECT_TRUE(items(*d.WORKSPACE).contains("Nested"));
        return closeDialog(d);
    });
    EXPECT_TRUE(exists("Nested/inner/keep.txt")) << "no recursion";
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
    EXPECT_EQ(shown, programDir + "/VELK.HLP");
    EXPECT_EQ(command, 3);
    EXPECT_FALSE(ui::hourglassShown());
}
