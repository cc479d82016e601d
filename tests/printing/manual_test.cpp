// The manual: its lines as the file holds them, its pages, the PDF they make, the manual form's
// run and its failures, and the manual shipped with the program.
#include "printing/manual.h"
#include "printing/manual_form.h"
#include "support/modal_script.h"
#include "support/scripted_msgbox.h"
#include "support/temp_dir.h"

#include "folder_setup/program_folder.h"
#include "platform/files/folders.h"
#include "platform/report/output.h"
#include "platform/ui/cursor.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/printer.h"

#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace printing;
using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

QString pdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList texts(const report::Page& page) {
    QStringList t;
    for (const report::TextRun& r : page.texts)
        t << r.text;
    return t;
}

TEST(ManualLines, EveryLineOfTheFileIsOneLine) {
    const struct {
        QByteArray file;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\n\ntwo\n", {"one", "", "two"}},
        {"one\r\n\r\n", {"one", ""}},
        {"\r\n", {""}},
        {"one\rtwo", {"one", "two"}},
        {"  indented  ", {"  indented  "}},
        {"\xE9t\xE9 \x80 5\xBD", {QString::fromUtf8("été € 5½")}},
        {"\tA\r\nab\tc", {"        A", "ab      c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(manualLines(c.file), c.lines) << c.file.toStdString();
}

TEST(ManualPages, LinesFillPagesInOrderEmptyOnesIncluded) {
    // 10 point DejaVu Sans Mono, 11.64 points apart, on the 684 points of Letter within its margins.
    ASSERT_EQ(manualLinesPerPage(), 58);
    const int per = manualLinesPerPage();
    for (const auto& [lines, pages] :
         std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {58, 1}, {59, 2}, {117, 3}}) {
        QStringList file;
        for (int i = 0; i < lines; ++i)
            file << (i % 2 ? QString() : QStringLiteral("line %1").arg(i));
        const QVector<report::Page> laid = manualPages(file);
        ASSERT_EQ(laid.size(), pages) << lines;
        QStringList all;
        for (const report::Page& p : laid) {
            EXPECT_LE(p.texts.size(), per);
            EXPECT_EQ(p.paper, QSizeF(612, 792));
            all << texts(p);
        }
        EXPECT_EQ(all, file) << "one printed line for each line of the file, empty ones kept";
    }
}

TEST(ManualPages, LinesStandOneBelowTheOtherAndKeepTheirIndent) {
    const QVector<report::Page> pages =
        manualPages({"first", "", "   indented", QString(200, 'x'), "next page?"});
    ASSERT_EQ(pages.size(), 1);
    const QVector<report::TextRun>& t = pages.first().texts;
    ASSERT_EQ(t.size(), 5);
    const qreal spacing = t[1].box.top() - t[0].box.top();
    EXPECT_NEAR(spacing, 11.64, 0.05);
    EXPECT_NEAR(t[0].box.top(), 54, 0.01);
    EXPECT_NEAR(t[4].box.top() - t[0].box.top(), 4 * spacing, 0.01);
    EXPECT_EQ(t[2].text, "   indented");
    EXPECT_TRUE(t[3].text.endsWith("...")) << "too long for the paper: cut short";
    EXPECT_EQ(t[3].text.size(), 83) << "as many of 6.02 points as the 504 points across hold";
    EXPECT_EQ(t[3].font, manualFont()) << "cut short, not made smaller";
}

TEST(ManualPages, ThePdfReadsBackLineByLinePageByPage) {
    QTemporaryDir dir;
    QStringList file = {"VELK USER'S MANUAL", "", "    Caf\u00e9 \u20ac 12"};
    for (int i = 3; i < 60; ++i)
        file << QStringLiteral("Line %1").arg(i);
    const QString pdf = dir.filePath("manual.pdf");
    EXPECT_EQ(report::writePdfPages(manualPages(file), "Manual", pdf), 2);
    const QStringList pages = pdfText(pdf).split('\f');
    ASSERT_GE(pages.size(), 2);
    const QStringList first = pages[0].split('\n');
    ASSERT_GE(first.size(), 3);
    EXPECT_EQ(first[0].trimmed(), "VELK USER'S MANUAL");
    EXPECT_EQ(first[1].trimmed(), "") << "the empty line is kept";
    EXPECT_EQ(first[2].trimmed(), QString::fromUtf8("Café € 12"));
    EXPECT_TRUE(pages[0].contains("Line 57\n"));
    EXPECT_FALSE(pages[0].contains("Line 58"));
    EXPECT_EQ(pages[1].trimmed(), "Line 58\nLine 59");
}

// The manual form in a program folder.
class ManualForm : public testsupport::TempDirTest {
protected:
    void TearDown() override {
        QPrinter& printer = ui::applicationPrinter();
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        ui::setDefaultPointer();
    }
    // Presses OK; the form closes however the run ends.
    bool pressOk() {
        VKMANUAL form(folder());
        EXPECT_EQ(form.windowTitle(), "Print Manual");
        form.OK->click();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.Label2->text(), "Printing Manual...");
        EXPECT_FALSE(ui::hourglassShown());
        return form.printed();
    }
};

TEST_F(ManualForm, AMissingOrEmptyManualIsSaid) {
    {
        ScriptedMsgBoxes boxes;
        boxes.expect("The manual MANUAL.TXT cannot be found in the program folder " + folder() +
                         ", so nothing was printed.",
                     ui::vbOK);
        EXPECT_FALSE(pressOk());
    }
    testsupport::writeFile(path("manual.txt"), ""); // found whatever its case
    ScriptedMsgBoxes boxes;
    boxes.expect("The manual MANUAL.TXT is empty, so nothing was printed.", ui::vbOK);
    EXPECT_FALSE(pressOk());
}

TEST_F(ManualForm, APrinterFailureIsSaid) {
    testsupport::writeFile(path("MANUAL.TXT"), "one line\r\n");
    QPrinter& printer = ui::applicationPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("no such folder/out.pdf"));
    ScriptedMsgBoxes boxes;
    boxes.expectContaining("The manual could not be printed.\n\nThe file " + path("no such folder/out.pdf"),
                           ui::vbOK);
    EXPECT_FALSE(pressOk());
}

