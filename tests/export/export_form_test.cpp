// The export form: its controls, the save dialog it sets up for each format, the replace question,
// and how each end of the run leaves the form.
#include "export_fixture.h"

#include "export/export_form.h"
#include "platform/ui/cursor.h"
#include "support/modal_script.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using exporttest::ExportFixture;
using testsupport::ModalScript;

class ExportForm : public ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        makeDataSet("PA");
        QDir().mkpath(path("Documents"));
        addEmployer("1000001", "01", "ACME TOOL AND DIE CO");
        addEmployer("1000002", "01", "BAKER BROS", {{"Omit", "Y"}});
        addOthers(18);
        form = std::make_unique<VKEXPORT>("SELECT * FROM PRIME WHERE FILE < '2' ORDER BY FILE", dataSet,
                                          programFolder, path("Documents"));
        QObject::connect(form.get(), &QDialog::finished, [this] { ++closed; });
        form->Form_Activate();
    }
    // The save dialog answers with file (a path), or is cancelled when file is empty.
    void chooseFile(const QString& file) {
        modals.expect<QFileDialog>([file](QFileDialog& d) {
            if (file.isEmpty()) return int(QDialog::Rejected);
            d.selectFile(file);
            return int(QDialog::Accepted);
        });
    }

    std::unique_ptr<VKEXPORT> form;
    int closed = 0;
    ModalScript modals;
};

TEST_F(ExportForm, ShowsItsControlsAndStartsOnTheFirstFormat) {
    EXPECT_EQ(form->windowTitle(), "Export Lookup Information");
    EXPECT_EQ(form->SSFrame1->title(), "Export Format");
    EXPECT_EQ(form->EXPTFORM[3]->text(), "Comma delimited, limited fields (MS-Word, etc.)");
    EXPECT_EQ(form->SSFrame2->title(), "Sort Export By");
    EXPECT_TRUE(form->EXPTFORM[0]->isChecked());
    EXPECT_TRUE(form->NAMEA->isChecked());
    EXPECT_FALSE(form->LOWERCASE->isChecked());
    EXPECT_EQ(form->OUTPATH->text(), ".TXT");
    EXPECT_EQ(form->Label2->text(), "Enter path and file name for output below:");

    form->EXPTFORM[2]->setChecked(true);
    form->ZIP->setChecked(true);
    form->Form_Activate(); // a new showing: format 0 again, the sort kept
    EXPECT_TRUE(form->EXPTFORM[0]->isChecked());
    EXPECT_TRUE(form->ZIP->isChecked());
}

TEST_F(ExportForm, TheSaveDialogProposesANameFilterAndSuffixByFormat) {
    struct Case {
        int format;
        const char* name;
        const char* filter;
        const char* suffix;
    };
    const Case cases[] = {{0, "EXPORT.CSV", "CSV / Excel (*.csv)", "csv"},
                          {1, "EXPORT.TXT", "Text Files (*.txt)", "txt"},
                          {2, "EXPORT.TXT", "Text Files (*.txt)", "txt"},
                          {3, "EXPORT.CSV", "CSV / Excel (*.csv)", "csv"}};
    for (const Case& c : cases) {
        form->EXPTFORM[size_t(c.format)]->setChecked(true);
        modals.expect<QFileDialog>([&](QFileDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Save VELK Export");
            EXPECT_EQ(d.directory().absolutePath(), path("Documents"));
            EXPECT_EQ(d.nameFilters(), QStringList({"All Files (*.*) (*)", "CSV / Excel (*.csv) (*.csv)",
                                                    "Text Files (*.txt) (*.txt)"}));
            EXPECT_EQ(d.selectedNameFilter(), c.filter) << c.format;
            EXPECT_EQ(d.defaultSuffix(), c.suffix);
            EXPECT_EQ(QFileInfo(d.selectedFiles().value(0)).fileName(), c.name);
            EXPECT_EQ(d.parent(), form.get());
            return int(QDialog::Rejected);
        });
        form->Command1_Click();
    }
}

TEST_F(ExportForm, CancellingTheDialogKeepsTheFormOpenAndWritesNothing) {
    chooseFile(QString());
    form->Command1_Click();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(form->OUTPATH->text(), ".TXT");
    EXPECT_EQ(form->fileDialog()->InitDir, programFolder + "/");
    EXPECT_TRUE(outputFiles().isEmpty());
    EXPECT_FALSE(form->lastEnd().has_value());
}

TEST_F(ExportForm, NoToReplaceLeavesTheFileAndTheForm) {
    testsupport::writeFile(target(), "EARLIER");
    chooseFile(target());
    boxes.expect("Replace Existing File?", ui::vbNo, "Replace Existing File");
    form->Command1_Click();
    EXPECT_EQ(boxes.shown().value(0).style, ui::vbYesNo | ui::vbExclamation | ui::vbDefaultButton2);
    EXPECT_EQ(boxes.shown().value(0).style, 308);
    EXPECT_EQ(testsupport::readFile(target()), "EARLIER");
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(form->OUTPATH->text(), target());
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(ExportForm, YesReplacesTheFileShowsTheCountsAndCloses) {
    testsupport::writeFile(target(), "EARLIER");
    EXPECT_TRUE(form->SHOWCOUNT->isHidden()); // no empty box before a run counts
    form->LOWERCASE->setChecked(true);
    form->EXPTFORM[3]->setChecked(true);
    chooseFile(target());
    boxes.expect("Replace Existing File?", ui::vbYes, "Replace Existing File");
    form->Command1_Click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(form->lastEnd(), exporting::ExportEnd::Completed);
    EXPECT_EQ(form->Label1->text(), "Exporting information on 2 companies");
    EXPECT_EQ(form->SHOWCOUNT->text(), "1");
    EXPECT_FALSE(form->SHOWCOUNT->isHidden());
    const QList<QByteArray> lines = linesOf(target());
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("\"EXPIRE4\",\"MOD4\""));
    EXPECT_TRUE(
        lines[1].startsWith("\"1000001-01\",\"Acme Tool And Die Co\",\"\",\"1 Main St\",\"York\",\"PA\","));
    EXPECT_EQ(outputFiles(), QStringList({"EXPORT.CSV"}));
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(ExportForm, ExpiryOrderWithoutTheReportDatabaseKeepsTheFormForAnotherTry) {
    form->EXPIRE->setChecked(true);
    chooseFile(target());
    boxes.expectContaining("VKEXPORT CMD1 CANNOT FIND SYSTEM DIRECTORY!\nREPORT.MDB is missing", ui::vbOK);
    form->Command1_Click();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(form->lastEnd(), exporting::ExportEnd::NoWorkingCopy);
    EXPECT_TRUE(form->Command1->isEnabled());
    EXPECT_TRUE(outputFiles().isEmpty());
    EXPECT_FALSE(ui::hourglassShown());
}

TEST_F(ExportForm, TooMuchDataClosesTheForm) {
    addEmployer("1000003", "01", "CARTER CO"); // three of 21: more than a tenth
    chooseFile(target());
    boxes.expect("YOU ARE EXPORTING TOO MUCH DATA", ui::vbOK);
    form->Command1_Click();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(form->lastEnd(), exporting::ExportEnd::TooMuchData);
    EXPECT_TRUE(outputFiles().isEmpty());
}

} // namespace
