// The print run and Print Record on a recording engine: what they ask of the engine, what they
// write, and the message, pointer and list form on every way they can end.
#include "printing/print_options.h"
#include "printing/print_run.h"
#include "printing/report_engine.h"
#include "printing_fixture.h"
#include "recording_engine.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace printing;
using namespace printingtest;
using testsupport::ScriptedMsgBoxes;

namespace {

class Progress : public PrintProgress {
public:
    long long total = -1;
    QVector<long long> counts;
    void gathering(long long n) override { total = n; }
    void written(long long n) override { counts.append(n); }
};

class PrintRun : public PrintingTest {
protected:
    void SetUp() override {
        PrintingTest::SetUp();
        makeState("PA");
    }
    // n employers; every third one marked to be left out.
    SearchToPrint employers(int n, const QString& omitted = "Y") {
        std::unique_ptr<dao::Database> db = openState();
        db->BeginTrans();
        for (int i = 0; i < n; ++i)
            db->executeBound("INSERT INTO PRIME (FILE, SEQUENCE, NAME1, Omit) VALUES (?, '01', ?, ?)",
                             {QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0')),
                              QStringLiteral("EMPLOYER %1").arg(i),
                              i % 3 == 2 ? QVariant(omitted) : QVariant(" ")});
        db->CommitTrans();
        return {"SELECT * FROM PRIME ORDER BY FILE", R"(Bob's "best" search)", n};
    }
    bool run(const PrintRequest& request, const SearchToPrint& search) {
        const bool printed = runPrint(request, search, dataSet, folder(), engine, progress);
        EXPECT_FALSE(ui::hourglassShown()); // the normal pointer on every way out
        return printed;
    }

