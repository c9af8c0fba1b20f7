#include "import/importlistmodel.h"

ImportListModel::ImportListModel(QObject *parent) : QAbstractTableModel(parent) {}

std::vector<ImportListModel::Line> ImportListModel::linesOf(const ImportRows &rows)
{
    std::vector<Line> lines;
    lines.reserve(std::size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ImportRow &row = rows.at(i);
        lines.push_back({row.title, row.address, row.label, int(i), false});
    }
    return lines;
}

void ImportListModel::setHeaderLabels(const QStringList &labels)
{
    m_labels = labels;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int ImportListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int ImportListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ImportListModel::text(int line, int column) const
{
    const Line &at = m_lines[std::size_t(line)];
    switch (column) {
    case TitleColumn: return at.title;
    case AddressColumn: return at.address;
    case FolderColumn: return at.label;
    default: return {};
    }
}

QVariant ImportListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::CheckStateRole:
        if (index.column() != TitleColumn)
            return {};
        return line(index.row()).checked ? Qt::Checked : Qt::Unchecked;
    case RowRole:
        return index.column() == TitleColumn ? QVariant(line(index.row()).row) : QVariant();
    default:
        return {};
    }
}

bool ImportListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != TitleColumn
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant ImportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_labels.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ImportListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // No children: the view's layout need not ask thousands of lines for them.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == TitleColumn ? flags | Qt::ItemIsUserCheckable : flags;
}

void ImportListModel::setLines(std::vector<Line> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void ImportListModel::setChecked(int line, bool checked)
{
    Line &at = m_lines[std::size_t(line)];
    if (at.checked == checked)
        return;
    at.checked = checked;
    const QModelIndex changed = index(line, TitleColumn);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

// One change for every line, however many there are.
void ImportListModel::setAllChecked(bool checked)
{
    if (m_lines.empty())
        return;
    for (Line &line : m_lines)
        line.checked = checked;
    emit dataChanged(index(0, TitleColumn), index(rowCount() - 1, TitleColumn),
                     {Qt::CheckStateRole});
}

QList<int> ImportListModel::checkedRows() const
{
    QList<int> rows;
    for (const Line &line : m_lines) {
        if (line.checked)
            rows.append(line.row);
    }
    return rows;
}

void ImportListModel::reorder(const std::vector<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPlaceOf(m_lines.size(), -1);
    std::vector<Line> sorted;
    sorted.reserve(order.size());
    for (int place : order) {
        newPlaceOf[std::size_t(place)] = int(sorted.size());
        sorted.push_back(std::move(m_lines[std::size_t(place)]));
    }
    m_lines = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int place = newPlaceOf[std::size_t(index.row())];
        after.append(place < 0 ? QModelIndex() : this->index(place, index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
