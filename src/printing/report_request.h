// Reports asked for by name: the request class dmrsReport opens the criteria form of a report and
// keeps the report parameters; RunReportControl starts a criteria form's report on the printer or
// in a preview host PRNTVIEW, and WaitForReportView waits until that preview is closed.
//
// Window handles are held as pointers that become null when their window goes, not as numbers.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

class QLineEdit;
class QRadioButton;

namespace printing {

class ReportEngine;

// The report control of a criteria form: which report file, the database each of its tables
// reads, the formulas, and where the report goes. Action runs it to its end through the engine.
class ReportControl {
public:
    enum class Destination { Window, Printer };
    enum class JobStatus { NotStarted, Done, Cancelled };

    explicit ReportControl(ReportEngine& engine) : engine_(engine) {}

    QString ReportFileName; // a report file of the program folder, by its bare name
    QStringList DataFiles;  // table n of the report reads DataFiles[n - 1]
    QStringList Formulas;   // "NAME=\"text\""
    int CopiesToPrinter = 1;
    Destination destination = Destination::Printer;
    QPointer<QWidget> WindowParent; // the preview host of a run to the window
    QWidget* HostArea = nullptr;    // where preview hosts open; an MDI area takes them as its windows

    // Runs the report. Throws (report::ReportError, std::exception) when it cannot be started.
    void Action();
    // Done, or Cancelled when the user chose not to print after all (no printer, no PDF wanted).
    JobStatus Status() const { return status_; }

private:
    ReportEngine& engine_;
    JobStatus status_ = JobStatus::NotStarted;
};

// A formula as the control takes it, "NAME=\"text\"", split into the name and the text without
// its quotes. A text without quotes is taken as it stands; no "=" gives an empty text.
struct FormulaAssignment {
    QString name;
    QString text;
    bool operator==(const FormulaAssignment&) const = default;
};
FormulaAssignment splitFormula(const QString& formula);

// The number of copies a copies box asks for: the number its text begins with (blanks before it
// skipped), rounded to the nearest whole number, a half to the even one, then kept within 1 to 999.
int copiesFromText(const QString& text);
constexpr int kMaxCopies = 999;

// What the report procedures use of a criteria form: the form, its options "Printer"
// (POUTPUT(0)) and "Window" (POUTPUT(1)), and its copies box.
struct CriteriaForm {
    QWidget* form = nullptr;
    QRadioButton* printer = nullptr;
    QRadioButton* window = nullptr;
    QLineEdit* copies = nullptr;
};
template <typename Form> CriteriaForm criteriaOf(Form& f) {
    return {&f, f.POUTPUT[0], f.POUTPUT[1], f.COPIES};
}

// The preview host: a bare window whose one child, the preview, fills it. When the preview closes,
// the host closes with it.
class PRNTVIEW : public QWidget {
    Q_OBJECT
public:
    // area: an MDI area shows the host as its window; any other widget owns it as a window of its own.
    explicit PRNTVIEW(QWidget* area = nullptr);
    ~PRNTVIEW() override;

    QWidget* preview() const { return preview_; }
    void showHost();
    void closeHost();

signals:
    void previewGone();

protected:
    void childEvent(QChildEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitPreview();
    QPointer<QWidget> area_;
    QPointer<QWidget> preview_;
};

// Status of the last request: 0, or this when the last report run failed to start.
constexpr long kReportRunFailed = 1;

// Starts the control's report from a criteria form: to the printer with the form's copies, or to
// a new preview host captioned after the form. The form is disabled once the report ran. False
// when it could not start (said in a message box; the form stays enabled and no host is left) or
// was cancelled.
bool RunReportControl(ReportControl& control, const CriteriaForm& form);
// When the form asked for the window, waits (handling events) until the last preview host has
// lost its preview; then closes the form and clears the status, unless mode is "DO_NOT_UNLOAD".
void WaitForReportView(const CriteriaForm& form, const QString& mode);

// Opens the criteria forms a report request asks for; the application provides them.
class ReportForms {
public:
    virtual ~ReportForms() = default;
    // The print options form on the list's search, not modal.
    virtual QWidget* showPrintOptions() = 0;
    // The single-record form, created when needed, not modal.
    virtual QWidget* showSingleRecord() = 0;
};

constexpr int kReportParameters = 21;

// A request for a report by name. Every object shares the parameters and the status.
class dmrsReport {
public:
    explicit dmrsReport(ReportForms& forms);

    // Idx 0 to 20; any other throws std::out_of_range and nothing is read or stored.
    QVariant Parameter(int Idx) const;
    void setParameter(int Idx, const QVariant& NewVal);
    QWidget* CriteriahWnd() const { return criteria_; }
    long Status() const;
    QWidget* ViewhWnd() const;

    // Opens the criteria form of the report named exactly (letter case included) DMRptName:
    // "VKPRTALL", "VKPRTANY" and "VKPRTSUM" the print options form, "VKSINGLE" the single-record
    // form. Any other name opens nothing.
    void Go(const QString& DMRptName);

private:
    ReportForms& forms_;
    QPointer<QWidget> criteria_;
};

} // namespace printing
