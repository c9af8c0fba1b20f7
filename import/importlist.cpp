#include "import/importlist.h"

#include "organiser/addresstip.h"
#include "organiser/columnsort.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <numeric>

ImportList::ImportList(QWidget *parent)
    : QTreeView(parent), m_model(new ImportListModel(this)), m_sort(std::make_unique<ColumnSort>())
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    // The header emits clicks for the left button only.
    connect(header(), &QHeaderView::sectionClicked, this, &ImportList::sortByHeader);
    connect(this, &QAbstractItemView::clicked, this, &ImportList::toggleClickedLine);
}

ImportList::~ImportList() = default;

void ImportList::setHeaderLabels(const QStringList &labels)
{
    m_model->setHeaderLabels(labels);
}

QRect ImportList::lineRect(int line, int column) const
{
    return visualRect(m_model->index(line, column));
}

std::vector<int> ImportList::sortedOrder(int count, int column, bool ascending,
                                         const std::function<QString(int, int)> &text)
{
    std::vector<int> order(std::size_t(count), 0);
    std::iota(order.begin(), order.end(), 0);
    if (column >= 0 && column < ImportListModel::ColumnCount && count > 1)
        m_sort->sort(order, column, ascending, text);
    return order;
}

void ImportList::setSortedLines(std::vector<Line> lines, int column, bool ascending)
{
    m_lastSortColumn = -1;
    m_ascending = true;
    header()->setSortIndicatorShown(false);
    const std::vector<int> order =
        sortedOrder(int(lines.size()), column, ascending, [&lines](int line, int column) {
            const Line &at = lines[std::size_t(line)];
            return column == ImportListModel::TitleColumn     ? at.title
                   : column == ImportListModel::AddressColumn ? at.address
                                                              : at.label;
        });
    std::vector<Line> sorted;
    sorted.reserve(lines.size());
    for (int line : order)
        sorted.push_back(std::move(lines[std::size_t(line)]));
    m_model->setLines(std::move(sorted));
}

bool ImportList::sortRows(int column, bool ascending)
{
    if (column < 0 || column >= ImportListModel::ColumnCount || rowCount() < 2)
        return false;
    m_model->reorder(sortedOrder(rowCount(), column, ascending,
                                 [this](int line, int column) { return text(line, column); }));
    return true;
}

void ImportList::sortByHeader(int column)
{
    m_ascending = column != m_lastSortColumn || !m_ascending;
    m_lastSortColumn = column;
    sortRows(column, m_ascending);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ImportList::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    m_pressedLine = at.isValid() ? at.row() : -1;
    m_pressedChecked = at.isValid() && isChecked(at.row());
    QTreeView::mousePressEvent(event);
}

// Space toggles the line in focus, whichever of its cells has the focus.
void ImportList::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const bool toggle = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (toggle && event->modifiers() == Qt::NoModifier && current.isValid()) {
        setChecked(current.row(), !isChecked(current.row()));
        return;
    }
    QTreeView::keyPressEvent(event);
}

// A click on a line's text toggles it; a click on its check box has toggled
// it already.
void ImportList::toggleClickedLine(const QModelIndex &index)
{
    if (index.row() != m_pressedLine || isChecked(index.row()) != m_pressedChecked)
        return;
    setChecked(index.row(), !m_pressedChecked);
}

bool ImportList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex at = indexAt(help->pos());
        AddressTip::show(help, viewport(),
                         at.isValid() ? text(at.row(), ImportListModel::AddressColumn) : QString(),
                         at.isValid() ? visualRect(at) : QRect());
        return true;
    }
    return QTreeView::viewportEvent(event);
}
