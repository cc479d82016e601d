// Reports asked for by name: the request class, the single-record form and its report control on
// a recording engine, to the printer and to a preview host, and the ways a run ends.
#include "printing/report_request.h"
#include "printing/single_record_form.h"
#include "recording_engine.h"
#include "support/scripted_msgbox.h"

#include "dataset/data_set.h"
#include "platform/files/folders.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace printing;
using printingtest::RecordingEngine;
using testsupport::ScriptedMsgBoxes;

namespace {

// Handles events (deferred deletes included) until done() or ms passed.
bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return done();
}

// Lets whatever is queued run.
void settle() {
    waitUntil([] { return false; }, 100);
}

TEST(ReportCopies, TheCopiesBoxGivesOneTo999Copies) {
    const struct {
        const char* text;
        int copies;
    } cases[] = {
        {"1", 1},
        {"2", 2},
        {" 7", 7},
        {"12abc", 12},
        {"2.5", 2},
        {"3.5", 4},
        {"", 1},
        {"0", 1},
        {"abc", 1},
        {"-4", 1},
        {"999", 999},
        {"1000", 999},
        {"99999999999999999999", 999},
    };
    for (const auto& c : cases)
        EXPECT_EQ(copiesFromText(QString::fromLatin1(c.text)), c.copies) << c.text;
}

