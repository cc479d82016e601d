#include "platform/report/preview.h"

#include "platform/report/output.h"
#include "platform/report/report.h"
#include "platform/ui/cursor.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace report {

namespace {
// Pages counted before the window opens: a report of a few hundred pages opens counted whole.
constexpr int kFirstCountMs = 200;
// How often the count goes on while the window is in use.
constexpr int kCountEveryMs = 30;
} // namespace

// The sheet of paper the current page is drawn on.
class PageView : public QWidget {
public:
    explicit PageView(const PreviewWindow& preview) : preview_(preview) {}

    qreal scale() const { return preview_.zoom() * pointToPixel(); }
    qreal pointToPixel() const { return logicalDpiX() / 72.0; }
    void resizeToPage() {
        const QSizeF paper = preview_.page().paper * scale();
        setFixedSize(paper.toSize() + QSize(2 * kBorder, 2 * kBorder));
    }
    static constexpr int kBorder = 12;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        const QRectF sheet(kBorder, kBorder, width() - 2 * kBorder, height() - 2 * kBorder);
        painter.fillRect(sheet, Qt::white);
        painter.translate(sheet.topLeft());
        if (preview_.currentPage() > 0) paintPage(painter, preview_.page(), scale());
    }

private:
    const PreviewWindow& preview_;
};

PreviewWindow::PreviewWindow(std::shared_ptr<const Document> doc, QWidget* parent)
    : QWidget(parent), doc_(std::move(doc)) {
    const Definition& def = doc_->definition();
    setWindowTitle((def.title.isEmpty() ? def.name : def.title) + QStringLiteral(" - Preview"));
    setAttribute(Qt::WA_DeleteOnClose);

    ahead_ = std::make_unique<PagesAhead>(*doc_, PagesAhead::Keep::Starts);
    takeStarts(kFirstCountMs);
    if (ahead_) {
        counter_ = new QTimer(this);
        connect(counter_, &QTimer::timeout, this, [this] {
            takeStarts(0);
            updateControls();
        });
        counter_->start(kCountEveryMs);
    }
    page_ = Page();
    page_.paper = def.paperSize();

    firstButton = new QPushButton(QStringLiteral("|< First"), this);
    previousButton = new QPushButton(QStringLiteral("< Previous"), this);
    nextButton = new QPushButton(QStringLiteral("Next >"), this);
    lastButton = new QPushButton(QStringLiteral("Last >|"), this);
    pageLabel = new QLabel(this);
    // As wide as its widest text, so the buttons beside it stay put from page to page. Still
    // counting, it makes room for a count of pages beyond the count of records.
    int digits = 1;
    for (int n = counting() ? std::max(pageCount(), doc_->recordCount()) * 10 : pageCount(); n >= 10; n /= 10)
        ++digits;
    int digitWidth = 0;
    for (char d = '0'; d <= '9'; ++d)
        digitWidth = qMax(digitWidth, pageLabel->fontMetrics().horizontalAdvance(QLatin1Char(d)));
    pageLabel->setFixedWidth(qMax(pageLabel->fontMetrics().horizontalAdvance(QStringLiteral("Page  of ...")) +
                                      2 * digits * digitWidth,
                                  pageLabel->fontMetrics().horizontalAdvance(QStringLiteral("No pages"))) +
                             8);
    pageLabel->setAlignment(Qt::AlignCenter);
    zoomBox = new QComboBox(this);
    // The fits by negative numbers: no zoom is taken for one.
    zoomBox->addItem(QStringLiteral("Whole Page"), -int(Fit::WholePage));
    zoomBox->addItem(QStringLiteral("Page Width"), -int(Fit::PageWidth));
    for (int percent : {50, 75, 100, 125, 150, 200})
        zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    zoomBox->setCurrentIndex(0);
    printButton = new QPushButton(QStringLiteral("&Print..."), this);
    closeButton = new QPushButton(QStringLiteral("&Close"), this);
    for (QPushButton* b : {firstButton, previousButton, nextButton, lastButton})
        b->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{firstButton, previousButton, pageLabel, nextButton, lastButton})
        bar->addWidget(w);
    bar->addSpacing(12);
    bar->addWidget(zoomBox);
    bar->addStretch(1);
    bar->addWidget(printButton);
    bar->addWidget(closeButton);

    view_ = new PageView(*this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(firstButton, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(previousButton, &QPushButton::clicked, this, [this] { showPage(current_ - 1); });
    connect(nextButton, &QPushButton::clicked, this, [this] { showPage(current_ + 1); });
    connect(lastButton, &QPushButton::clicked, this, [this] {
        countPages();
        showPage(pageCount());
    });
    connect(zoomBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        const double v = zoomBox->itemData(i).toDouble();
        if (v < 0)
            setFit(Fit(-int(v)));
        else
            setZoom(v);
    });
    // The page keys page wherever the keyboard is in the preview: the zoom box and the scroll area
    // would take them for themselves.
    zoomBox->installEventFilter(this);
    scroll_->installEventFilter(this);
    connect(printButton, &QPushButton::clicked, this, &PreviewWindow::printRequested);
    connect(closeButton, &QPushButton::clicked, this, &PreviewWindow::closeWindow);

    resize(900, 760);
    showPage(1);
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::takeStarts(int ms) {
    QElapsedTimer clock;
    clock.start();
    Page page;
    Paginator::Position start;
    try {
        while (ahead_) {
            const PagesAhead::Taken taken = ahead_->take(page, &start, clock.elapsed() < ms);
            if (taken == PagesAhead::Taken::NotYet) return;
            if (taken == PagesAhead::Taken::End) break;
            starts_.append(start);
        }
    } catch (const ReportError& e) {
        // Before the window is there, the one who opens it hears of it; after, the window says it.
        if (!counter_) throw;
        countFailure_ = e.message();
    }
    ahead_.reset();
    if (counter_) counter_->stop();
}

void PreviewWindow::countPages(int n) {
    if (!ahead_ || (n > 0 && pageCount() >= n)) return;
    ui::BusyCursor busy;
    while (ahead_ && (n <= 0 || pageCount() < n)) {
        takeStarts(kCountEveryMs);
        updateControls();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void PreviewWindow::showPage(int number) {
    if (number > pageCount()) countPages(number);
    if (starts_.isEmpty()) {
        current_ = 0;
        updateControls();
        return;
    }
    current_ = std::clamp(number, 1, pageCount());
    Paginator paginator(*doc_);
    paginator.seek(starts_[current_ - 1]);
    paginator.next(page_);
    updateControls();
}

void PreviewWindow::setZoom(qreal zoom) {
    zoom_ = zoom;
    fit_ = Fit::None;
    selectZoomItem();
    updateControls();
}

void PreviewWindow::setFit(Fit fit) {
    fit_ = fit;
    selectZoomItem();
    updateControls();
}

void PreviewWindow::selectZoomItem() {
    const int i = fit_ == Fit::None ? zoomBox->findData(zoom_) : zoomBox->findData(-int(fit_));
    if (i < 0) return;
    const QSignalBlocker quiet(zoomBox);
    zoomBox->setCurrentIndex(i);
}

qreal PreviewWindow::zoom() const {
    if (fit_ == Fit::None || page_.paper.isEmpty()) return zoom_;
    const QSize room = scroll_->maximumViewportSize() - QSize(2 * PageView::kBorder, 2 * PageView::kBorder);
    const QSizeF paper = page_.paper * view_->pointToPixel();
    if (fit_ == Fit::PageWidth) {
        // The page runs on below the window: the vertical scroll bar takes its share of the width.
        const int bar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
        return qMax(0.1, (room.width() - bar) / paper.width());
    }
    return qMax(0.1, qMin(room.width() / paper.width(), room.height() / paper.height()));
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_ && event->type() == QEvent::Resize && fit_ != Fit::None) updateControls();
    if (event->type() == QEvent::KeyPress && pageKey(*static_cast<QKeyEvent*>(event))) return true;
    return QWidget::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (!pageKey(*event)) QWidget::keyPressEvent(event);
}

bool PreviewWindow::pageKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ControlModifier) return false;
    switch (event.key()) {
    case Qt::Key_PageDown:
        showPage(current_ + 1);
        return true;
    case Qt::Key_PageUp:
        showPage(current_ - 1);
        return true;
    case Qt::Key_Home:
        showPage(1);
        return true;
    case Qt::Key_End:
        countPages();
        showPage(pageCount());
        return true;
    default:
        return false;
    }
}

