// VKSINGLE, the form "Print Current Record": prints what the working copy of the report database
// holds, the detail report of the data set, through its report control. It runs once each time it
// is shown: to the printer with one copy, or to a preview when "Window" was chosen before it was
// shown.
#pragma once

#include "printing/report_request.h"

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class VKSINGLE : public QDialog {
    Q_OBJECT
public:
    // previewArea: where the preview host opens (the main window's MDI area).
    VKSINGLE(std::unique_ptr<printing::ReportEngine> engine, QWidget* previewArea, QWidget* parent = nullptr);
    ~VKSINGLE() override;

    std::unique_ptr<printing::ReportControl> Rsreport;
    QGroupBox* Frame3D1 = nullptr;
    QLabel* PLAB = nullptr;
    QRadioButton* POUTPUT[2] = {nullptr, nullptr}; // 0 "Printer", 1 "Window"
    QLabel* LCOPIES = nullptr;
    QLineEdit* COPIES = nullptr;

    void Form_Load();
    void Form_Activate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<printing::ReportEngine> engine_;
};
