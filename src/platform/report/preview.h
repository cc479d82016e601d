// The preview of a report: one page at a time with first, previous, next and last page, zoom,
// print and close. It holds the document it was given (every row read before it opened) and
// where each page begins, and lays out only the page it shows. Where the pages begin is found on a
// thread of its own: a long report shows its first page at once and counts the rest while the
// window is in use.
#pragma once

#include "platform/report/layout.h"
#include "platform/report/pages_ahead.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;

namespace report {

class Document;
class PageView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // Starts counting the pages; a report counted within a moment opens with its count whole.
    // Throws ReportError when the document cannot be laid out.
    explicit PreviewWindow(std::shared_ptr<const Document> doc, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    const std::shared_ptr<const Document>& document() const { return doc_; }
    int pageCount() const { return int(starts_.size()); } // so far, while counting
    bool counting() const { return ahead_ != nullptr; }
    // Waits until the pages are counted (or n of them are), the window painted meanwhile.
    void countPages(int n = -1);
    int currentPage() const { return current_; } // from 1; 0 when there is no page
    const Page& page() const { return page_; }
    void showPage(int number); // kept within the first and the last page
    // The scale the page is drawn at (1 = its size in print); with a fit, what the window allows.
    qreal zoom() const;
    void setZoom(qreal zoom);
    // The page made to fit the window, whole or by its width; it follows the window's size.
    enum class Fit { None, WholePage, PageWidth };
    void setFit(Fit fit);
    Fit fit() const { return fit_; }

    QPushButton* firstButton = nullptr;
    QPushButton* previousButton = nullptr;
    QPushButton* nextButton = nullptr;
    QPushButton* lastButton = nullptr;
    QComboBox* zoomBox = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* closeButton = nullptr;
    QLabel* pageLabel = nullptr;

signals:
    // Print was pressed: whoever opened the preview prints document().
    void printRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Closing one of an area's previews brings the preview used before it back to the front.
    void closeEvent(QCloseEvent* event) override;

private:
    void updateControls();
    void closeWindow();
    void selectZoomItem();
    // First, previous, next and last page by PageUp, PageDown, Home and End (with or without Ctrl).
    bool pageKey(const QKeyEvent& event);
    // Takes the page starts laid out so far, waiting for them for up to ms (0: only those ready).
    void takeStarts(int ms);

    std::shared_ptr<const Document> doc_;
    std::unique_ptr<PagesAhead> ahead_; // while counting; goes before the document it reads
    QTimer* counter_ = nullptr;
    QString countFailure_;
    QVector<Paginator::Position> starts_;
    int current_ = 0;
    Page page_;
    qreal zoom_ = 1.0;
    Fit fit_ = Fit::WholePage;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
};

// Opens a preview of doc as a child window of parent: a window inside it when parent is an MDI
// area, else a window of its own that parent owns. Deleted when closed.
PreviewWindow* showPreview(std::shared_ptr<const Document> doc, QWidget* parent);

} // namespace report
