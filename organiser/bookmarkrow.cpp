#include "organiser/bookmarkrow.h"

BookmarkRow::BookmarkRow(const QStringList &texts, const QIcon &icon, int number, int numberRole)
    : QTreeWidgetItem(texts), m_icon(icon), m_number(number), m_numberRole(numberRole)
{
}

QVariant BookmarkRow::data(int column, int role) const
{
    if (column == 0 && role == Qt::DecorationRole)
        return m_icon;
    if (column == 0 && role == m_numberRole)
        return m_number;
    return QTreeWidgetItem::data(column, role);
}