    RecordingEngine engine;
    Progress progress;
};

TEST_F(PrintRun, EngineCallsByFormat) {
    ScriptedMsgBoxes noBoxes;
    const QString title = R"(formula SEARCHNAME=Bob's "best" search)";
    struct Case {
        QString state;
        PrintRequest request;
        QStringList calls;
    };
    const Case cases[] = {
        {"PA",
         {PrintFormat::Detail, PrintSort::Name, false, 3},
         {"open VKPRTALL.RPT", "table 1 copy", "table 2 copy", title, "formula STATE=PA",
          "sort {PRIME.NAME1}", "print 3"}},
        {"NY",
         {PrintFormat::Detail, PrintSort::ZipCode, true, 1},
         {"open VKPRTANY.RPT", "table 1 copy", "table 2 copy", title, "formula STATE=NY", "sort {PRIME.ZIP}",
          "preview"}},
        {"NJ",
         {PrintFormat::Summary, PrintSort::ExpirationDate, false, 999},
         {"open VKPRTSUM.RPT", "table 1 copy", title, "formula STATE=NJ", "sort {PRIME.EXPIRE}",
          "print 999"}},
        {"PA",
         {PrintFormat::LaserLabels, PrintSort::Name, false, 2},
         {"open VKLABELL.RPT", "table 1 copy", "sort {PRIME.NAME1}", "print 2"}},
        {"PA",
         {PrintFormat::DotMatrixLabels, PrintSort::ExpirationDate, true, 1},
         {"open VKLABELS.RPT", "table 1 copy", "sort {PRIME.EXPIRE}", "preview"}},
    };
    for (const Case& c : cases) {
        engine.calls.clear();
        progress = Progress();
        makeState(c.state);
        EXPECT_TRUE(run(c.request, employers(5))) << c.calls.first().toStdString();
        EXPECT_EQ(engine.calls, c.calls);
        // Every employer counted; the ones marked to be left out neither written nor counted.
        EXPECT_EQ(progress.total, 5);
        EXPECT_EQ(progress.counts, QVector<long long>({1, 2, 3, 4}));
        const QVector<Row> rows = reportRows("PRIME");
        ASSERT_EQ(rows.size(), 4);
        EXPECT_EQ(rows[2]["NAME1"], "EMPLOYER 3");
    }
}

TEST_F(PrintRun, FailuresSaySoAndPrintNothing) {
    const QString kAllLeftOut =
        "Nothing was printed: every company of this search is marked to be left out of printing.";
    // Three employers, all with this Omit.
    auto everyOmit = [&](const char* omit) {
        return [this, omit] {
            SearchToPrint s = employers(3);
            openState()->execute(QStringLiteral("UPDATE PRIME SET Omit = %1").arg(omit));
            return s;
        };
    };
    struct Case {
        const char* what;
        std::function<SearchToPrint()> setUp;
        QString message;
        bool partial;
        QStringList calls;
    };
    const Case cases[] = {
        {"empty search",
         [&] {
             return SearchToPrint{"SELECT * FROM PRIME", "x", 0};
         },
         "This search has no companies to print.",
         false,
         {}},
        {"all left out", everyOmit("'Y'"), kAllLeftOut, false, {}},
        {"Null Omit counts as left out", everyOmit("NULL"), kAllLeftOut, false, {}},
        {"no template",
         [&] {
             QFile::remove(path("REPORT.MDB"));
             return employers(3);
         },
         "VKPRINT CMD1 CANNOT FIND SYSTEM DIRECTORY!",
         false,
         {}},
        {"no private folder",
         [&] {
             testsupport::writeFile(path("blocked"));
             files::setTempDirOverride(path("blocked/private"));
             return employers(3);
         },
         "VKPRINT CMD1 CANNOT FIND SYSTEM DIRECTORY!",
         false,
         {}},
        {"search that does not run",
         [&] {
             return SearchToPrint{"SELECT * FROM NOSUCH", "x", 3};
         },
         "The report could not be prepared, so nothing was printed.\n\n",
         true,
         {}},
        {"report file not loading",
         [&] {
             engine.failOn = "open";
             return employers(3);
         },
         "The Report File (VKPRTSUM.RPT) Is Missing or Not Loading\n\nthe engine gave up",
         false,
         {"open VKPRTSUM.RPT"}},
        {"printer failing",
         [&] {
             engine.failOn = "print";
             return employers(3);
         },
         "The report could not be printed.\n\nthe engine gave up",
         false,
         {"open VKPRTSUM.RPT", "table 1 copy", "formula SEARCHNAME=Bob's \"best\" search", "formula STATE=PA",
          "sort {PRIME.NAME1}", "print 1"}},
        // Last: the template keeps its trigger. The employers are read well ahead of the refusal.
        {"working copy refusing rows",
         [&] {
             dao::Database::open(path("REPORT.MDB"))
                 ->execute(
                     "CREATE TRIGGER refuse BEFORE INSERT ON PRIME BEGIN SELECT RAISE(ABORT, 'no'); END");
             return employers(2000);
         },
         "The report could not be prepared, so nothing was printed.\n\n",
         true,
         {}},
    };
    for (const Case& c : cases) {
        engine = RecordingEngine();
        files::setTempDirOverride(path("private"));
        openState()->execute("DELETE FROM PRIME");
        std::unique_ptr<dao::Database> t = dao::Database::open(path("REPORT.MDB"));
        const SearchToPrint search = c.setUp();
        ScriptedMsgBoxes boxes;
        if (c.partial)
            boxes.expectContaining(c.message, ui::vbOK);
        else
            boxes.expect(c.message, ui::vbOK);
        EXPECT_FALSE(run({PrintFormat::Summary, PrintSort::Name, false, 1}, search)) << c.what;
        EXPECT_EQ(engine.calls, c.calls) << c.what;
        EXPECT_EQ(boxes.pending(), 0) << c.what;
        if (!QFile::exists(path("REPORT.MDB"))) {
            std::unique_ptr<dao::Database> again = dao::Database::create(path("REPORT.MDB"));
            dataset::createReportTables(*again);
        }
    }
}

TEST_F(PrintRun, BatchesOf500KeepEveryEmployer) {
    for (int n : {750, 751}) { // 500 and 501 written: every third left out
        openState()->execute("DELETE FROM PRIME");
        const SearchToPrint search = employers(n);
        EXPECT_TRUE(run({PrintFormat::LaserLabels, PrintSort::ZipCode, false, 1}, search));
        EXPECT_EQ(reportRows("PRIME").size(), n == 750 ? 500 : 501);
        EXPECT_EQ(progress.counts.last(), n == 750 ? 500 : 501);
    }
}

TEST_F(PrintRun, TwoRunsInARowReportOnlyTheSecond) {
    const SearchToPrint first = employers(3);
    EXPECT_TRUE(run({PrintFormat::Summary, PrintSort::Name, false, 1}, first));
    openState()->execute("DELETE FROM PRIME WHERE FILE = '0000000'");
    EXPECT_TRUE(run({PrintFormat::Summary, PrintSort::Name, false, 1}, {first.sql, first.title, 2}));
    const QVector<Row> rows = reportRows("PRIME");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["NAME1"], "EMPLOYER 1");
}

