// Output: a PDF whose text reads back, printing page by page, and a preview that keeps what it
// was given when the database behind it is overwritten.
#include "platform/report/output.h"
#include "platform/report/preview.h"
#include "report_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <tuple>

using namespace report;
using namespace reporttest;

namespace {

const QByteArray kSummary =
    R"({"title": "Summary", "tables": ["PRIME"], "perPage": 2, "formulas": {"SEARCHNAME": ""},
    "pageHeader": {"height": 30, "items": [
        {"type": "text", "text": "Search: {@SEARCHNAME}", "x": 0, "y": 0, "w": 300, "h": 14},
        {"type": "text", "text": "Page {#page}", "x": 440, "y": 0, "w": 100, "h": 14, "align": "right"},
        {"type": "line", "x": 0, "y": 20, "x2": 540, "y2": 20}]},
    "sections": [{"height": 60, "items": [
        {"type": "field", "field": "NAME1", "x": 0, "y": 0, "w": 300, "h": 14, "font": {"bold": true}},
        {"type": "field", "field": "MOD0", "format": "0.000", "x": 440, "y": 0, "w": 100, "h": 14, "align": "right"}]}]})";

// The text of a PDF as pdftotext reads it, pages separated by form feeds.
QString pdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Output : public ReportTest {
protected:
    std::shared_ptr<const Document> summary() const {
        Report r = reportOf(kSummary);
        r.setFormula("SEARCHNAME", R"(Bob's "big" search)");
        return r.read();
    }
};

TEST_F(Output, PdfTextReadsBack) {
    add({"F1", "ACME TOOL CO", {}, {}, 0.95});
    add({"F2", "BETA WORKS", {}, {}, 1.234});
    add({"F3", "GAMMA & SONS", {}, {}, {}});
    const QString file = path("out.pdf");
    EXPECT_EQ(writePdf(*summary(), file), 2);
    const QStringList pages = pdfText(file).split('\f');
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(R"(Search: Bob's "big" search)")) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains("Page 1"));
    EXPECT_TRUE(pages[0].contains(QRegularExpression("ACME TOOL CO +0\\.950")));
    EXPECT_TRUE(pages[0].contains(QRegularExpression("BETA WORKS +1\\.234")));
    EXPECT_TRUE(pages[1].contains("GAMMA & SONS"));
    EXPECT_TRUE(pages[1].contains("Page 2"));
    EXPECT_FALSE(pages[1].contains("ACME"));
}

TEST_F(Output, NoRecordsWritesNoFile) {
    const QString file = path("empty.pdf");
    EXPECT_EQ(writePdf(*summary(), file), 0);
    EXPECT_FALSE(QFile::exists(file));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("printed.pdf"));
    EXPECT_EQ(printDocument(*summary(), printer), 0);
    EXPECT_FALSE(QFile::exists(path("printed.pdf")));
}

// Stopped on its way, an output leaves the file it would have replaced as it was.
TEST_F(Output, AStoppedOutputLeavesTheEarlierFile) {
    addMany(5);
    const QString file = path("out.pdf");
    testsupport::writeFile(file, "earlier");
    int told = 0;
    EXPECT_THROW(writePdf(*summary(), file,
                          [&](int pages, qreal done) {
                              EXPECT_EQ(pages, ++told);
                              EXPECT_DOUBLE_EQ(done, pages == 1 ? 2 / 5.0 : 4 / 5.0);
                              return pages < 2;
                          }),
                 OutputCancelled);
    EXPECT_EQ(told, 2);
    EXPECT_EQ(testsupport::readFile(file), "earlier");
    EXPECT_EQ(QDir(folder()).entryList({"*out.pdf*"}, QDir::Files | QDir::Hidden), QStringList{"out.pdf"});
}

TEST_F(Output, PdfInAFolderThatIsNotThereFails) {
    add({"F1", "ACME"});
    EXPECT_THROW(writePdf(*summary(), path("no/such/folder/out.pdf")), ReportError);
}

TEST_F(Output, PrinterGetsEveryPage) {
    addMany(5);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("printed.pdf"));
    EXPECT_EQ(printDocument(*summary(), printer), 3);
    const QString text = pdfText(path("printed.pdf"));
    EXPECT_EQ(text.count('\f'), 3);
    EXPECT_TRUE(text.contains("EMPLOYER 4"));
}

