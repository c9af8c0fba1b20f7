#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

class QCollator;
class QChar;
class QString;

// How the lists order their rows by one column: titles (column 0) as the
// user's language orders words, other texts without regard to case, and
// single characters (the star ratings) by their folded code alone. Rows that
// compare equal keep their places relative to each other where the quicksort
// leaves them, which the lists have always shown.
class ColumnSort final
{
public:
    static constexpr int TitleColumn = 0;

    ColumnSort();
    ~ColumnSort();
    Q_DISABLE_COPY_MOVE(ColumnSort)

    // Puts the rows named in order into the column's order; text(row, column)
    // answers a row's text. True when any row moved.
    bool sort(std::vector<int> &order, int column, bool ascending,
              const std::function<QString(int row, int column)> &text);
    // The same order for a column whose every text is one character, from the
    // characters alone: the caller need not make a text per row.
    bool sortByCharacter(std::vector<int> &order, bool ascending,
                         const std::function<QChar(int row)> &character);
    // How many times the last sort compared two rows.
    qint64 comparisons() const { return m_comparisons; }

private:
    std::unique_ptr<QCollator> m_collator; // made on the first title sort
    qint64 m_comparisons = 0;
};