TEST(ReportFormulas, AFormulaSplitsIntoItsNameAndText) {
    const struct {
        const char* formula;
        FormulaAssignment split;
    } cases[] = {
        {"SEARCHNAME=\"PRINT RECORD\"", {"SEARCHNAME", "PRINT RECORD"}},
        {"STATE=\"NY\"", {"STATE", "NY"}},
        {"STATE=\"\"", {"STATE", ""}},
        {"SEARCHNAME=\"Say \"hi\"\"", {"SEARCHNAME", "Say \"hi\""}},
        {"STATE=PA", {"STATE", "PA"}},
        {"STATE", {"STATE", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitFormula(QString::fromLatin1(c.formula)), c.split) << c.formula;
}

// Criteria forms standing in for the print options form and the single-record form.
class RecordingForms : public ReportForms {
public:
    QStringList opened;
    QWidget printForm, singleForm;
    QWidget* showPrintOptions() override {
        opened << "print options";
        return &printForm;
    }
    QWidget* showSingleRecord() override {
        opened << "single record";
        return &singleForm;
    }
};

TEST(ReportRequest, GoOpensTheFormOfExactlyTheNamedReport) {
    const struct {
        const char* name;
        const char* form; // "" for none
    } cases[] = {
        {"VKPRTALL", "print options"},
        {"VKPRTANY", "print options"},
        {"VKPRTSUM", "print options"},
        {"VKSINGLE", "single record"},
        {"vkprtall", ""},
        {"VKSingle", ""},
        {"VKPRINT", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        RecordingForms forms;
        dmrsReport request(forms);
        request.Go(QString::fromLatin1(c.name));
        EXPECT_EQ(forms.opened.join(""), QString::fromLatin1(c.form)) << c.name;
        EXPECT_EQ(request.Status(), 0) << c.name;
        QWidget* expected = QString::fromLatin1(c.form) == "print options"   ? &forms.printForm
                            : QString::fromLatin1(c.form) == "single record" ? &forms.singleForm
                                                                             : nullptr;
        EXPECT_EQ(request.CriteriahWnd(), expected) << c.name;
    }
}

TEST(ReportRequest, AnUnknownNameKeepsTheLastCriteriaForm) {
    RecordingForms forms;
    dmrsReport request(forms);
    request.Go("VKSINGLE");
    request.Go("NOSUCH");
    EXPECT_EQ(request.CriteriahWnd(), &forms.singleForm);
}

TEST(ReportRequest, ParametersAreSharedAndOnly0To20Exist) {
    RecordingForms forms;
    dmrsReport one(forms), other(forms);
    one.setParameter(0, "first");
    one.setParameter(20, 42);
    EXPECT_EQ(other.Parameter(0), QVariant("first"));
    EXPECT_EQ(other.Parameter(20), QVariant(42));
    for (int bad : {-1, 21}) {
        EXPECT_THROW(one.setParameter(bad, "x"), std::out_of_range) << bad;
        EXPECT_THROW((void)other.Parameter(bad), std::out_of_range) << bad;
    }
    EXPECT_EQ(other.Parameter(20), QVariant(42));
    one.setParameter(0, QVariant());
    one.setParameter(20, QVariant());
}

// The single-record form on a recording engine, in a data set.
class SingleRecord : public testsupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        files::setTempDirOverride(path("private"));
        dataset::setCurrent({QStringLiteral("PA"), QString()});
        auto owned = std::make_unique<RecordingEngine>();
        engine = owned.get();
        form = new VKSINGLE(std::move(owned), nullptr);
    }
    void TearDown() override {
        delete form.data();
        waitUntil([] { return true; });
        dataset::setCurrent({QStringLiteral("PA"), QString()});
        files::setTempDirOverride(QString());
        ui::setDefaultPointer();
    }
    // Shows the form and lets its run start.
    void showForm() {
        form->show();
        QCoreApplication::processEvents();
    }
    RecordingForms forms;
    RecordingEngine* engine = nullptr;
    QPointer<VKSINGLE> form;
};

TEST_F(SingleRecord, PrintsTheWorkingCopyOnceAsTheDetailReportAndCloses) {
    for (const char* code : {"PA", "NY"}) {
        SCOPED_TRACE(code);
        dataset::setCurrent({QString::fromLatin1(code), QString()});
        if (!form) {
            auto owned = std::make_unique<RecordingEngine>();
            engine = owned.get();
            form = new VKSINGLE(std::move(owned), nullptr);
        }
        QStringList calls;
        engine->keepCallsIn = &calls;
        const QString report = QString::fromLatin1(code) == "NY" ? "VKPRTANY.RPT" : "VKPRTALL.RPT";
        ScriptedMsgBoxes none;
        showForm();
        ASSERT_TRUE(waitUntil([&] { return form.isNull(); })) << "the form closes after printing";
        EXPECT_EQ(calls, QStringList({"open " + report, "table 1 copy", "table 2 copy",
                                      "formula SEARCHNAME=PRINT RECORD",
                                      "formula STATE=" + QString::fromLatin1(code), "print 1"}))
            << calls.join(" | ").toStdString();
        EXPECT_EQ(dmrsReport(forms).ViewhWnd(), nullptr) << "a run to the printer makes no preview host";
        EXPECT_FALSE(ui::hourglassShown());
    }
}

TEST_F(SingleRecord, RunsOncePerShowingNotOnEveryActivation) {
    engine->printResult = false; // no printer and no PDF wanted: the form stays
    ScriptedMsgBoxes none;
    showForm();
    ASSERT_TRUE(waitUntil([&] { return engine->calls.size() == 6; }));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isEnabled()) << "nothing printed: the form can be used again";
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(form, &activate);
    form->activateWindow();
    settle();
    EXPECT_EQ(engine->calls.size(), 6);
    form->hide();
    showForm();
    EXPECT_TRUE(waitUntil([&] { return engine->calls.size() == 12; })) << "shown again, printed again";
}

TEST_F(SingleRecord, AReportThatCannotStartIsSaidAndTheFormStays) {
    engine->failOn = "open";
    form->POUTPUT[1]->setChecked(true);
    ScriptedMsgBoxes boxes;
    boxes.expect("An error has occurred printing this report. (the engine gave up)", ui::vbOK,
                 "Print Current Record");
    dmrsReport request(forms);
    showForm();
    ASSERT_TRUE(waitUntil([&] { return boxes.pending() == 0; }));
    EXPECT_EQ(boxes.shown().first().style, ui::vbOKOnly | ui::vbCritical);
    EXPECT_EQ(request.Status(), kReportRunFailed);
    EXPECT_EQ(dmrsReport(forms).Status(), 0) << "a new request starts from 0";
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(ui::hourglassShown());
    settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<PRNTVIEW*>(w), nullptr) << "no preview host is left";
}