TEST_F(ManualForm, ThePrinterGetsTheWholeManualInOneJob) {
    testsupport::writeFile(path("MANUAL.TXT"), "Page one\r\n\r\nlast\r\n");
    QPrinter& printer = ui::applicationPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("printed.pdf"));
    ScriptedMsgBoxes none;
    EXPECT_TRUE(pressOk());
    printer.setOutputFileName(QString());
    const QString text = pdfText(path("printed.pdf"));
    EXPECT_TRUE(text.startsWith("Page one\n\n")) << text.toStdString();
    EXPECT_EQ(text.count('\f'), 1) << "one page";
}

TEST_F(ManualForm, WithoutAPrinterTheManualCanBeSavedAsPdf) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed here";
    testsupport::writeFile(path("MANUAL.TXT"), "VELK\r\n");
    const QString pdf = path("manual.pdf");
    ScriptedMsgBoxes boxes;
    boxes.expect("No printer is installed. Save the report as a PDF file instead?", ui::vbYes);
    ModalScript dialogs;
    dialogs.expect<QFileDialog>([&](QFileDialog& d) {
        d.selectFile(pdf);
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(pressOk());
    EXPECT_EQ(pdfText(pdf).trimmed(), "VELK");
}

TEST_F(ManualForm, TheShippedManualFitsThePaperLineForLine) {
    ASSERT_TRUE(velk::installProgramFiles(folder()));
    const QByteArray bytes = testsupport::readFile(path("MANUAL.TXT"));
    const QStringList lines = manualLines(bytes);
    ASSERT_GT(lines.size(), 200);
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_LE(lines[i].size(), 80) << "line " << i + 1 << " would be cut short";
    EXPECT_FALSE(bytes.contains('\t'));
    EXPECT_TRUE(lines.first().contains("VELK"));
}

} // namespace
