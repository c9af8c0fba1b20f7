#pragma once

#include "store/bookmarkfields.h"

#include <QIcon>
#include <QTreeWidgetItem>

// A row of the bookmark list: title, web address and star rating. Its texts
// are answered from the bookmark's stored fields until one is set, and its icon
// (the same for every row) and row number are answered too, not stored as item
// data: a folder of thousands fills without converting or storing a text.
class BookmarkRow final : public QTreeWidgetItem
{
public:
    enum Column { TitleColumn, AddressColumn, RatingColumn };

    BookmarkRow(const BookmarkFields &fields, const QIcon &icon, int number, int numberRole);

    int number() const { return m_number; }
    QVariant data(int column, int role) const override;

private:
    QString storedText(int column) const;

    BookmarkFields m_fields;
    QIcon m_icon; // shared
    int m_number;
    int m_numberRole;
};