// The report procedures on a bare criteria form.
struct Criteria : QWidget {
    Criteria() {
        setWindowTitle("Criteria");
        POUTPUT[0] = new QRadioButton("Printer", this);
        POUTPUT[1] = new QRadioButton("Window", this);
        POUTPUT[0]->setChecked(true);
        COPIES = new QLineEdit("1", this);
    }
    QRadioButton* POUTPUT[2];
    QLineEdit* COPIES;
};

class ReportControlRuns : public ::testing::Test {
protected:
    void TearDown() override {
        waitUntil([] { return true; });
        ui::setDefaultPointer();
    }
    RecordingEngine engine;
    ReportControl control{engine};
    Criteria criteria;
    RecordingForms forms;
};

TEST_F(ReportControlRuns, ThePrinterGetsTheCopiesOfTheBox) {
    control.ReportFileName = "VKPRTSUM.RPT";
    for (const char* copies : {"2", ""}) {
        criteria.COPIES->setText(copies);
        criteria.setEnabled(true);
        ScriptedMsgBoxes none;
        EXPECT_TRUE(RunReportControl(control, criteriaOf(criteria)));
        EXPECT_FALSE(criteria.isEnabled()) << "disabled once the report ran";
    }
    EXPECT_EQ(engine.calls, QStringList({"open VKPRTSUM.RPT", "print 2", "open VKPRTSUM.RPT", "print 1"}));
}

TEST_F(ReportControlRuns, AFailedStartSetsTheStatusAndLeavesNoHost) {
    engine.failOn = "preview";
    criteria.POUTPUT[1]->setChecked(true);
    dmrsReport request(forms);
    ScriptedMsgBoxes boxes;
    boxes.expect("An error has occurred printing this report. (the engine gave up)", ui::vbOK, "Criteria");
    EXPECT_FALSE(RunReportControl(control, criteriaOf(criteria)));
    EXPECT_EQ(request.Status(), kReportRunFailed);
    EXPECT_TRUE(criteria.isEnabled());
    EXPECT_EQ(control.WindowParent, nullptr) << "the host made for the run is gone";
    EXPECT_EQ(request.ViewhWnd(), nullptr);
}

TEST_F(ReportControlRuns, TheWindowWaitEndsWhenThePreviewClosesAndTheHostGoesWithIt) {
    criteria.show();
    criteria.POUTPUT[1]->setChecked(true);
    dmrsReport request(forms);
    ScriptedMsgBoxes none;
    ASSERT_TRUE(RunReportControl(control, criteriaOf(criteria)));
    QPointer<PRNTVIEW> host = qobject_cast<PRNTVIEW*>(control.WindowParent);
    ASSERT_TRUE(host);
    EXPECT_EQ(request.ViewhWnd(), host.data());
    EXPECT_EQ(host->windowTitle(), "Criteria - View ");
    EXPECT_TRUE(host->isVisible());
    ASSERT_TRUE(host->preview());
    host->resize(640, 480);
    EXPECT_EQ(host->preview()->geometry(), host->rect()) << "the preview fills its host";
    bool waiting = false;
    QTimer::singleShot(0, [&] {
        waiting = true;
        host->preview()->close();
    });
    WaitForReportView(criteriaOf(criteria), "DO_NOT_UNLOAD");
    EXPECT_TRUE(waiting) << "the wait handled events until the preview closed";
    waitUntil([&] { return host.isNull(); });
    EXPECT_TRUE(host.isNull()) << "an empty host closes";
    EXPECT_TRUE(criteria.isVisible()) << "DO_NOT_UNLOAD keeps the form";
    EXPECT_FALSE(criteria.isEnabled());

    // To the printer there is no preview to wait for; the form closes.
    criteria.POUTPUT[0]->setChecked(true);
    ASSERT_TRUE(RunReportControl(control, criteriaOf(criteria)));
    WaitForReportView(criteriaOf(criteria), "");
    EXPECT_FALSE(criteria.isVisible());
    EXPECT_EQ(request.Status(), 0);
}

} // namespace
