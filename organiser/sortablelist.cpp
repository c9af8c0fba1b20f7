#include "organiser/sortablelist.h"

#include "organiser/dragstate.h"
#include "organiser/rowquicksort.h"

#include <QDrag>
#include <QHeaderView>
#include <QHelpEvent>
#include <QCollator>
#include <QItemSelection>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QToolTip>

#include <optional>

namespace {

// Long addresses are cut so the tip stays one readable line.
constexpr qsizetype TipLength = 79;

} // namespace

struct SortableList::SortRow
{
    QString text;
    QTreeWidgetItem *item;
    std::optional<QCollatorSortKey> key; // titles only
};

static int foldedChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    return QChar::toCaseFolded(u);
}

// Titles compare as the user's language orders words, without regard to case.
// The C locale knows no such order: the common root order stands in for it.
static QCollator titleCollator()
{
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

SortableList::SortableList(QWidget *parent) : QTreeWidget(parent)
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

namespace {

// Single characters (the star ratings) compare by their folded code alone: the
// same order as comparing their texts, without a string per row.
struct CharRow
{
    int key;
    QTreeWidgetItem *item;
};

std::optional<std::vector<CharRow>> charRows(const std::vector<QTreeWidgetItem *> &items,
                                             int column)
{
    std::vector<CharRow> rows;
    rows.reserve(items.size());
    for (QTreeWidgetItem *item : items) {
        const QString text = item->text(column);
        if (text.size() != 1)
            return std::nullopt;
        rows.push_back({foldedChar(text.front()), item});
    }
    return rows;
}

// Sorts rows in place and puts their items back into items in the new order;
// true when any row moved.
template <typename Row, typename Compare>
bool quicksortRows(std::vector<Row> &rows, std::vector<QTreeWidgetItem *> &items, Compare compare,
                   bool ascending, qint64 &comparisons)
{
    RowQuicksort<Row, Compare> quicksort(rows, compare, ascending);
    quicksort.sort(0, qsizetype(rows.size()) - 1);
    comparisons = quicksort.comparisons();
    if (!quicksort.moved())
        return false;
    for (std::size_t i = 0; i < rows.size(); ++i)
        items[i] = rows[i].item;
    return true;
}

} // namespace

// Sorts the items in place by their text in a column; true when any moved.
bool SortableList::sortItems(std::vector<QTreeWidgetItem *> &items, int column, bool ascending)
{
    if (column != TitleColumn) {
        if (std::optional<std::vector<CharRow>> rows = charRows(items, column))
            return quicksortRows(
                *rows, items, [](const CharRow &a, const CharRow &b) { return a.key - b.key; },
                ascending, m_comparisons);
    }
    std::vector<SortRow> rows;
    rows.reserve(items.size());
    for (QTreeWidgetItem *item : items)
        rows.push_back(sortRow(item, column));
    auto compare = [](const SortRow &a, const SortRow &b) {
        if (a.key && b.key)
            return a.key->compare(*b.key);
        // As the single-character sort compares them, where other texts are longer.
        if (a.text.size() == 1 && b.text.size() == 1)
            return foldedChar(a.text.front()) - foldedChar(b.text.front());
        return QString::compare(a.text, b.text, Qt::CaseInsensitive);
    };
    return quicksortRows(rows, items, compare, ascending, m_comparisons);
}

// A title row carries its collation key, made once, so that each comparison
// is cheap.
SortableList::SortRow SortableList::sortRow(QTreeWidgetItem *item, int column)
{
    SortRow row{item->text(column), item, std::nullopt};
    if (column == TitleColumn) {
        if (!m_collator)
            m_collator = std::make_unique<QCollator>(titleCollator());
        row.key = m_collator->sortKey(row.text);
    }
    return row;
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
    QString address = item ? item->text(AddressColumn) : QString();
    if (address.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return;
    }
    if (address.size() > TipLength)
        address = address.left(TipLength) + QChar(0x2026);
    QRect row = visualItemRect(item);
    row.setLeft(0);
    row.setRight(viewport()->width());
    QToolTip::showText(event->globalPos(), address, viewport(), row);
}

// Bookmark rows dragged out of the list; the folder tree takes them when the
// bookmark-drag flag says the drag is ours.
void SortableList::startDrag(Qt::DropActions)
{
    std::unique_ptr<QMimeData> data = beginBookmarkDrag();
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->setPixmap(currentItem() ? currentItem()->icon(0).pixmap(iconSize()) : QPixmap());
    const QPointer<SortableList> guard(this);
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    DragState::setBookmarkDragging(false);
    if (guard)
        endBookmarkDrag();
}

std::unique_ptr<QMimeData> SortableList::beginBookmarkDrag()
{
    const QList<QTreeWidgetItem *> rows = selectedItems();
    if (rows.isEmpty())
        return nullptr;
    std::unique_ptr<QMimeData> data(mimeData(rows));
    DragState::setBookmarkDragging(true);
    return data;
}

void SortableList::endBookmarkDrag()
{
    DragState::setBookmarkDragging(false);
}

QStringList SortableList::mimeTypes() const
{
    return {DragState::BookmarkMimeType};
}

QMimeData *SortableList::mimeData(const QList<QTreeWidgetItem *> &) const
{
    return DragState::bookmarkPayload().release();
}