class PrintOneRecord : public PrintRun {
protected:
    bool print(const QString& file, const QString& sequence) {
        engine.watched = &list;
        const bool printed = printRecord(file, sequence, dataSet, folder(), engine, &list);
        EXPECT_TRUE(list.isEnabled());
        EXPECT_FALSE(ui::hourglassShown());
        return printed;
    }
    QWidget list;
};

TEST_F(PrintOneRecord, PrintsTheRecordWhateverItsOmitMark) {
    for (const QString code : {"PA", "NY"}) {
        makeState(code);
        addEmployer({{"FILE", "12345 789"}, {"SEQUENCE", "01"}, {"NAME1", "ACME"}, {"Omit", "Y"}});
        addEmployer({{"FILE", "12345 789"}, {"SEQUENCE", "02"}, {"NAME1", "OTHER"}, {"Omit", " "}});
        engine = RecordingEngine();
        EXPECT_TRUE(print("12345 789", "01"));
        EXPECT_EQ(engine.calls,
                  QStringList(
                      {"open " + QString(code == "NY" ? "VKPRTANY.RPT" : "VKPRTALL.RPT") + " (list disabled)",
                       "table 1 copy", "table 2 copy", "formula SEARCHNAME=Print Record",
                       "formula STATE=" + code, "print 1"}));
        EXPECT_EQ(engine.documentName(), "ACME 12345 789-01") << "not the whole search's name";
        const QVector<Row> rows = reportRows("PRIME");
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0]["NAME1"], "ACME");
        EXPECT_EQ(reportRows("CLASS").size(), 1);
    }
}

TEST(PrintRecordName, TheRecordsNameAndFileNumberAsAFileName) {
    EXPECT_EQ(recordDocumentName("CAMPBELL & GARCIA INC.   ", "1059359", "01"),
              "CAMPBELL & GARCIA INC. 1059359-01");
    EXPECT_EQ(recordDocumentName("A/B ROOFING: \"BEST\"\t", "104 56 16 ", "02"),
              "A B ROOFING BEST 104 56 16-02");
    EXPECT_EQ(recordDocumentName("", "1234567", "01"), "1234567-01");
}

TEST_F(PrintOneRecord, FailuresSaySoAndLeaveTheListUsable) {
    addEmployer({{"FILE", "1234567"}, {"SEQUENCE", "01"}, {"NAME1", "ACME"}, {"Omit", " "}});
    const std::tuple<const char*, QString, QString, QStringList> cases[] = {
        {"gone", "", "This company is no longer in the data set, so nothing was printed.", {}},
        {"not loading",
         "open",
         "The Report File (VKPRTALL.RPT) Is Missing or Not Loading\n\nthe engine gave up",
         {"open VKPRTALL.RPT (list disabled)"}},
        {"printer failing",
         "print",
         "The record could not be printed.\n\nthe engine gave up",
         {"open VKPRTALL.RPT (list disabled)", "table 1 copy", "table 2 copy",
          "formula SEARCHNAME=Print Record", "formula STATE=PA", "print 1"}},
    };
    for (const auto& [what, failOn, message, calls] : cases) {
        engine = RecordingEngine();
        engine.failOn = failOn;
        ScriptedMsgBoxes boxes;
        boxes.expect(message, ui::vbOK);
        EXPECT_FALSE(print("1234567", QString(what) == QLatin1String("gone") ? "02" : "01")) << what;
        EXPECT_EQ(engine.calls, calls) << what;
    }
    // No template: the Part's own message, nothing opened.
    QFile::remove(path("REPORT.MDB"));
    engine = RecordingEngine();
    ScriptedMsgBoxes boxes;
    boxes.expect("VKLIST PRINTCUR CANNOT FIND SYSTEM DIRECTORY!", ui::vbOK);
    EXPECT_FALSE(print("1234567", "01"));
    EXPECT_TRUE(engine.calls.isEmpty());
}

