// The start-up sequence end to end: splash, workspace loop, state database, hand-over to the list.
#include "app_fixture.h"

#include "dataset/data_set.h"
#include "maintenance/update_form.h"
#include "platform/dao/dao.h"
#include "platform/ui/msgbox.h"
#include "results/list_form.h"
#include "search/search_list.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {
const QString kUpdate = QStringLiteral("Update Database?");
}

TEST_F(AppTest, StartupHandsOverToTheListForm) {
    ScriptedMsgBoxes boxes;
    ModalScript modals;
    QString versionOnSplash;
    modals.expect<VKWSPACE>([&](VKWSPACE& d) {
        versionOnSplash = TITLE::instance() ? TITLE::instance()->Label4->text() : QString();
        EXPECT_TRUE(TITLE::instance() && TITLE::instance()->isVisible())
            << "the splash is up during the choice";
        EXPECT_FALSE(MASTER::instance()->isVisible()) << "the main window appears only with the list";
        return chooseInDialog(d, "INITIAL", "PA");
    });

    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    MASTER* master = MASTER::instance();
    ASSERT_NE(master, nullptr);

    EXPECT_EQ(versionOnSplash, "2.30.0");
    EXPECT_EQ(master->lblProgram->text(), "2.30.0");
    EXPECT_EQ(master->StartPath, programDir + "/");
    EXPECT_EQ(master->CURPATH, programDir);
    EXPECT_EQ(dataset::indexDbConnect(), ";PWD=Trn58kwpzb");
    EXPECT_EQ(master->windowTitle(), "VELK - Workspace is INITIAL and State is PA");
    EXPECT_EQ(dataset::current().code, "PA");
    EXPECT_EQ(dataset::current().connect, dataset::defaultConnect("PA"));

    VKLIST* list = master->listForm();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->WORKSPACE, "INITIAL");
    EXPECT_EQ(list->STATE, "PA");
    EXPECT_EQ(list->CURPATH, programDir + "/INITIAL/");
    ASSERT_EQ(master->mdiArea->subWindowList().size(), 1);
    EXPECT_EQ(master->mdiArea->subWindowList().front()->widget(), list);
    EXPECT_TRUE(master->isVisible());

    EXPECT_EQ(master->StateDb, nullptr) << "the hand-over closes the start-up's connection";
    EXPECT_EQ(master->loadedWorkspaceDialog(), nullptr) << "the dialog is unloaded at the hand-over";
    EXPECT_EQ(TITLE::instance(), nullptr) << "the splash goes";
    EXPECT_FALSE(ui::hourglassShown());
    EXPECT_FALSE(master->programEnded());
}

// Saved searches that cannot be read once crashed every start: the real box, answered from the
// event loop as a user would, and the list whole behind it with the other searches on its tabs.
TEST_F(AppTest, UnreadableSavedSearchesAreNamedAndTheListOpensWithTheOthers) {
    const QString folder = programDir + "/INITIAL/";
    writeFile(folder + "SEARCH1.VKD", "\"Good\",\"County\",\"001\",\"005\",\"COUNTY\",#FALSE#\r\n");
    writeFile(folder + "SEARCH2.VKD", "\"Five\",\"County\",\"001\",\"005\",\"COUNTY\"\r\n");
    writeFile(folder + "SEARCH3.VKD", QByteArray(65 * 1024, '\n'));
    writeFile(folder + "SEARCH4.VKD", "\"Fourth\",\"Zip Code\",\"19000\",\"19099\",\"ZIP\",#TRUE#\r\n");
    ModalScript modals;
    modals.expect<VKWSPACE>(choose("INITIAL", "PA"));
    QString answered;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            answered += box->text(), box->button(QMessageBox::Ok)->click();
    });
    user.start(20);

    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    for (const QDeadlineTimer deadline(5000); answered.isEmpty() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(answered.contains("SEARCH2.VKD") && answered.contains("SEARCH3.VKD"))
        << answered.toStdString();
    VKLIST* list = MASTER::instance()->listForm();
    ASSERT_TRUE(list && list->isVisible());
    EXPECT_EQ(list->SSTab1->tabText(1), "Good");
    EXPECT_EQ(list->SSTab1->tabText(2), "Fourth");
    EXPECT_EQ(list->CurrentIndex, "KEY2") << "the hand-over ran to its end";
}

TEST_F(AppTest, NoChoiceThenNoOrADatabaseOnlyUpdateShowsTheDialogAgain) {
    QDir(programDir).mkdir("Claims 2024");
    int updates = 0;
    forms.upgrade = [&] {
        ++updates;
        velk::UpgradeDone = true;
    };
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbNo).expect(kUpdate, ui::vbNo).expect(kUpdate, ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(closeDialog);
    modals.expect<VKWSPACE>([](VKWSPACE& d) {
        EXPECT_FALSE(velk::WorkspaceChosen);
        return chooseInDialog(d, "Claims 2024", "NY");
    });

    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(boxes.shown().front().style, ui::vbYesNo) << "no icon";
    MASTER* master = MASTER::instance();
    EXPECT_EQ(master->windowTitle(), "VELK - Workspace is Claims 2024 and State is NY");
    EXPECT_EQ(master->listForm()->CURPATH, programDir + "/Claims 2024/");
    EXPECT_EQ(dataset::current().connect, dataset::defaultConnect("NY"));
}

