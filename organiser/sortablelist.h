#pragma once

#include <QTreeWidget>

class QCollator;

#include <memory>
#include <vector>

// A report-style list whose rows sort in place by the text of any column. A
// left click on a column header sorts by that column, ascending first and
// toggling on repeated clicks; hovering over any cell shows the row's web
// address. It knows only the texts, icons, data and selection of its rows.
// With setDragEnabled(true) the selected rows can be dragged onto a FolderTree
// as bookmarks (DragState's bookmark-drag flag is set meanwhile).
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

    // A drag of the selected rows: sets the bookmark-drag flag and returns the
    // drag's data, or null when no row is selected. endBookmarkDrag clears the
    // flag. startDrag runs both around the drag loop; tests call them around
    // the drag events they deliver.
    std::unique_ptr<QMimeData> beginBookmarkDrag();
    void endBookmarkDrag();

protected:
    bool viewportEvent(QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;

private:
    struct SortRow;
    bool sortItems(std::vector<QTreeWidgetItem *> &items, int column, bool ascending);
    SortRow sortRow(QTreeWidgetItem *item, int column);
    void forgetHeaderSort();
    void sortByHeader(int column);
    void showAddressTip(QHelpEvent *event);
    void reorderRows(const std::vector<QTreeWidgetItem *> &order);

    int m_lastSortColumn = -1;
    bool m_ascending = true;
    qint64 m_comparisons = 0;
    std::unique_ptr<QCollator> m_collator; // made on the first title sort
};