class PrintForm : public PrintRun {};

TEST_F(PrintForm, OptionsReachTheRunAndTheFormCloses) {
    const SearchToPrint search = employers(3);
    VKPRINT form(search, dataSet, folder(), engine);
    EXPECT_EQ(form.windowTitle(), "Print Lookup Information");
    form.SUMMARY->setChecked(true);
    form.NAME1->setChecked(false);
    form.ZIP->setChecked(true);
    form.COPIES->setText("7");
    testsupport::ModalScript script;
    script.expect<VKPRINT>([&](VKPRINT&) {
        // Activation: detail and one copy, whatever was chosen before.
        EXPECT_TRUE(form.FULL->isChecked());
        EXPECT_EQ(form.COPIES->text(), "1");
        EXPECT_TRUE(form.ZIP->isChecked());
        form.SUMMARY->setChecked(true);
        form.COPIES->setText("12");
        // A close that comes while the run turns the event loop waits for the run, as Cancel does.
        QTimer::singleShot(0, &form, [&] { EXPECT_FALSE(form.close()); });
        form.Command1->click();
        EXPECT_EQ(form.Label1->text(), "Gathering information on 3 companies");
        EXPECT_EQ(form.SHOWCOUNT->text(), "2");
        EXPECT_FALSE(form.isVisible());
        return form.result();
    });
    EXPECT_EQ(form.showModal(), QDialog::Accepted);
    EXPECT_EQ(engine.calls.first(), "open VKPRTSUM.RPT");
    EXPECT_EQ(engine.calls.last(), "print 12");
    EXPECT_TRUE(form.printed());
}

TEST_F(PrintForm, WindowHidesCopiesWithoutMovingAControlAndCopiesOutOfRangeAreRefused) {
    const SearchToPrint search = employers(3);
    VKPRINT form(search, dataSet, folder(), engine);
    form.show();
    const auto places = [&form] {
        QCoreApplication::processEvents();
        QList<QRect> r{form.rect()};
        for (QWidget* w :
             std::initializer_list<QWidget*>{form.POUTPUT[0], form.POUTPUT[1], form.Command1, form.Command2})
            r << QRect(w->mapTo(&form, QPoint()), w->size());
        return r;
    };
    const QList<QRect> withPrinter = places();
    form.POUTPUT[1]->setChecked(true);
    EXPECT_FALSE(form.COPIES->isVisible());
    EXPECT_FALSE(form.LCOPIES->isVisible());
    EXPECT_FALSE(form.SETUPCMD->isVisible());
    EXPECT_EQ(places(), withPrinter) << "a click back on Printer lands where Printer was";
    form.POUTPUT[0]->setChecked(true);
    EXPECT_TRUE(form.COPIES->isVisible());
    for (const char* copies : {"0", ""}) {
        form.COPIES->setText(copies);
        ScriptedMsgBoxes boxes;
        boxes.expect("Enter a number of copies from 1 to 999.", ui::vbOK);
        form.Command1->click();
        EXPECT_TRUE(engine.calls.isEmpty());
        EXPECT_TRUE(form.Command2->isEnabled());
    }
    form.COPIES->setText("1000"); // the box takes three digits
    EXPECT_EQ(form.COPIES->text(), "100");
    form.Command2->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(engine.calls.isEmpty());
}

} // namespace