TEST_F(AppTest, NoChoiceThenUpdateCancelledEndsWithoutAList) {
    bool updateShown = false;
    forms.upgrade = [&] {
        updateShown = true;
        EXPECT_FALSE(velk::UpgradeDone) << "cleared before the update form is shown";
    };
    velk::UpgradeDone = true;
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog);

    ASSERT_EQ(startFromSplash(), StartOutcome::Ended);
    EXPECT_TRUE(updateShown);
    MASTER* master = MASTER::instance();
    ASSERT_NE(master, nullptr);
    EXPECT_TRUE(master->programEnded());
    EXPECT_EQ(master->exitCode(), 0);
    EXPECT_EQ(master->listForm(), nullptr);
    EXPECT_FALSE(master->isVisible());
    EXPECT_EQ(TITLE::instance(), nullptr) << "nothing is left on screen";
}

TEST_F(AppTest, UpdateFormCancelledEndsTheProgramWithStatusZero) {
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbYes);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKUPGRD>([](VKUPGRD& d) { return testsupport::press(d, d.Command2); });
    EXPECT_EQ(velk::runProgram(), 0);
    EXPECT_FALSE(velk::UpgradeDone);
    EXPECT_EQ(MASTER::instance(), nullptr) << "every form is gone";
}

TEST_F(AppTest, EarlierAcceptanceDoesNotCountForALaterClosedDialog) {
    // The update form shows the dialog itself and the user accepts there; the start-up's own
    // showing afterwards is closed: that is no choice.
    forms.upgrade = [] {
        MASTER::instance()->workspaceDialog().showModal();
        velk::UpgradeDone = true;
    };
    ScriptedMsgBoxes boxes;
    boxes.expect(kUpdate, ui::vbYes).expect(kUpdate, ui::vbNo);
    ModalScript modals;
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(choose("INITIAL", "PA"));
    modals.expect<VKWSPACE>(closeDialog).expect<VKWSPACE>(choose("INITIAL", "PM"));
    ASSERT_EQ(startFromSplash(), StartOutcome::Running);
    EXPECT_EQ(MASTER::instance()->windowTitle(), "VELK - Workspace is INITIAL and State is PM");
}

TEST_F(AppTest, AStateDatabaseThatCannotBeUsedIsReportedAndEndsWithAnError) {
    const struct {
        const char* st;
        std::function<void()> spoil;
    } cases[] = {
        {"DE", [&] { QFile::remove(programFile("VELKDE.MDB")); }},
        {"NJ", [&] { giveWrongPassword("NJ"); }},
        {"PM", [&] { writeFile(programFile("VELKPM.MDB"), QByteArray("not a database\r\n").repeated(50)); }},
        // Ours with the right password, but without the data set's tables: the list cannot load.
        {"NY",
         [&] {
             QFile::remove(programFile("VELKNY.MDB"));
             dao::Database::create(programFile("VELKNY.MDB"),
                                   dao::passwordFromConnect(dataset::defaultConnect("NY")));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.st);
        c.spoil();
        const QString file = QStringLiteral("VELK%1.MDB").arg(c.st);
        const bool existed = QFile::exists(programFile(file));
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(file, ui::vbOK);
        ModalScript modals;
        modals.expect<VKWSPACE>(choose("INITIAL", c.st));

        ASSERT_EQ(startFromSplash(), StartOutcome::Failed);
        ASSERT_EQ(boxes.shown().size(), 1);
        EXPECT_TRUE(boxes.shown().front().text.startsWith("VELK cannot start."));
        EXPECT_EQ(boxes.shown().front().style & 0x70, ui::vbCritical);
        EXPECT_EQ(QFile::exists(programFile(file)), existed) << "no database is created";
        MASTER* master = MASTER::instance();
        EXPECT_TRUE(master->programEnded());
        EXPECT_NE(master->exitCode(), 0);
        EXPECT_EQ(master->listForm(), nullptr);
        EXPECT_FALSE(master->isVisible());
        EXPECT_EQ(TITLE::instance(), nullptr) << "the splash does not stay behind";
        EXPECT_FALSE(ui::hourglassShown());
        velk::unloadAllForms();
    }
}

TEST_F(AppTest, MissingProgramFolderIsReportedWithStatusOne) {
    files::setProgramFolder(path("gone"));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining(path("gone"), ui::vbOK);
    EXPECT_EQ(velk::runProgram(), 1);
}

TEST_F(AppTest, ExitInTheDialogEndsTheStartup) {
    const QString quit = QStringLiteral("Are you sure you want to quit VELK?");
    ScriptedMsgBoxes boxes;
    boxes.expect(quit, ui::vbNo, "Exit VELK").expect(quit, ui::vbYes, "Exit VELK");
    ModalScript modals;
    modals.expect<VKWSPACE>([](VKWSPACE& d) {
        d.cmdExit->click(); // answered No: the dialog stays
        EXPECT_EQ(MASTER::instance()->loadedWorkspaceDialog(), &d);
        return exitInDialog(d);
    });
    ASSERT_EQ(startFromSplash(), StartOutcome::Ended);
    EXPECT_EQ(MASTER::instance()->exitCode(), 0);
    EXPECT_EQ(MASTER::instance()->listForm(), nullptr);
}
