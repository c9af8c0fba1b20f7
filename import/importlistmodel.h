#pragma once

#include "import/readers/importrow.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// The lines of one import list: a bookmark's title, address and folder label,
// its check box, and the number of the row it was read as. One reset or one
// change stands for any number of lines, so a list of 100,000 costs a screen
// reader no more than it costs the screen.
class ImportListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TitleColumn, AddressColumn, FolderColumn, ColumnCount };
    static constexpr int RowRole = Qt::UserRole; // the line's row in the reader's list

    struct Line
    {
        QString title;
        QString address;
        QString label;
        int row = 0;
        bool checked = false;
    };

    explicit ImportListModel(QObject *parent = nullptr);

    // The lines of rows, unchecked, each numbered by its place in rows.
    static std::vector<Line> linesOf(const ImportRows &rows);

    void setHeaderLabels(const QStringList &labels);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const Line &line(int line) const { return m_lines[std::size_t(line)]; }
    QString text(int line, int column) const;

    // Replaces every line.
    void setLines(std::vector<Line> lines);
    void setChecked(int line, bool checked);
    void setAllChecked(bool checked);
    // The rows of the checked lines, in list order.
    QList<int> checkedRows() const;
    // Puts the lines into this order of their present places; indexes follow.
    void reorder(const std::vector<int> &order);

private:
    std::vector<Line> m_lines;
    QStringList m_labels;
};
