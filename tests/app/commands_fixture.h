// The program started on a seeded data set, for the main window's commands: employers in the
// data sets' databases, saved searches in workspaces, and the forms' places reset afterwards.
#pragma once

#include "app_fixture.h"

#include "dataset/data_set.h"
#include "platform/dao/dao.h"
#include "platform/ui/help_viewer.h"
#include "platform/ui/msgbox.h"
#include "results/list_form.h"
#include "search/edit_delete_dialog.h"
#include "search/lookup_editor.h"
#include "search/search_file.h"
#include "search/search_list.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include <QCoreApplication>
#include <QTabBar>

class CommandsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        search::resetReportedProblems();
    }
    void TearDown() override {
        search::unloadLookupEditor();
        ui::setHelpHook({});
        AppTest::TearDown();
    }

    // Employers named names (file numbers F1, F2, ... in the order given) in county 001 upwards,
    // and the data version, in VELK<st>.MDB.
    void seed(const QString& st, const QStringList& names,
              const QString& version = QStringLiteral("2004-06-30")) {
        auto db =
            dao::Database::open(programFile("VELK" + st + ".MDB"), false, false, dataset::defaultConnect(st));
        for (int i = 0; i < names.size(); ++i) {
            const QString file = QStringLiteral("F%1").arg(i + 1);
            const QString county = QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
            db->executeBound(
                "INSERT INTO PRIME (STATE, FILE, SEQUENCE, NAME1, NameSort, COUNTY, COUNTYNAME, "
                "CountySort, FILESEQ, Omit) VALUES (?, ?, '01', ?, ?, ?, ?, ?, ?, ' ')",
                {st, file, names[i], names[i], county, "COUNTY " + county, "COUNTY " + county, file + "01"});
        }
        if (!version.isEmpty())
            db->executeBound("INSERT INTO VERSION (Dummy, Version) VALUES ('1', ?)", {version});
    }

    // A saved search of the counties from thru in workspace ws (created when missing).
    void writeSearch(const QString& ws, const QString& fileName, const QString& title, const QString& from,
                     const QString& thru) {
        QDir(programDir).mkpath(ws);
        SQLPARAMETER p;
        p.SQLFIELD = QStringLiteral("County");
        p.SQLFROM = from;
        p.SQLTHRU = thru;
        p.SQLEXPR = QStringLiteral("COUNTY");
        QString error;
        ASSERT_TRUE(search::writeSearchFile(programDir + "/" + ws + "/" + fileName, title, {p}, &error))
            << error.toStdString();
    }

    // Starts the program on workspace ws and state st; the main window is up afterwards.
    MASTER* start(const QString& ws = QStringLiteral("INITIAL"), const QString& st = QStringLiteral("PA")) {
        testsupport::ScriptedMsgBoxes boxes;
        testsupport::ModalScript modals;
        modals.expect<VKWSPACE>(choose(ws, st));
        EXPECT_EQ(startFromSplash(), StartOutcome::Running);
        return MASTER::instance();
    }

    VKLIST* list() const { return MASTER::instance() ? MASTER::instance()->listForm() : nullptr; }
    void selectTab(int k) { list()->SSTab1->setCurrentIndex(k); }
    // Lets forms unloaded with deleteLater go.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};