void PreviewWindow::updateControls() {
    // "Page 2 of 40..." while the pages are counted.
    pageLabel->setText(current_ > 0 ? QStringLiteral("Page %1 of %2%3")
                                          .arg(current_)
                                          .arg(pageCount())
                                          .arg(counting() ? QStringLiteral("...") : QString())
                                    : QStringLiteral("No pages"));
    if (!countFailure_.isEmpty()) pageLabel->setToolTip(countFailure_);
    firstButton->setEnabled(current_ > 1);
    previousButton->setEnabled(current_ > 1);
    nextButton->setEnabled(current_ < pageCount() || counting());
    lastButton->setEnabled(current_ < pageCount() || counting());
    printButton->setEnabled(pageCount() > 0);
    view_->resizeToPage();
    view_->update();
}

namespace {

// The area puts the list in front when a window closes; the preview looked at before is what the
// user comes back to.
void activateLastPreview(QMdiArea* area) {
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isHidden()) continue; // closed, on its way out
        if (auto* preview = qobject_cast<PreviewWindow*>((*it)->widget())) {
            area->setActiveSubWindow(*it);
            preview->setFocus();
            return;
        }
    }
}

} // namespace

void PreviewWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!event->isAccepted() || !sub || !sub->mdiArea()) return;
    // After the area has put its own choice in front.
    QPointer<QMdiArea> area = sub->mdiArea();
    QMetaObject::invokeMethod(
        area,
        [area] {
            if (area) activateLastPreview(area);
        },
        Qt::QueuedConnection);
}

void PreviewWindow::closeWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

PreviewWindow* showPreview(std::shared_ptr<const Document> doc, QWidget* parent) {
    auto* preview = new PreviewWindow(std::move(doc));
    if (auto* area = qobject_cast<QMdiArea*>(parent)) {
        QMdiSubWindow* sub = area->addSubWindow(preview);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        // The keyboard goes to the preview too: when the main window is active again after the
        // print form, it gives the focus back to its last focus widget, and the window holding
        // that one comes to the front.
        area->setActiveSubWindow(sub);
        preview->setFocus();
    } else {
        preview->setParent(parent, Qt::Window);
        preview->show();
    }
    return preview;
}

} // namespace report
