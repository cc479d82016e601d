// The list form's tab control: every tab always in view, in fixed rows. A tab keeps its place
// whichever is selected, so a click never lands on a tab that slid under the mouse.
#pragma once

#include <QStringList>
#include <QWidget>

namespace results {

class TabRows : public QWidget {
    Q_OBJECT
public:
    explicit TabRows(int perRow, QWidget* parent = nullptr);

    // Adds a tab at the end; the first one becomes current.
    int addTab(const QString& text);
    int count() const { return int(texts_.size()); }
    int currentIndex() const { return current_; }
    // Selects a tab; emits currentChanged when the selection changes (an index out of range is ignored).
    void setCurrentIndex(int index);
    QString tabText(int index) const { return texts_.value(index); }
    void setTabText(int index, const QString& text);
    // Tabs share a row's width equally; rows stack from the top.
    QRect tabRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void currentChanged(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowHeight() const;
    int rows() const { return (count() + perRow_ - 1) / perRow_; }

    QStringList texts_;
    int current_ = -1;
    int perRow_;
};

} // namespace results
