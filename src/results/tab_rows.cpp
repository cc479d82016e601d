#include "results/tab_rows.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QToolTip>

namespace results {

namespace {

constexpr int kTextMargin = 8; // each side of a caption inside its tab

} // namespace

TabRows::TabRows(int perRow, QWidget* parent) : QWidget(parent), perRow_(qMax(1, perRow)) {
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int TabRows::addTab(const QString& text) {
    texts_.append(text);
    updateGeometry();
    update();
    if (current_ < 0) setCurrentIndex(0);
    return count() - 1;
}

void TabRows::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == current_) return;
    current_ = index;
    update();
    emit currentChanged(index);
}

void TabRows::setTabText(int index, const QString& text) {
    if (index < 0 || index >= count()) return;
    texts_[index] = text;
    update();
}

int TabRows::rowHeight() const {
    return fontMetrics().height() + 12;
}

QRect TabRows::tabRect(int index) const {
    if (index < 0 || index >= count()) return {};
    const int row = index / perRow_, col = index % perRow_;
    const int left = col * width() / perRow_, right = (col + 1) * width() / perRow_;
    return QRect(left, row * rowHeight(), right - left, rowHeight());
}

QSize TabRows::sizeHint() const {
    int widest = 0;
    for (const QString& t : texts_)
        widest = qMax(widest, fontMetrics().horizontalAdvance(t));
    return QSize(perRow_ * (widest + 2 * kTextMargin), rows() * rowHeight());
}

QSize TabRows::minimumSizeHint() const {
    return QSize(perRow_ * fontMetrics().horizontalAdvance(QStringLiteral("Tab 9")), rows() * rowHeight());
}

bool TabRows::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // A caption cut short by its tab is told whole.
        auto* help = static_cast<QHelpEvent*>(event);
        for (int i = 0; i < count(); ++i) {
            const QRect r = tabRect(i);
            if (r.contains(help->pos()) &&
                fontMetrics().horizontalAdvance(texts_[i]) > r.width() - 2 * kTextMargin) {
                QToolTip::showText(help->globalPos(), texts_[i], this, r);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void TabRows::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.shape = QTabBar::RoundedNorth;
        opt.rect = tabRect(i);
        const int col = i % perRow_;
        opt.position = perRow_ == 1   ? QStyleOptionTab::OnlyOneTab
                       : col == 0     ? QStyleOptionTab::Beginning
                       : col == perRow_ - 1 ? QStyleOptionTab::End
                                            : QStyleOptionTab::Middle;
        if (i == current_) {
            opt.state |= QStyle::State_Selected;
            if (hasFocus()) opt.state |= QStyle::State_HasFocus;
        } else {
            opt.state &= ~QStyle::State_HasFocus;
        }
        opt.text = fontMetrics().elidedText(texts_[i], Qt::ElideRight, opt.rect.width() - 2 * kTextMargin);
        p.drawControl(QStyle::CE_TabBarTab, opt);
    }
}

void TabRows::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(event->position().toPoint())) {
            setCurrentIndex(i);
            return;
        }
    }
}

void TabRows::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrentIndex(current_ - 1);
        return;
    case Qt::Key_Right:
        setCurrentIndex(current_ + 1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace results
