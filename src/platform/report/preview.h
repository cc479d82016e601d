// The preview of a report: one page at a time with first, previous, next and last page, zoom,
// print and close. It holds the document it was given (every row read before it opened) and
// where each page begins, and lays out only the page it shows.
#pragma once

#include "platform/report/layout.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace report {

class Document;
class PageView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // Lays out the document once to find where each page begins.
    explicit PreviewWindow(std::shared_ptr<const Document> doc, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    const std::shared_ptr<const Document>& document() const { return doc_; }
    int pageCount() const { return int(starts_.size()); }
    int currentPage() const { return current_; } // from 1; 0 when there is no page
    const Page& page() const { return page_; }
    void showPage(int number); // kept within the first and the last page
    qreal zoom() const { return zoom_; }
    void setZoom(qreal zoom);

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
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateControls();
    void closeWindow();

    std::shared_ptr<const Document> doc_;
    QVector<Paginator::Position> starts_;
    int current_ = 0;
    Page page_;
    qreal zoom_ = 1.0;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
};

// Opens a preview of doc as a child window of parent: a window inside it when parent is an MDI
// area, else a window of its own that parent owns. Deleted when closed.
PreviewWindow* showPreview(std::shared_ptr<const Document> doc, QWidget* parent);

} // namespace report
