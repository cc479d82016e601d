// The engine over the report layer: previews as child windows, and printing without a printer
// offering a PDF file instead.
#include "printing/print_run.h"
#include "printing/report_engine.h"
#include "printing/report_request.h"
#include "printing/single_record_form.h"
#include "printing_fixture.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"

#include "folder_setup/program_folder.h"
#include "loading/state_schema.h"
#include "platform/report/preview.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRadioButton>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace printing;
using namespace printingtest;
using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

const QString kNoPrinter = "No printer is installed. Save the report as a PDF file instead?";

class Engine : public PrintingTest {
protected:
    void SetUp() override {
        PrintingTest::SetUp();
        ASSERT_TRUE(velk::installProgramFiles(folder()));
        makeState("PA");
        addEmployer({{"FILE", "1234567"}, {"SEQUENCE", "01"}, {"NAME1", "ACME TOOL CO"}, {"Omit", " "}});
        addEmployer({{"FILE", "1234568"}, {"SEQUENCE", "01"}, {"NAME1", "BETA WORKS"}, {"Omit", " "}});
    }
    // Fills the working copy through the print run, with this engine.
    bool run(ReportEngine& engine, PrintFormat format, bool toWindow) {
        struct : PrintProgress {
            void gathering(long long) override {}
            void written(long long) override {}
        } quiet;
        return runPrint({format, PrintSort::Name, toWindow, 1}, {"SELECT * FROM PRIME", "Test search", 2},
                        dataSet, folder(), engine, quiet);
    }
    static QString pdfText(const QString& file) {
        QProcess p;
        p.start("pdftotext", {"-layout", file, "-"});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

TEST_F(Engine, PreviewOpensInsideTheMainWindowsArea) {
    QMdiArea area;
    ReportPrinter engine(&area);
    EXPECT_TRUE(run(engine, PrintFormat::Summary, true));
    EXPECT_TRUE(run(engine, PrintFormat::LaserLabels, true));
    ASSERT_EQ(area.subWindowList().size(), 2); // as many as the user opens
    auto* preview = qobject_cast<report::PreviewWindow*>(area.subWindowList().first()->widget());
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->pageCount(), 1);
    QStringList texts;
    for (const report::TextRun& t : preview->page().texts)
        texts.append(t.text);
    EXPECT_TRUE(texts.contains("Search: Test search"));
    EXPECT_TRUE(texts.contains("ACME TOOL CO"));
}

TEST_F(Engine, WithoutAPrinterTheReportCanBeSavedAsPdf) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed here";
    QWidget window;
    ReportPrinter engine(&window);
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(kNoPrinter, ui::vbNo);
        EXPECT_FALSE(run(engine, PrintFormat::Summary, false)); // nothing printed, and no failure either
    }
    const QString file = path("summary.pdf");
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(kNoPrinter, ui::vbYes);
        ModalScript dialogs;
        dialogs.expect<QFileDialog>([&](QFileDialog& d) {
            EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
            d.selectFile(file);
            return int(QDialog::Accepted);
        });
        EXPECT_TRUE(run(engine, PrintFormat::Summary, false));
    }
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains("Search: Test search")) << text.toStdString();
    EXPECT_TRUE(text.contains("BETA WORKS"));
    {
        // A cancelled file dialog saves nothing.
        ScriptedMsgBoxes boxes;
        boxes.expect(kNoPrinter, ui::vbYes);
        ModalScript dialogs;
        dialogs.expect<QFileDialog>([](QFileDialog&) { return int(QDialog::Rejected); });
        EXPECT_FALSE(run(engine, PrintFormat::LaserLabels, false));
    }
}

