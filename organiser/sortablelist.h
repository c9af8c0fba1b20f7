#pragma once

#include <QTreeWidget>

class ColumnSort;

#include <memory>
#include <vector>

// A report-style list whose rows sort in place by the text of any column. A
// left click on a column header sorts by that column, ascending first and
// toggling on repeated clicks; hovering over any cell shows the row's web
// address. It knows only the texts, icons, data and selection of its rows.
class SortableList final : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int TitleColumn = 0;   // compared as the user's language orders words
    static constexpr int AddressColumn = 1;

    explicit SortableList(QWidget *parent = nullptr);
    ~SortableList() override;
    Q_DISABLE_COPY_MOVE(SortableList)

    // Sorts rows low..high (high -1: the last row) by the text of a column,
    // without regard to case. Everything a row carries moves with it, selection
    // and focus included. Returns false when there is nothing to sort or the
    // column does not exist. Does not change what the header remembers.
    bool sortRows(int column, bool ascending, int low = 0, int high = -1);

    int lastSortColumn() const { return m_lastSortColumn; }
    bool lastSortAscending() const { return m_ascending; }

    // Replaces every row with rows, in the order sortRows(column, ascending)
    // would leave them, without first listing them unsorted. The header's sort
    // arrow goes: the next click on a column sorts it ascending.
    void setSortedRows(const QList<QTreeWidgetItem *> &rows, int column, bool ascending);

    // Deletes these rows; the others keep their order, selection and focus.
    void removeRows(const QList<QTreeWidgetItem *> &rows);
    // How many times the last sort compared two texts.
    qint64 lastComparisonCount() const { return m_comparisons; }

protected:
    bool viewportEvent(QEvent *event) override;

private:
    bool sortItems(std::vector<QTreeWidgetItem *> &items, int column, bool ascending);
    void forgetHeaderSort();
    void sortByHeader(int column);
    void showAddressTip(QHelpEvent *event);
    void reorderRows(const std::vector<QTreeWidgetItem *> &order);

    int m_lastSortColumn = -1;
    bool m_ascending = true;
    qint64 m_comparisons = 0;
    std::unique_ptr<ColumnSort> m_sort;
};
