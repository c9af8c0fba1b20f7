#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// A thin vertical bar that the user drags sideways to share the parent's width
// between the panes on its left and those on its right. The panes are placed by
// hand (no layout): left panes end one pixel before the bar, right panes begin
// one pixel after it. Escape, a right press or the release ends a drag and keeps
// the place reached.
class SplitterBar final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultMinimumWidth = 10;

    explicit SplitterBar(QWidget *parent = nullptr);
    ~SplitterBar() override;
    Q_DISABLE_COPY_MOVE(SplitterBar)

    void setMinimumWidths(int left, int right);
    int minimumLeftWidth() const { return m_minimumLeft; }
    int minimumRightWidth() const { return m_minimumRight; }

    void addLeftPane(QWidget *pane);
    void addRightPane(QWidget *pane);
    // Fits every pane to the bar's place.
    void layoutPanes();

    bool isDragging() const { return m_dragging; }

signals:
    void dragFinished();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The range, in parent coordinates, in which the bar's left edge may travel.
    struct Range
    {
        int lowest = 0;
        int highest = 0;
    };
    bool findRange(Range &range) const;
    void startDrag(int pressOffset);
    void endDrag();

    QList<QPointer<QWidget>> m_leftPanes;
    QList<QPointer<QWidget>> m_rightPanes;
    int m_minimumLeft = DefaultMinimumWidth;
    int m_minimumRight = DefaultMinimumWidth;
    bool m_dragging = false;
    int m_pressOffset = 0;
    Range m_range;
};
