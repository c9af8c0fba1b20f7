#include "app/vxtabctrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>

VXTabCtrl::VXTabCtrl(QWidget *parent) : QTabWidget(parent)
{
    // The stack is the pane's page area; its margins are the inset.
    if (auto *stack = findChild<QStackedWidget *>())
        stack->setContentsMargins(PageInset, PageInset, PageInset, PageInset);
    // The tab bar changes the selection on the press; act once that has settled.
    connect(tabBar(), &QTabBar::tabBarClicked, this, &VXTabCtrl::focusClickedPage,
            Qt::QueuedConnection);
    connect(this, &QTabWidget::currentChanged, this, &VXTabCtrl::focusKeyboardSelectedPage);
}

VXTabCtrl::~VXTabCtrl() = default;

void VXTabCtrl::addPage(QWidget *page, const QString &caption, bool select)
{
    const int index = addTab(page, caption);
    if (select)
        setCurrentIndex(index);
    fitPages();
}

QWidget *VXTabCtrl::selectedPage() const
{
    return currentWidget();
}

void VXTabCtrl::destroyPages()
{
    // Hidden first: taking the current page away would show, and fill, the next.
    hide();
    QList<QPointer<QWidget>> pages;
    for (int i = 0; i < count(); ++i)
        pages.append(widget(i));
    for (const QPointer<QWidget> &page : pages)
        delete page.data();
}

void VXTabCtrl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QTabWidget::keyPressEvent(event);
    }
}

void VXTabCtrl::resizeEvent(QResizeEvent *event)
{
    QTabWidget::resizeEvent(event);
    fitPages();
}

void VXTabCtrl::focusClickedPage()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    if (QWidget *page = selectedPage())
        page->setFocus(Qt::MouseFocusReason);
    emit tabClicked(index);
}

// Ctrl+Tab or the arrow keys on the tab bar moved the selection: the keyboard
// user goes on typing in the page now in front. A change made by the owner
// while the focus is elsewhere leaves the focus to the owner.
void VXTabCtrl::focusKeyboardSelectedPage()
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && !isAncestorOf(focus))
        return;
    if (QWidget *page = selectedPage())
        page->setFocus(Qt::TabFocusReason);
}

// The stack only sizes the page in front; hidden pages are kept in step here so
// that each one already has its place when it is shown.
void VXTabCtrl::fitPages()
{
    const QWidget *front = selectedPage();
    if (!front || !front->parentWidget())
        return;
    const QRect area = front->parentWidget()->contentsRect();
    for (int i = count() - 1; i >= 0; --i) {
        if (QWidget *page = widget(i))
            page->setGeometry(area);
    }
}
