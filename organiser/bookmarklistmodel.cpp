#include "organiser/bookmarklistmodel.h"

#include <algorithm>

BookmarkListModel::BookmarkListModel(const QIcon &rowIcon, QObject *parent)
    : QAbstractTableModel(parent), m_icon(rowIcon)
{
}

void BookmarkListModel::setHeaderLabels(const QStringList &labels)
{
    m_labels = labels;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int BookmarkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BookmarkListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString BookmarkListModel::text(const BookmarkFields &fields, int column)
{
    switch (column) {
    case TitleColumn:
        return fields.title();
    case AddressColumn:
        return fields.address();
    case RatingColumn: {
        // Shared: sorting a folder of thousands by rating asks every row for it.
        static const QString ratings[] = {QStringLiteral("0"), QStringLiteral("1"),
                                          QStringLiteral("2"), QStringLiteral("3"),
                                          QStringLiteral("4"), QStringLiteral("5")};
        const int rating = fields.rating();
        return rating >= 0 && rating <= 5 ? ratings[rating] : QString::number(rating);
    }
    default:
        return {};
    }
}

QVariant BookmarkListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::DecorationRole:
        return index.column() == TitleColumn ? QVariant(m_icon) : QVariant();
    case Qt::ToolTipRole: {
        const QString &tip = m_rows[std::size_t(index.row())].tip;
        return index.column() == TitleColumn && !tip.isEmpty() ? QVariant(tip) : QVariant();
    }
    case NumberRole:
        return index.column() == TitleColumn ? QVariant(number(index.row())) : QVariant();
    default:
        return {};
    }
}

QVariant BookmarkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_labels.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags BookmarkListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // No children: the view's layout need not ask thousands of rows for them.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

void BookmarkListModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void BookmarkListModel::appendRow(Row row)
{
    const int at = rowCount();
    beginInsertRows({}, at, at);
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void BookmarkListModel::setFields(int row, const BookmarkFields &fields)
{
    m_rows[std::size_t(row)].fields = fields;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void BookmarkListModel::removeRowSet(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    // Run by run, every removal walks the rest of the list; past a few runs
    // it is cheaper to lay the list out again with the rows that stay.
    constexpr int OneByOne = 16;
    QList<std::pair<int, int>> runs;
    for (int row : rows) {
        if (!runs.isEmpty() && runs.last().second == row - 1)
            runs.last().second = row;
        else
            runs.append({row, row});
    }
    if (runs.size() > OneByOne) {
        removeScattered(rows);
        return;
    }
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        m_rows.erase(m_rows.begin() + run->first, m_rows.begin() + run->second + 1);
        endRemoveRows();
    }
}

void BookmarkListModel::removeScattered(const QList<int> &sortedRows)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(m_rows.size(), -1);
    std::vector<Row> kept;
    kept.reserve(m_rows.size() - std::size_t(sortedRows.size()));
    auto gone = sortedRows.cbegin();
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (gone != sortedRows.cend() && *gone == int(row)) {
            ++gone;
            continue;
        }
        newRowOf[row] = int(kept.size());
        kept.push_back(std::move(m_rows[row]));
    }
    m_rows = std::move(kept);
    movePersistentIndexes(newRowOf);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void BookmarkListModel::reorder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(m_rows.size(), -1);
    std::vector<Row> sorted;
    sorted.reserve(order.size());
    for (int row : order) {
        newRowOf[std::size_t(row)] = int(sorted.size());
        sorted.push_back(std::move(m_rows[std::size_t(row)]));
    }
    m_rows = std::move(sorted);
    movePersistentIndexes(newRowOf);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Indexes to rows that went become invalid.
void BookmarkListModel::movePersistentIndexes(const std::vector<int> &newRowOf)
{
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int row = newRowOf[std::size_t(index.row())];
        after.append(row < 0 ? QModelIndex() : this->index(row, index.column()));
    }
    changePersistentIndexList(before, after);
}
