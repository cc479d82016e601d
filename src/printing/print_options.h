// VKPRINT, the print options form "Print Lookup Information": format, sort, printer or window,
// copies and printer set-up; its OK runs the print run on the search of the list's current tab.
#pragma once

#include "dataset/data_set.h"
#include "printing/print_run.h"

#include <QDialog>
#include <QElapsedTimer>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace printing {
class ReportEngine;
}

class VKPRINT : public QDialog, private printing::PrintProgress {
    Q_OBJECT
public:
    // search: what the list's current tab shows; engine: previews and prints the report.
    VKPRINT(const printing::SearchToPrint& search, const dataset::DataSet& dataSet,
            const QString& programFolder, printing::ReportEngine& engine, QWidget* parent = nullptr);
    ~VKPRINT() override;

    QGroupBox* SSFrame1 = nullptr;
    QRadioButton* FULL = nullptr;
    QRadioButton* SUMMARY = nullptr;
    QRadioButton* LASERLABEL = nullptr;
    QRadioButton* DOTLABEL = nullptr;
    QGroupBox* SSFrame2 = nullptr;
    QRadioButton* NAME1 = nullptr;
    QRadioButton* EXPIRE = nullptr;
    QRadioButton* ZIP = nullptr;
    QGroupBox* Frame3D1 = nullptr;
    QLabel* PLAB = nullptr;
    QRadioButton* POUTPUT[2] = {nullptr, nullptr}; // 0 "Printer", 1 "Window"
    QLabel* LCOPIES = nullptr;
    QLineEdit* COPIES = nullptr;
    QPushButton* SETUPCMD = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* SHOWCOUNT = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QPushButton* Command2 = nullptr; // Cancel

    // Runs the activation and shows the form modally; it is closed at the end of every run.
    int showModal();

    void Form_Load();
    void Form_Activate();
    void POUTPUT_Click(int Index);
    void SETUPCMD_Click();
    void Command1_Click();
    void Command2_Click();

    // The options as the controls hold them.
    printing::PrintRequest request() const;
    // Whether the last run printed or showed its report.
    bool printed() const { return printed_; }

protected:
    // Refused while a run is going on, as Cancel is.
    void closeEvent(QCloseEvent* event) override;

private:
    void gathering(long long total) override;
    void written(long long count) override;
    void gathered(long long count) override;
    void showCount(long long count);

    printing::SearchToPrint search_;
    dataset::DataSet dataSet_;
    QString programFolder_;
    printing::ReportEngine& engine_;
    bool printed_ = false;
    // A run turns the event loop to keep every window painted, and the window system's close
    // still comes through it: closed then, the form (and the engine it drives) would be gone
    // under the run.
    bool running_ = false;
    static constexpr int kPaintMs = 100;
    QElapsedTimer painted_; // since the count was last shown
};
