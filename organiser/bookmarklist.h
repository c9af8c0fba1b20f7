#pragma once

#include "organiser/bookmarklistmodel.h"

#include <QTableView>

#include <memory>
#include <vector>

class ColumnSort;
class QMimeData;

// The report-style list of bookmarks: title, web address and star rating. Its
// rows live in a model of their own, so that only the rows shown cost more
// than their stored texts. A left click on a column header sorts by that
// column, ascending first and toggling on repeated clicks; hovering over any
// cell shows the row's web address. The selected rows can be dragged onto a
// FolderTree as bookmarks (DragState's bookmark-drag flag is set meanwhile).
// Rows are named by their place in the list, from 0.
class BookmarkList final : public QTableView
{
    Q_OBJECT

public:
    using Row = BookmarkListModel::Row;
    using Column = BookmarkListModel::Column;

    explicit BookmarkList(const QIcon &rowIcon, QWidget *parent = nullptr);
    ~BookmarkList() override;
    Q_DISABLE_COPY_MOVE(BookmarkList)

    void setHeaderLabels(const QStringList &labels);

    int rowCount() const;
    QString text(int row, int column) const;
    // The number the row was listed under.
    int number(int row) const;
    QString toolTip(int row) const;

    // Replaces every row with rows, in the order sortRows(column, ascending)
    // would leave them. The header's sort arrow goes: the next click on a
    // column sorts it ascending.
    void setSortedRows(std::vector<Row> rows, int column, bool ascending);
    void appendRow(Row row);
    void setRowFields(int row, const BookmarkFields &fields);
    // Deletes these rows; the others keep their order, selection and focus.
    void removeRows(const QList<int> &rows);
    // Sorts every row by the text of a column, without regard to case; the
    // selection and focus move with their rows. False when there is nothing to sort.
    bool sortRows(int column, bool ascending);

    // The selected rows, in list order.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);
    // -1 when no row has the focus.
    int currentRow() const;
    // Gives the row the focus and selects it alone; -1 clears the focus.
    void setCurrentRow(int row);
    QRect rowRect(int row) const;
    void scrollToRow(int row);

    // A drag of the selected rows: sets the bookmark-drag flag and returns the
    // drag's data, or null when no row is selected. endBookmarkDrag clears the
    // flag. startDrag runs both around the drag loop; tests call them around
    // the drag events they deliver.
    std::unique_ptr<QMimeData> beginBookmarkDrag();
    void endBookmarkDrag();

protected:
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    int fixedRowHeight() const;
    void sortByHeader(int column);
    void forgetHeaderSort();
    std::vector<int> sortedOrder(int count, int column, bool ascending,
                                 const std::function<QString(int, int)> &text);

    BookmarkListModel *m_model;
    std::unique_ptr<ColumnSort> m_sort;
    int m_lastSortColumn = -1;
    bool m_ascending = true;
};
