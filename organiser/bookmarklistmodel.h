#pragma once

#include "store/bookmarkfields.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

#include <vector>

// The rows of the bookmark list: each holds a bookmark's texts as stored and
// the number it was listed under. Texts are converted only when a row is shown
// or asked for, and a row is no object of its own: a folder of thousands lists
// without a string or an allocation per row.
class BookmarkListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TitleColumn, AddressColumn, RatingColumn, ColumnCount };
    // A row's number (title column): with the folder id, the bookmark's tag.
    static constexpr int NumberRole = Qt::UserRole;

    struct Row
    {
        BookmarkFields fields;
        int number = 0;
        QString tip; // shown over the title; shared by rows of one folder
    };

    explicit BookmarkListModel(const QIcon &rowIcon, QObject *parent = nullptr);

    void setHeaderLabels(const QStringList &labels);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    static QString text(const BookmarkFields &fields, int column);
    QString text(int row, int column) const
    {
        return text(m_rows[std::size_t(row)].fields, column);
    }
    const QIcon &rowIcon() const { return m_icon; }
    int number(int row) const { return m_rows[std::size_t(row)].number; }
    const Row &row(int row) const { return m_rows[std::size_t(row)]; }

    // Replaces every row.
    void setRows(std::vector<Row> rows);
    void appendRow(Row row);
    void setFields(int row, const BookmarkFields &fields);
    // Removes these rows (any order, each once); the others keep their order,
    // and indexes to them (selection, focus) follow them.
    void removeRowSet(QList<int> rows);
    // Puts the rows into this order of their present numbers; indexes follow.
    void reorder(const std::vector<int> &order);

private:
    void removeScattered(const QList<int> &sortedRows);
    void movePersistentIndexes(const std::vector<int> &newRowOf);

    std::vector<Row> m_rows;
    QIcon m_icon; // the same for every row
    QStringList m_labels;
};
