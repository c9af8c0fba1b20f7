#pragma once

#include <QIcon>
#include <QTreeWidgetItem>

// A row of the bookmark list. Its icon (the same for every row) and its row
// number are answered, not stored as item data: a folder of thousands of rows
// fills without two stored values per row.
class BookmarkRow final : public QTreeWidgetItem
{
public:
    BookmarkRow(const QStringList &texts, const QIcon &icon, int number, int numberRole);

    int number() const { return m_number; }
    QVariant data(int column, int role) const override;

private:
    QIcon m_icon; // shared
    int m_number;
    int m_numberRole;
};