TEST_F(Engine, ThePrinterGetsTheCopies) {
    // A printer whose set-up sends its output to a file: printed there, no question asked.
    QPrinter& printer = ui::applicationPrinter();
    const QString file = path("printed.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    QWidget window;
    ReportPrinter engine(&window);
    ScriptedMsgBoxes noBoxes;
    struct : PrintProgress {
        void gathering(long long) override {}
        void written(long long) override {}
    } quiet;
    EXPECT_TRUE(runPrint({PrintFormat::Detail, PrintSort::Name, false, 3}, {"SELECT * FROM PRIME", "Test", 2},
                         dataSet, folder(), engine, quiet));
    printer.setOutputFileName(QString());
    const QString text = pdfText(file);
    EXPECT_EQ(text.count('\f'), 6); // a file makes no copies: three of the page per employer
    EXPECT_EQ(text.count("ACME TOOL CO"), 3);
}

// The file chosen once in Printer Setup: every print asks before replacing it, a print that fails
// on the way (a full disk, here a limit on file size) leaves it whole, and what is not a file is
// refused without waiting on it.
TEST_F(Engine, APdfFileIsReplacedOnlyWhenTheUserSaysSoAndOnlyWhole) {
    QPrinter& printer = ui::applicationPrinter();
    const QString file = path("report.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    const QByteArray earlier = "%PDF-1.4 the 279 pages printed before";
    testsupport::writeFile(file, earlier);
    QWidget window;
    ReportPrinter engine(&window);
    const QString replace = "The file " + file + " already exists.\n\nReplace it with this report?";
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(replace, ui::vbNo, "Replace Existing File");
        EXPECT_FALSE(run(engine, PrintFormat::Detail, false));
    }
    EXPECT_EQ(testsupport::readFile(file), earlier);
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(replace, ui::vbYes, "Replace Existing File");
        boxes.expectContaining("could not be written whole (is the disk full?)", ui::vbOK);
        // The disk fills while the report is written.
        struct DiskFull : ReportPrinter {
            using ReportPrinter::ReportPrinter;
            bool print(int copies) override {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                const rlimit full{4096, limit.rlim_max};
                ::setrlimit(RLIMIT_FSIZE, &full);
                const std::shared_ptr<void> restore(nullptr,
                                                    [&](void*) { ::setrlimit(RLIMIT_FSIZE, &limit); });
                return ReportPrinter::print(copies);
            }
        } full(&window);
        EXPECT_FALSE(run(full, PrintFormat::Detail, false));
    }
    EXPECT_EQ(testsupport::readFile(file), earlier);
    EXPECT_EQ(QDir(folder()).entryList({"*report.pdf*"}, QDir::Files | QDir::Hidden),
              QStringList{"report.pdf"});
    {
        ScriptedMsgBoxes boxes;
        boxes.expect(replace, ui::vbYes, "Replace Existing File");
        EXPECT_TRUE(run(engine, PrintFormat::Detail, false));
    }
    EXPECT_TRUE(pdfText(file).contains("BETA WORKS"));

    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.pdf")).constData(), 0600), 0);
    QDir(folder()).mkdir("folder.pdf");
    for (const auto& [name, kind] : {std::pair{"pipe.pdf", "a named pipe"}, {"folder.pdf", "a folder"}}) {
        printer.setOutputFileName(path(name));
        ScriptedMsgBoxes boxes;
        boxes.expectContaining(path(name) + ": it is " + kind + ", not a file.", ui::vbOK);
        EXPECT_FALSE(run(engine, PrintFormat::Summary, false));
    }
    printer.setOutputFileName(QString());
}

TEST_F(Engine, AMissingReportFileIsNamed) {
    QFile::remove(path("VKLABELS.RPT"));
    QWidget window;
    ReportPrinter engine(&window);
    ScriptedMsgBoxes boxes;
    boxes.expect(
        "The Report File (VKLABELS.RPT) Is Missing or Not Loading\n\nThe report file VKLABELS.RPT is not "
        "in the program folder " +
            folder() + ".",
        ui::vbOK);
    EXPECT_FALSE(run(engine, PrintFormat::DotMatrixLabels, true));
}

} // namespace

namespace {

TEST_F(Engine, ThePreviewHostHoldsTheReportsPreviewAndClosesWithIt) {
    QMdiArea area;
    area.resize(1000, 800);
    ReportPrinter filler(&area);
    ASSERT_TRUE(run(filler, PrintFormat::Summary, true)); // fills the working copy
    area.closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QPointer<VKSINGLE> form = new VKSINGLE(std::make_unique<ReportPrinter>(&area), &area);
    form->POUTPUT[1]->setChecked(true);
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QMdiSubWindow* sub : area.subWindowList()) {
            auto* host = qobject_cast<PRNTVIEW*>(sub->widget());
            auto* preview = host ? qobject_cast<report::PreviewWindow*>(host->preview()) : nullptr;
            if (!preview || seen) continue;
            seen = true;
            EXPECT_EQ(host->windowTitle(), "Print Current Record - View ");
            EXPECT_EQ(preview->geometry(), host->rect());
            EXPECT_EQ(preview->pageCount(), 2) << "one detail page for each employer";
            EXPECT_FALSE(form->isEnabled()) << "the form waits for its preview";
            preview->closeButton->click();
        }
    });
    poll.start(10);
    ScriptedMsgBoxes none;
    form->show();
    for (int i = 0; i < 500 && form; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(seen);
    EXPECT_TRUE(form.isNull()) << "the form closes once its preview is closed";
    EXPECT_TRUE(area.subWindowList().isEmpty()) << "the emptied host closed with its preview";
}

} // namespace
