// Print Lookup and Print Record from the running program: the print options form on the selected
// search, previews inside the main window, and Print Record of the list's current record.
#include "commands_fixture.h"

#include "platform/report/preview.h"
#include "printing/print_options.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using testsupport::ModalScript;
using testsupport::ScriptedMsgBoxes;

namespace {

class PrintCommands : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        seed("PA", {"ZETA WORKS", "ACME STEEL", "MIDDLE CO"});
        writeSearch("INITIAL", "SEARCH1.VKD", "First Two's", "001", "002");
        master = start();
        ASSERT_NE(master, nullptr);
        ASSERT_NE(list(), nullptr);
    }
    QVector<report::PreviewWindow*> previews() const {
        QVector<report::PreviewWindow*> out;
        for (QMdiSubWindow* w : master->mdiArea->subWindowList())
            if (auto* p = qobject_cast<report::PreviewWindow*>(w->widget())) out.append(p);
        return out;
    }
    static QStringList texts(const report::PreviewWindow& p) {
        QStringList out;
        for (const report::TextRun& t : p.page().texts)
            out.append(t.text);
        return out;
    }
    QString currentFile() const { return list()->currentRecord()->text("FILE"); }

    MASTER* master = nullptr;
};

TEST_F(PrintCommands, PrintLookupShowsTheSelectedSearchInAWindowOfTheMainWindow) {
    selectTab(1);
    list()->currentRecord()->MoveNext();
    const QString before = currentFile();
    ModalScript modals;
    for (int run = 0; run < 2; ++run)
        modals.expect<VKPRINT>([](VKPRINT& form) {
            form.SUMMARY->setChecked(true);
            form.POUTPUT[1]->setChecked(true);
            form.Command1->click();
            EXPECT_EQ(form.Label1->text(), "Gathering information on 2 companies");
            return form.result();
        });
    master->mnuPrintSearch->trigger();
    master->SSRibbon1[4]->click(); // the Print Lookup button opens a second preview beside the first
    ASSERT_EQ(previews().size(), 2);
    const QStringList page = texts(*previews().first());
    EXPECT_TRUE(page.contains("Search: First Two's"));
    EXPECT_TRUE(page.contains("ACME STEEL"));
    EXPECT_TRUE(page.contains("ZETA WORKS"));
    EXPECT_FALSE(page.contains("MIDDLE CO"));
    // Back to the list, its row where it was.
    EXPECT_TRUE(list()->isVisible());
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_EQ(currentFile(), before);
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(PrintCommands, APreviewFromTheMenuStaysInFrontOfTheList) {
    selectTab(1);
    ModalScript modals;
    modals.expect<VKPRINT>([](VKPRINT& form) {
        form.POUTPUT[1]->setChecked(true);
        form.Command1->click();
        return form.result();
    });
    master->mnuPrintSearch->trigger();
    ASSERT_EQ(previews().size(), 1);
    QMdiSubWindow* active = master->mdiArea->activeSubWindow();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->widget(), previews().first());
    EXPECT_EQ(master->mdiArea->subWindowList(QMdiArea::StackingOrder).last(), active);
}

TEST_F(PrintCommands, PrintRecordWithoutAPrinterOffersAPdfFile) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed here";
    ScriptedMsgBoxes boxes;
    boxes.expect("No printer is installed. Save the report as a PDF file instead?", ui::vbNo);
    list()->PRINTCUR->click();
    EXPECT_EQ(boxes.pending(), 0);
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(PrintCommands, PrintRecordOfARecordGoneFromTheDataSetSaysSo) {
    const QString file = currentFile();
    dao::Database::open(programFile("VELKPA.MDB"), false, false, dataset::defaultConnect("PA"))
        ->executeBound("DELETE FROM PRIME WHERE FILE = ?", {file});
    ScriptedMsgBoxes boxes;
    boxes.expect("This company is no longer in the data set, so nothing was printed.", ui::vbOK);
    list()->PRINTCUR->click();
    EXPECT_EQ(boxes.pending(), 0);
    EXPECT_TRUE(list()->isEnabled());
}

} // namespace
