// VKEXPORT, the export form "Export Lookup Information": format, sort order and lower case; its OK
// asks for the output file and runs the export of the list's record source.
#pragma once

#include "dataset/data_set.h"
#include "export/export_run.h"
#include "export/file_dialog.h"

#include <QDialog>
#include <QElapsedTimer>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class VKEXPORT : public QDialog, private exporting::ExportProgress {
    Q_OBJECT
public:
    // searchSql: the list's record source (a search, or one record after Export Record);
    // myDocuments: where the save dialog opens; programFolder: where the data set's database lies.
    VKEXPORT(const QString& searchSql, const dataset::DataSet& dataSet, const QString& programFolder,
             const QString& myDocuments, QWidget* parent = nullptr);
    ~VKEXPORT() override;

    QGroupBox* SSFrame1 = nullptr;           // "Export Format"
    std::array<QRadioButton*, 4> EXPTFORM{}; // formats 0 to 3
    QGroupBox* SSFrame2 = nullptr;           // "Sort Export By"
    QRadioButton* NAMEA = nullptr;
    QRadioButton* EXPIRE = nullptr;
    QRadioButton* ZIP = nullptr;
    QCheckBox* LOWERCASE = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* OUTPATH = nullptr;
    QLabel* Label1 = nullptr; // the count message of the run
    QLineEdit* SHOWCOUNT = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QPushButton* Command2 = nullptr; // Cancel

    void Form_Load(); // run by the constructor: sizes and centres the form
    // Runs once per showing: format 0, ".TXT" in OUTPATH.
    void Form_Activate();
    // The export run; the form closes when it ends, except after a cancelled or refused file
    // choice and when the expiry order's working copy cannot be made.
    void Command1_Click();
    void Command2_Click();

    exporting::ExportOptions options() const;
    QString searchSql() const { return searchSql_; }
    // The file dialog, made on the first run and kept for the later ones; null before.
    exporting::Cmdlg* fileDialog() const { return cmdlg_.get(); }
    // How the last run ended; nothing before the first.
    std::optional<exporting::ExportEnd> lastEnd() const { return lastEnd_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void started(long long companies) override;
    void counted(long long count) override;
    // Shows the running count and lets the window paint itself; input waits for the end.
    void showCount();
    void setRunning(bool running);
    // The save dialog opens in the program folder when it is shown next without being set up.
    void restoreProgramFolder();

    QString searchSql_;
    dataset::DataSet dataSet_;
    QString programFolder_;
    QString myDocuments_;
    std::unique_ptr<exporting::Cmdlg> cmdlg_;
    std::optional<exporting::ExportEnd> lastEnd_;
    bool running_ = false;
    QElapsedTimer painted_;
    long long count_ = -1; // the running count, shown at least a few times a second
};
