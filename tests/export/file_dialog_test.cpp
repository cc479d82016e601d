// The file dialog class: its settings reach Qt's file dialog, its answers come back as the
// properties its users read.
#include "export/file_dialog.h"

#include "support/modal_script.h"
#include "support/temp_dir.h"

#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

using exporting::Cmdlg;
using testsupport::ModalScript;

const QChar kNul(0);

TEST(FileDialogRules, FilterPairsBecomeNameFiltersMatchingEveryNameForStarDotStar) {
    const QString filter = "All Files (*.*)" + QString(kNul) + "*.*" + kNul + "CSV / Excel (*.csv)" + kNul +
                           "*.csv" + kNul + "Text (*.txt;*.prn)" + kNul + "*.txt;*.prn" + kNul + kNul;
    EXPECT_EQ(exporting::nameFilters(filter),
              QStringList({"All Files (*.*) (*)", "CSV / Excel (*.csv) (*.csv)",
                           "Text (*.txt;*.prn) (*.txt *.prn)"}));
    EXPECT_EQ(exporting::nameFilters(QString()), QStringList());
}

TEST(FileDialogRules, TheDefaultExtensionIsOfferedAsAPlainSuffix) {
    const std::pair<const char*, const char*> cases[] = {
        {"*.csv", "csv"}, {".txt", "txt"}, {"csv", "csv"}, {"", ""}, {"*.*", ""}};
    for (const auto& [given, suffix] : cases)
        EXPECT_EQ(exporting::plainSuffix(given), suffix) << given;
}

TEST(FileDialogRules, TrimNullCutsAtTheFirstNul) {
    EXPECT_EQ(Cmdlg::TrimNull("C:/DATA/LIST.TXT"), "C:/DATA/LIST.TXT");
    EXPECT_EQ(Cmdlg::TrimNull(QString(kNul) + "X"), "");
    EXPECT_EQ(Cmdlg::TrimNull("AB" + QString(kNul) + "CD" + kNul), "AB");
}

TEST(FileDialogRules, FilterIndexZeroAndSmallBuffersAreRaised) {
    Cmdlg c;
    EXPECT_EQ(c.FilterIndex(), 1);
    c.setFilterIndex(0);
    EXPECT_EQ(c.FilterIndex(), 1);
    c.setFilterIndex(3);
    EXPECT_EQ(c.FilterIndex(), 3);
    EXPECT_EQ(c.MaxFileSize(), 2048);
    c.setMaxFileSize(100);
    EXPECT_EQ(c.MaxFileSize(), 1024);
}

class FileDialogShow : public testsupport::TempDirTest {
protected:
    Cmdlg exportDialog() {
        Cmdlg c;
        c.DialogTitle = "Save VELK Export";
        c.InitDir = folder();
        c.Filter = "All Files (*.*)" + QString(kNul) + "*.*" + kNul + "Text Files (*.txt)" + kNul + "*.txt" +
                   kNul + kNul;
        c.setFilterIndex(2);
        c.DefaultExtension = ".txt";
        c.FileName = "EXPORT.TXT";
        return c;
    }
    ModalScript modals;
};

TEST_F(FileDialogShow, SaveOpensWithTheSettingsAndReturnsTheChosenFile) {
    Cmdlg c = exportDialog();
    modals.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Save VELK Export");
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d.directory().absolutePath(), QDir(folder()).absolutePath());
        EXPECT_EQ(d.selectedNameFilter(), "Text Files (*.txt)") << "shown without the added pattern";
        EXPECT_EQ(d.defaultSuffix(), "txt");
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite)) << "the export asks itself";
        EXPECT_EQ(d.selectedFiles(), QStringList({path("EXPORT.TXT")}));
        d.selectFile(path("LIST"));
        return int(QDialog::Accepted);
    });
    c.ShowSave();
    EXPECT_FALSE(c.CancelPressed());
    EXPECT_EQ(c.FileName, path("LIST.txt"));
    EXPECT_EQ(c.Filetitle, "LIST.txt");
    EXPECT_EQ(c.FileExtension(), "txt");
    EXPECT_FALSE(c.MultiSelect());
}

TEST_F(FileDialogShow, CancelLeavesNoFileAndLosesTheProposedName) {
    Cmdlg c = exportDialog();
    modals.expect<QFileDialog>([](QFileDialog&) { return int(QDialog::Rejected); });
    c.ShowSave();
    EXPECT_TRUE(c.CancelPressed());
    EXPECT_EQ(c.FileName, "");
    EXPECT_EQ(c.Filetitle, "");
    EXPECT_EQ(c.FileExtension(), "");

    // The next show proposes nothing unless told, and sets CancelPressed anew.
    modals.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_FALSE(d.selectedFiles().value(0).endsWith("EXPORT.TXT"));
        d.selectFile(path("LIST.TXT"));
        return int(QDialog::Accepted);
    });
    c.ShowSave();
    EXPECT_FALSE(c.CancelPressed());
    EXPECT_EQ(c.FileExtension(), "TXT");
}

TEST_F(FileDialogShow, OpenWithMultipleSelectionGivesTheFolderAndEachName) {
    testsupport::writeFile(path("A.TXT"), "a");
    testsupport::writeFile(path("B.TXT"), "b");
    Cmdlg c;
    c.InitDir = folder();
    c.Flags = Cmdlg::OFN_ALLOWMULTISELECT;
    modals.expect<QFileDialog>([&](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(d.nameFilters(), QStringList({"All Files (*.*) (*)"}));
        d.selectFile("\"A.TXT\" \"B.TXT\"");
        return int(QDialog::Accepted);
    });
    c.ShowOpen();
    EXPECT_TRUE(c.MultiSelect());
    EXPECT_EQ(c.FileName, QDir(folder()).absolutePath() + kNul + "A.TXT" + kNul + "B.TXT" + kNul);
    EXPECT_EQ(c.FileExtension(), "");
}

} // namespace
