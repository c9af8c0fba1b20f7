#pragma once

#include "import/importlistmodel.h"

#include <QTreeView>

#include <memory>
#include <vector>

class ColumnSort;

// A report-style list of import lines, each with a check box before its
// title. A click on a line's text toggles its box, as a click on the box
// does; a left click on a column header sorts by that column, ascending first
// and toggling on repeated clicks; hovering over a line shows its address.
// Lines are named by their place in the list, from 0.
class ImportList final : public QTreeView
{
    Q_OBJECT

public:
    using Line = ImportListModel::Line;

    explicit ImportList(QWidget *parent = nullptr);
    ~ImportList() override;
    Q_DISABLE_COPY_MOVE(ImportList)

    ImportListModel *lines() const { return m_model; }
    void setHeaderLabels(const QStringList &labels);

    int rowCount() const { return m_model->rowCount(); }
    QString text(int line, int column) const { return m_model->text(line, column); }
    bool isChecked(int line) const { return m_model->line(line).checked; }
    void setChecked(int line, bool checked) { m_model->setChecked(line, checked); }
    QRect lineRect(int line, int column = 0) const;

    // Replaces every line with lines, in the order sortRows(column, ascending)
    // would leave them. The header's sort arrow goes: the next click on a
    // column sorts it ascending.
    void setSortedLines(std::vector<Line> lines, int column, bool ascending);
    // Sorts every line by the text of a column; selection and focus move with
    // their lines. False when there is nothing to sort.
    bool sortRows(int column, bool ascending);
    int lastSortColumn() const { return m_lastSortColumn; }
    bool lastSortAscending() const { return m_ascending; }

protected:
    bool viewportEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::vector<int> sortedOrder(int count, int column, bool ascending,
                                 const std::function<QString(int, int)> &text);
    void sortByHeader(int column);
    void toggleClickedLine(const QModelIndex &index);

    ImportListModel *m_model;
    std::unique_ptr<ColumnSort> m_sort;
    int m_lastSortColumn = -1;
    bool m_ascending = true;
    int m_pressedLine = -1;
    bool m_pressedChecked = false;
};
