#include "organiser/bookmarklist.h"

#include "organiser/addresstip.h"
#include "organiser/columnsort.h"
#include "organiser/dragstate.h"

#include <QDrag>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QMimeData>
#include <QStyle>

#include <numeric>

BookmarkList::BookmarkList(const QIcon &rowIcon, QWidget *parent)
    : QTableView(parent), m_model(new BookmarkListModel(rowIcon, this)),
      m_sort(std::make_unique<ColumnSort>())
{
    setModel(m_model);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fixedRowHeight());
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    // The header emits clicks for the left button only.
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &BookmarkList::sortByHeader);
}

BookmarkList::~BookmarkList() = default;

// One line of text beside a small icon: a fixed height spares the view asking
// thousands of rows for theirs.
int BookmarkList::fixedRowHeight() const
{
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    return std::max(fontMetrics().height(), icon) + 2;
}

void BookmarkList::setHeaderLabels(const QStringList &labels)
{
    m_model->setHeaderLabels(labels);
}

int BookmarkList::rowCount() const
{
    return m_model->rowCount();
}

QString BookmarkList::text(int row, int column) const
{
    return m_model->text(row, column);
}

int BookmarkList::number(int row) const
{
    return m_model->number(row);
}

QString BookmarkList::toolTip(int row) const
{
    return m_model->row(row).tip;
}

std::vector<int> BookmarkList::sortedOrder(int count, int column, bool ascending,
                                           const std::function<QString(int, int)> &text)
{
    std::vector<int> order(std::size_t(count), 0);
    std::iota(order.begin(), order.end(), 0);
    if (column >= 0 && column < BookmarkListModel::ColumnCount && count > 1)
        m_sort->sort(order, column, ascending, text);
    return order;
}

namespace {

// The ratings as the rating column's single characters, when every one is a
// digit; none otherwise.
std::vector<char16_t> ratingDigits(const std::vector<BookmarkList::Row> &rows)
{
    std::vector<char16_t> digits;
    digits.reserve(rows.size());
    for (const BookmarkList::Row &row : rows) {
        const int rating = row.fields.rating();
        if (rating < 0 || rating > 9)
            return {};
        digits.push_back(char16_t(u'0' + rating));
    }
    return digits;
}

// Moves each row to its place in order (order[place] names the row that goes
// there) without a second array: for thousands of rows that would be fresh
// memory to fault in.
void applyOrder(std::vector<BookmarkList::Row> &rows, std::vector<int> order)
{
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (order[start] == int(start))
            continue;
        BookmarkList::Row held = std::move(rows[start]);
        std::size_t at = start;
        for (;;) {
            const auto from = std::size_t(order[at]);
            order[at] = int(at);
            if (from == start) {
                rows[at] = std::move(held);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
}

} // namespace

void BookmarkList::setSortedRows(std::vector<Row> rows, int column, bool ascending)
{
    forgetHeaderSort();
    std::vector<int> order(rows.size(), 0);
    std::iota(order.begin(), order.end(), 0);
    const std::vector<char16_t> digits =
        column == BookmarkListModel::RatingColumn ? ratingDigits(rows) : std::vector<char16_t>();
    if (!digits.empty()) {
        // The order the rating texts give, from the ratings alone.
        m_sort->sortByCharacter(order, ascending,
                                [&digits](int row) { return QChar(digits[std::size_t(row)]); });
    } else {
        order = sortedOrder(int(rows.size()), column, ascending, [&rows](int row, int column) {
            return BookmarkListModel::text(rows[std::size_t(row)].fields, column);
        });
    }
    applyOrder(rows, std::move(order));
    m_model->setRows(std::move(rows));
}

void BookmarkList::appendRow(Row row)
{
    m_model->appendRow(std::move(row));
}

void BookmarkList::setRowFields(int row, const BookmarkFields &fields)
{
    m_model->setFields(row, fields);
}

void BookmarkList::removeRows(const QList<int> &rows)
{
    m_model->removeRowSet(rows);
}

bool BookmarkList::sortRows(int column, bool ascending)
{
    if (column < 0 || column >= BookmarkListModel::ColumnCount || rowCount() < 2)
        return false;
    const std::vector<int> order =
        sortedOrder(rowCount(), column, ascending,
                    [this](int row, int column) { return m_model->text(row, column); });
    m_model->reorder(order);
    return true;
}

void BookmarkList::sortByHeader(int column)
{
    m_ascending = column != m_lastSortColumn || !m_ascending;
    m_lastSortColumn = column;
    sortRows(column, m_ascending);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column,
                                         m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// A list filled anew is in its fill order, whatever the header showed before:
// the next click on any column starts ascending again.
void BookmarkList::forgetHeaderSort()
{
    m_lastSortColumn = -1;
    m_ascending = true;
    horizontalHeader()->setSortIndicatorShown(false);
}

QList<int> BookmarkList::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool BookmarkList::isRowSelected(int row) const
{
    return selectionModel()->isRowSelected(row, {});
}

void BookmarkList::setRowSelected(int row, bool selected)
{
    selectionModel()->select(m_model->index(row, 0), (selected ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                                         QItemSelectionModel::Rows);
}

int BookmarkList::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void BookmarkList::setCurrentRow(int row)
{
    setCurrentIndex(row < 0 ? QModelIndex() : m_model->index(row, 0));
}

QRect BookmarkList::rowRect(int row) const
{
    return visualRect(m_model->index(row, 0));
}

void BookmarkList::scrollToRow(int row)
{
    scrollTo(m_model->index(row, 0));
}

// The keys of a list, not of a table: Home and End go to the first and last
// row, and left and right do not move between the cells of a row.
QModelIndex BookmarkList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int last = rowCount() - 1;
    switch (action) {
    case MoveHome:
        return last < 0 ? QModelIndex() : m_model->index(0, 0);
    case MoveEnd:
        return last < 0 ? QModelIndex() : m_model->index(last, 0);
    case MoveLeft:
    case MoveRight:
    case MoveNext:
    case MovePrevious:
        return currentIndex();
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

// The rows' height follows the font and the style, as a list's would.
void BookmarkList::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        verticalHeader()->setDefaultSectionSize(fixedRowHeight());
}

bool BookmarkList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex at = indexAt(help->pos());
        AddressTip::show(help, viewport(),
                         at.isValid() ? text(at.row(), BookmarkListModel::AddressColumn)
                                      : QString(),
                         at.isValid() ? visualRect(at) : QRect());
        return true;
    }
    return QTableView::viewportEvent(event);
}

// Bookmark rows dragged out of the list; the folder tree takes them when the
// bookmark-drag flag says the drag is ours.
void BookmarkList::startDrag(Qt::DropActions)
{
    std::unique_ptr<QMimeData> data = beginBookmarkDrag();
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data.release());
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    drag->setPixmap(m_model->rowIcon().pixmap(side, side));
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    // Not through this list: the drop may have deleted it.
    DragState::setBookmarkDragging(false);
}

std::unique_ptr<QMimeData> BookmarkList::beginBookmarkDrag()
{
    if (!selectionModel()->hasSelection())
        return nullptr;
    DragState::setBookmarkDragging(true);
    return DragState::bookmarkPayload();
}

void BookmarkList::endBookmarkDrag()
{
    DragState::setBookmarkDragging(false);
}