TEST_F(Output, PreviewKeepsItsPagesWhenTheDatabaseIsOverwritten) {
    add({"F1", "ACME TOOL CO"});
    add({"F2", "BETA WORKS"});
    add({"F3", "GAMMA & SONS"});
    PreviewWindow preview(summary());
    ASSERT_EQ(preview.pageCount(), 2);
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_EQ(preview.pageLabel->text(), "Page 1 of 2");
    EXPECT_FALSE(preview.previousButton->isEnabled());
    const QStringList first = textsOf(preview.page());

    // A later run replaces the database whole.
    QFile::remove(dbPath);
    makeDatabase(dbPath);
    add({"X1", "SOMEONE ELSE"});

    preview.lastButton->click();
    EXPECT_EQ(preview.currentPage(), 2);
    EXPECT_TRUE(textsOf(preview.page()).contains("GAMMA & SONS"));
    EXPECT_FALSE(preview.nextButton->isEnabled());
    preview.firstButton->click();
    EXPECT_EQ(textsOf(preview.page()), first);
    preview.nextButton->click();
    preview.previousButton->click();
    EXPECT_EQ(preview.currentPage(), 1);
    preview.showPage(99);
    EXPECT_EQ(preview.currentPage(), 2);
}

TEST_F(Output, PreviewsAreChildWindowsOfTheirParent) {
    add({"F1", "ACME"});
    QMdiArea area;
    PreviewWindow* a = showPreview(summary(), &area);
    PreviewWindow* b = showPreview(summary(), &area);
    EXPECT_EQ(area.subWindowList().size(), 2);
    bool printed = false;
    QObject::connect(a, &PreviewWindow::printRequested, [&] { printed = true; });
    a->printButton->click();
    EXPECT_TRUE(printed);
    a->closeButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(area.subWindowList().first()->widget(), b);

    QWidget window;
    PreviewWindow* c = showPreview(summary(), &window);
    EXPECT_EQ(c->parentWidget(), &window);
    EXPECT_TRUE(c->isWindow());
}

TEST_F(Output, PreviewBarHoldsStillAndPageKeysPageFromTheZoomBox) {
    addMany(30); // 15 pages: "Page 1 of 15" is narrower than "Page 15 of 15"
    PreviewWindow preview(summary());
    preview.resize(900, 700);
    preview.show();
    const auto bar = [&preview] {
        QCoreApplication::processEvents();
        QList<QRect> r;
        for (QWidget* w : std::initializer_list<QWidget*>{preview.nextButton, preview.lastButton,
                                                          preview.zoomBox, preview.printButton})
            r << QRect(w->mapTo(&preview, QPoint()), w->size());
        return r;
    };
    const QList<QRect> first = bar();
    for (int page : {9, 10, 15}) {
        preview.showPage(page);
        EXPECT_EQ(bar(), first) << "page " << page;
    }
    // Opens on the whole page; the zoom box keeps the keyboard after a choice from it.
    EXPECT_EQ(preview.fit(), PreviewWindow::Fit::WholePage);
    preview.zoomBox->setFocus();
    preview.zoomBox->setCurrentIndex(preview.zoomBox->findText("100%"));
    preview.showPage(1);
    for (auto [key, modifiers, page] :
         {std::tuple{Qt::Key_PageDown, Qt::NoModifier, 2}, std::tuple{Qt::Key_End, Qt::ControlModifier, 15},
          std::tuple{Qt::Key_PageUp, Qt::NoModifier, 14}, std::tuple{Qt::Key_Home, Qt::ControlModifier, 1}}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(preview.zoomBox, &press);
        EXPECT_EQ(preview.currentPage(), page);
        EXPECT_EQ(preview.zoomBox->currentText(), "100%");
    }
}

TEST_F(Output, ClosingAPreviewBringsBackThePreviewBeforeIt) {
    add({"F1", "ACME"});
    QMdiArea area;
    QMdiSubWindow* list = area.addSubWindow(new QLineEdit);
    area.resize(800, 600);
    area.show();
    list->showMaximized();
    PreviewWindow* a = showPreview(summary(), &area);
    showPreview(summary(), &area)->closeButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ASSERT_NE(area.activeSubWindow(), nullptr);
    EXPECT_EQ(area.activeSubWindow()->widget(), a) << "not left behind the list";
}

// Opened from a dialog over the list, the preview must come up in front of the list: the area's
// active window and the keyboard, which the main window gives back once the dialog is gone.
TEST_F(Output, PreviewOpensInFrontOfTheWindowThatHadTheKeyboard) {
    add({"F1", "ACME"});
    QMdiArea area;
    auto* box = new QLineEdit;
    QMdiSubWindow* list = area.addSubWindow(box);
    area.show();
    list->showMaximized();
    box->setFocus();
    PreviewWindow* preview = showPreview(summary(), &area);
    ASSERT_NE(area.activeSubWindow(), nullptr);
    EXPECT_EQ(area.activeSubWindow()->widget(), preview);
    EXPECT_TRUE(preview->isAncestorOf(area.focusWidget()) || area.focusWidget() == preview);
}

} // namespace
