#include "controls/headerwatcher.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>

HeaderWatcher::HeaderWatcher(QHeaderView *header) : QObject(header), m_header(header)
{
    header->installEventFilter(this);
    // While a section is dragged wider the mouse moves over the header's viewport.
    header->viewport()->installEventFilter(this);
}

bool HeaderWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        checkFit();
    return QObject::eventFilter(watched, event);
}

void HeaderWatcher::checkFit()
{
    auto *list = qobject_cast<QAbstractItemView *>(m_header->parentWidget());
    if (!list)
        return;
    int width = 0;
    for (int column = 0; column < 3 && column < m_header->count(); ++column)
        width += m_header->sectionSize(column);
    const bool fits = width <= list->viewport()->width();
    if (fits == m_fits)
        return;
    m_fits = fits;
    if (QWidget *dialog = list->parentWidget())
        dialog->repaint();
    emit fitChanged(fits);
}
