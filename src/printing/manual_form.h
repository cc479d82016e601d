// VKMANUAL, the form "Print Manual": OK prints the user's manual MANUAL.TXT, Cancel closes the
// form.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class VKMANUAL : public QDialog {
    Q_OBJECT
public:
    explicit VKMANUAL(const QString& programFolder, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr; // status of the run
    QPushButton* OK = nullptr;
    QPushButton* CANCEL = nullptr;

    void OK_Click();
    void CANCEL_Click();

    // Whether the last run printed the manual (or saved it as a PDF file).
    bool printed() const { return printed_; }

private:
    QString programFolder_;
    bool printed_ = false;
};
