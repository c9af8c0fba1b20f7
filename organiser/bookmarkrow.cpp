#include "organiser/bookmarkrow.h"

BookmarkRow::BookmarkRow(const BookmarkFields &fields, const QIcon &icon, int number,
                         int numberRole)
    : m_fields(fields), m_icon(icon), m_number(number), m_numberRole(numberRole)
{
    // Spares the list's layout asking each of thousands of rows for children.
    setFlags(flags() | Qt::ItemNeverHasChildren);
}

QVariant BookmarkRow::data(int column, int role) const
{
    if (column == 0 && role == Qt::DecorationRole)
        return m_icon;
    if (column == 0 && role == m_numberRole)
        return m_number;
    QVariant set = QTreeWidgetItem::data(column, role);
    if (set.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return set;
    return storedText(column);
}

QString BookmarkRow::storedText(int column) const
{
    switch (column) {
    case TitleColumn:
        return m_fields.title();
    case AddressColumn:
        return m_fields.address();
    case RatingColumn: {
        // Shared: sorting a folder of thousands by rating asks every row for it.
        static const QString ratings[] = {QStringLiteral("0"), QStringLiteral("1"),
                                          QStringLiteral("2"), QStringLiteral("3"),
                                          QStringLiteral("4"), QStringLiteral("5")};
        const int rating = m_fields.rating();
        return rating >= 0 && rating <= 5 ? ratings[rating] : QString::number(rating);
    }
    default:
        return {};
    }
}
