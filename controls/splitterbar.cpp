#include "controls/splitterbar.h"

#include <QKeyEvent>
#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::SizeHorCursor);
}

SplitterBar::~SplitterBar() = default;

void SplitterBar::setMinimumWidths(int left, int right)
{
    m_minimumLeft = left;
    m_minimumRight = right;
}

void SplitterBar::addLeftPane(QWidget *pane)
{
    m_leftPanes.append(pane);
}

void SplitterBar::addRightPane(QWidget *pane)
{
    m_rightPanes.append(pane);
}

void SplitterBar::layoutPanes()
{
    const int barLeft = x();
    const int barRight = x() + width(); // one past the bar
    for (QWidget *pane : std::as_const(m_leftPanes)) {
        if (!pane)
            continue;
        const QRect place = pane->geometry();
        pane->setGeometry(place.x(), place.y(), qMax(0, barLeft - 1 - place.x()), place.height());
    }
    for (QWidget *pane : std::as_const(m_rightPanes)) {
        if (!pane)
            continue;
        const QRect place = pane->geometry();
        const int paneRight = place.x() + place.width();
        const int left = barRight + 1;
        pane->setGeometry(left, place.y(), qMax(0, paneRight - left), place.height());
    }
}

bool SplitterBar::findRange(Range &range) const
{
    const QWidget *parent = parentWidget();
    if (!parent)
        return false;
    int lower = parent->contentsRect().left() + m_minimumLeft;
    for (const QWidget *pane : m_leftPanes) {
        if (pane)
            lower = qMax(lower, pane->x() + m_minimumLeft);
    }
    int upper = parent->contentsRect().left() + parent->contentsRect().width() - m_minimumRight;
    for (const QWidget *pane : m_rightPanes) {
        if (pane)
            upper = qMin(upper, pane->x() + pane->width() - m_minimumRight);
    }
    if (lower >= upper || upper - width() < lower)
        return false;
    range = {lower, upper - width()};
    return true;
}

void SplitterBar::mousePressEvent(QMouseEvent *event)
{
    if (m_dragging) {
        if (event->button() == Qt::RightButton)
            endDrag();
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QWidget *grabber = QWidget::mouseGrabber();
    if (grabber && grabber != this)
        return;
    if (!findRange(m_range))
        return; // the parent is too narrow for both sides
    startDrag(qRound(event->position().x()));
    event->accept();
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const int pointer = mapToParent(event->position().toPoint()).x();
    const int left = qBound(m_range.lowest, pointer - m_pressOffset, m_range.highest);
    if (left != x()) {
        move(left, y());
        layoutPanes();
    }
    event->accept();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        endDrag();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

// During a drag the keyboard belongs to the bar: Escape ends it, other keys are dropped.
void SplitterBar::keyPressEvent(QKeyEvent *event)
{
    if (!m_dragging) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape)
        endDrag();
    event->accept();
}

void SplitterBar::hideEvent(QHideEvent *event)
{
    if (m_dragging)
        endDrag();
    QWidget::hideEvent(event);
}

void SplitterBar::startDrag(int pressOffset)
{
    m_dragging = true;
    m_pressOffset = pressOffset;
    grabMouse();
    grabKeyboard();
}

void SplitterBar::endDrag()
{
    m_dragging = false;
    releaseKeyboard();
    releaseMouse();
    emit dragFinished();
}
