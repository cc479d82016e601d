// The report engine as the print run and Print Record drive it: open a report file, point its
// tables at the report database, set formulas and a sort, then preview or print. The real one
// works through the report layer; tests put a recording one in its place.
#pragma once

#include "platform/report/layout.h"
#include "platform/report/report.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace report {
class Document;
}

namespace printing {

class ReportEngine {
public:
    virtual ~ReportEngine() = default;
    // Opens a report file of the program folder by its name; throws report::ReportError.
    virtual void open(const QString& reportFile) = 0;
    virtual void setTableLocation(int table, const QString& databasePath) = 0;
    virtual void setFormula(const QString& name, const QString& text) = 0;
    virtual void addSortField(const QString& field) = 0;
    // Reads the report's rows and shows them in a preview window; throws report::ReportError.
    virtual void preview() = 0;
    // The same, the preview made a child of host (a preview host window that fits it to itself).
    virtual void previewIn(QWidget* host) = 0;
    // Reads the report's rows and prints them; false when the user chose not to print after all
    // (no printer, and no PDF file wanted). Throws report::ReportError.
    virtual bool print(int copies) = 0;
    // What a print names its job and the PDF file it offers (without ".pdf"); by default the
    // report's title.
    virtual void setDocumentName(const QString& name) { documentName_ = name; }
    const QString& documentName() const { return documentName_; }

private:
    QString documentName_;
};

// The engine over the report layer. Previews open as child windows of previewParent (an MDI area
// gets them as its windows); dialogs and messages belong to dialogParent.
class ReportPrinter : public ReportEngine {
public:
    explicit ReportPrinter(QWidget* previewParent);
    ~ReportPrinter() override;

    void open(const QString& reportFile) override;
    void setTableLocation(int table, const QString& databasePath) override;
    void setFormula(const QString& name, const QString& text) override;
    void addSortField(const QString& field) override;
    void preview() override;
    void previewIn(QWidget* host) override;
    bool print(int copies) override;

private:
    report::Report& report();
    // The report's rows, read with the hourglass.
    std::shared_ptr<const report::Document> read();
    QPointer<QWidget> previewParent_;
    std::optional<report::Report> report_;
};

// Prints doc on the application's printer with copies; with no printer installed, says so and
// offers to save it as a PDF file instead, named name (the report's title when empty). False when
// nothing was printed or saved because the user said no. Throws report::ReportError when the
// printer or the file fails.
bool printOrSavePdf(const report::Document& doc, int copies, QWidget* parent,
                    const QString& name = QString());
// The same for pages laid out before (the manual); title names the print job and the PDF file.
bool printOrSavePdf(const QVector<report::Page>& pages, const QString& title, int copies, QWidget* parent);

} // namespace printing
