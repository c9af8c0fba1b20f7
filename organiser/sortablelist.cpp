#include "organiser/sortablelist.h"

#include "organiser/addresstip.h"
#include "organiser/columnsort.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QScrollBar>
#include <QSet>

#include <numeric>

SortableList::SortableList(QWidget *parent)
    : QTreeWidget(parent), m_sort(std::make_unique<ColumnSort>())
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    // The header emits clicks for the left button only.
    connect(header(), &QHeaderView::sectionClicked, this, &SortableList::sortByHeader);
}

SortableList::~SortableList() = default;

void SortableList::sortByHeader(int column)
{
    m_ascending = column != m_lastSortColumn || !m_ascending;
    m_lastSortColumn = column;
    sortRows(column, m_ascending);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// Sorts the items in place by their text in a column; true when any moved.
bool SortableList::sortItems(std::vector<QTreeWidgetItem *> &items, int column, bool ascending)
{
    std::vector<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    const bool moved = m_sort->sort(order, column, ascending, [&items](int row, int column) {
        return items[std::size_t(row)]->text(column);
    });
    m_comparisons = m_sort->comparisons();
    if (!moved)
        return false;
    std::vector<QTreeWidgetItem *> sorted;
    sorted.reserve(items.size());
    for (int row : order)
        sorted.push_back(items[std::size_t(row)]);
    items = std::move(sorted);
    return true;
}

bool SortableList::sortRows(int column, bool ascending, int low, int high)
{
    m_comparisons = 0;
    const int rows = topLevelItemCount();
    if (column < 0 || column >= header()->count())
        return false;
    if (high == -1 || high >= rows)
        high = rows - 1;
    low = std::max(low, 0);
    if (low >= high)
        return false;

    std::vector<QTreeWidgetItem *> sorted;
    sorted.reserve(std::size_t(high - low + 1));
    for (int row = low; row <= high; ++row)
        sorted.push_back(topLevelItem(row));
    if (!sortItems(sorted, column, ascending))
        return true;

    std::vector<QTreeWidgetItem *> order;
    order.reserve(std::size_t(rows));
    for (int row = 0; row < low; ++row)
        order.push_back(topLevelItem(row));
    order.insert(order.end(), sorted.cbegin(), sorted.cend());
    for (int row = high + 1; row < rows; ++row)
        order.push_back(topLevelItem(row));
    reorderRows(order);
    return true;
}

void SortableList::setSortedRows(const QList<QTreeWidgetItem *> &rows, int column, bool ascending)
{
    forgetHeaderSort();
    m_comparisons = 0;
    std::vector<QTreeWidgetItem *> order(rows.cbegin(), rows.cend());
    if (column >= 0 && column < header()->count() && rows.size() > 1)
        sortItems(order, column, ascending);
    clear();
    addTopLevelItems(QList<QTreeWidgetItem *>(order.cbegin(), order.cend()));
}

// A list filled anew is in its fill order, whatever the header showed before:
// the next click on any column starts ascending again.
void SortableList::forgetHeaderSort()
{
    m_lastSortColumn = -1;
    m_ascending = true;
    header()->setSortIndicatorShown(false);
}

void SortableList::removeRows(const QList<QTreeWidgetItem *> &rows)
{
    // Row by row, every removal walks the rest of the list; past a few rows it
    // is cheaper to lay the list out again with the rows that stay.
    constexpr qsizetype OneByOne = 16;
    if (rows.size() <= OneByOne) {
        qDeleteAll(rows);
        return;
    }
    const QSet<QTreeWidgetItem *> gone(rows.cbegin(), rows.cend());
    std::vector<QTreeWidgetItem *> kept;
    kept.reserve(std::size_t(topLevelItemCount()));
    for (int row = 0; row < topLevelItemCount(); ++row)
        if (!gone.contains(topLevelItem(row)))
            kept.push_back(topLevelItem(row));
    if (gone.contains(currentItem()))
        setCurrentItem(nullptr);
    reorderRows(kept);
    qDeleteAll(rows);
}

// Moves whole items, so texts, icons, data and flags go along; selection and
// focus are put back on the same items afterwards.
void SortableList::reorderRows(const std::vector<QTreeWidgetItem *> &order)
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    const QSet<QTreeWidgetItem *> wasSelected(selected.cbegin(), selected.cend());
    QTreeWidgetItem *current = currentItem();
    const int scroll = verticalScrollBar()->value();

    const QSignalBlocker blocker(this);
    invisibleRootItem()->takeChildren();
    addTopLevelItems(QList<QTreeWidgetItem *>(order.cbegin(), order.cend()));

    QItemSelection selection;
    int runStart = -1;
    const int rows = int(order.size());
    for (int row = 0; row <= rows; ++row) {
        const bool on = row < rows && wasSelected.contains(order[std::size_t(row)]);
        if (on && runStart < 0)
            runStart = row;
        if (!on && runStart >= 0) {
            selection.select(indexFromItem(topLevelItem(runStart)),
                             indexFromItem(topLevelItem(row - 1), columnCount() - 1));
            runStart = -1;
        }
    }
    if (current)
        selectionModel()->setCurrentIndex(indexFromItem(current), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(scroll);
}

bool SortableList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        showAddressTip(static_cast<QHelpEvent *>(event));
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void SortableList::showAddressTip(QHelpEvent *event)
{
    const QTreeWidgetItem *item = itemAt(event->pos());
    AddressTip::show(event, viewport(), item ? item->text(AddressColumn) : QString(),
                     item ? visualItemRect(item) : QRect());
}
