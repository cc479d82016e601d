#include "platform/report/preview.h"

#include "platform/report/output.h"
#include "platform/report/report.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace report {

// The sheet of paper the current page is drawn on.
class PageView : public QWidget {
public:
    explicit PageView(const PreviewWindow& preview) : preview_(preview) {}

    qreal scale() const { return preview_.zoom() * logicalDpiX() / 72.0; }
    void resizeToPage() {
        const QSizeF paper = preview_.page().paper * scale();
        setFixedSize(paper.toSize() + QSize(2 * kBorder, 2 * kBorder));
    }

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
    static constexpr int kBorder = 12;
    const PreviewWindow& preview_;
};

PreviewWindow::PreviewWindow(std::shared_ptr<const Document> doc, QWidget* parent)
    : QWidget(parent), doc_(std::move(doc)) {
    const Definition& def = doc_->definition();
    setWindowTitle((def.title.isEmpty() ? def.name : def.title) + QStringLiteral(" - Preview"));
    setAttribute(Qt::WA_DeleteOnClose);

    Paginator paginator(*doc_);
    while (!paginator.atEnd()) {
        starts_.append(paginator.position());
        paginator.next(page_);
    }
    page_ = Page();
    page_.paper = def.paperSize();

    firstButton = new QPushButton(QStringLiteral("|< First"), this);
    previousButton = new QPushButton(QStringLiteral("< Previous"), this);
    nextButton = new QPushButton(QStringLiteral("Next >"), this);
    lastButton = new QPushButton(QStringLiteral("Last >|"), this);
    pageLabel = new QLabel(this);
    zoomBox = new QComboBox(this);
    for (int percent : {50, 75, 100, 125, 150, 200})
        zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    zoomBox->setCurrentIndex(2);
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
    connect(lastButton, &QPushButton::clicked, this, [this] { showPage(pageCount()); });
    connect(zoomBox, &QComboBox::currentIndexChanged, this,
            [this](int i) { setZoom(zoomBox->itemData(i).toDouble()); });
    connect(printButton, &QPushButton::clicked, this, &PreviewWindow::printRequested);
    connect(closeButton, &QPushButton::clicked, this, &PreviewWindow::closeWindow);

    resize(900, 760);
    showPage(1);
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::showPage(int number) {
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
    updateControls();
}

void PreviewWindow::updateControls() {
    pageLabel->setText(current_ > 0 ? QStringLiteral("Page %1 of %2").arg(current_).arg(pageCount())
                                    : QStringLiteral("No pages"));
    firstButton->setEnabled(current_ > 1);
    previousButton->setEnabled(current_ > 1);
    nextButton->setEnabled(current_ < pageCount());
    lastButton->setEnabled(current_ < pageCount());
    printButton->setEnabled(pageCount() > 0);
    view_->resizeToPage();
    view_->update();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(current_ + 1);
        break;
    case Qt::Key_PageUp:
        showPage(current_ - 1);
        break;
    case Qt::Key_Home:
        showPage(1);
        break;
    case Qt::Key_End:
        showPage(pageCount());
        break;
    default:
        QWidget::keyPressEvent(event);
    }
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
