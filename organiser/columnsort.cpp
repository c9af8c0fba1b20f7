#include "organiser/columnsort.h"

#include "organiser/rowquicksort.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <optional>

namespace {

int foldedChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
    return QChar::toCaseFolded(u);
}

// Titles compare as the user's language orders words, without regard to case.
// The C locale knows no such order: the common root order stands in for it.
QCollator titleCollator()
{
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

// Single characters compare by their folded code alone: the same order as
// comparing their texts, without a string per row.
struct CharRow
{
    int key;
    int row;
};

struct TextRow
{
    QString text;
    int row;
    std::optional<QCollatorSortKey> key; // titles only
};

std::optional<std::vector<CharRow>> charRows(const std::vector<int> &order, int column,
                                             const std::function<QString(int, int)> &textOf)
{
    std::vector<CharRow> rows;
    rows.reserve(order.size());
    for (int row : order) {
        const QString text = textOf(row, column);
        if (text.size() != 1)
            return std::nullopt;
        rows.push_back({foldedChar(text.front()), row});
    }
    return rows;
}

// Sorts rows in place and puts their numbers back into order; true when any moved.
template <typename Row, typename Compare>
bool quicksortRows(std::vector<Row> &rows, std::vector<int> &order, Compare compare, bool ascending,
                   qint64 &comparisons)
{
    RowQuicksort<Row, Compare> quicksort(rows, compare, ascending);
    quicksort.sort(0, qsizetype(rows.size()) - 1);
    comparisons = quicksort.comparisons();
    if (!quicksort.moved())
        return false;
    for (std::size_t i = 0; i < rows.size(); ++i)
        order[i] = rows[i].row;
    return true;
}

} // namespace

ColumnSort::ColumnSort() = default;
ColumnSort::~ColumnSort() = default;

bool ColumnSort::sortByCharacter(std::vector<int> &order, bool ascending,
                                 const std::function<QChar(int)> &character)
{
    std::vector<CharRow> rows;
    rows.reserve(order.size());
    for (int row : order)
        rows.push_back({foldedChar(character(row)), row});
    return quicksortRows(
        rows, order, [](const CharRow &a, const CharRow &b) { return a.key - b.key; }, ascending,
        m_comparisons);
}

bool ColumnSort::sort(std::vector<int> &order, int column, bool ascending,
                      const std::function<QString(int, int)> &text)
{
    m_comparisons = 0;
    if (column != TitleColumn) {
        if (std::optional<std::vector<CharRow>> rows = charRows(order, column, text))
            return quicksortRows(
                *rows, order, [](const CharRow &a, const CharRow &b) { return a.key - b.key; },
                ascending, m_comparisons);
    }
    if (column == TitleColumn && !m_collator)
        m_collator = std::make_unique<QCollator>(titleCollator());
    // Each title carries its collation key, made once, so that each comparison is cheap.
    std::vector<TextRow> rows;
    rows.reserve(order.size());
    for (int row : order) {
        TextRow sortRow{text(row, column), row, std::nullopt};
        if (column == TitleColumn)
            sortRow.key = m_collator->sortKey(sortRow.text);
        rows.push_back(std::move(sortRow));
    }
    auto compare = [](const TextRow &a, const TextRow &b) {
        if (a.key && b.key)
            return a.key->compare(*b.key);
        // As the single-character sort compares them, where other texts are longer.
        if (a.text.size() == 1 && b.text.size() == 1)
            return foldedChar(a.text.front()) - foldedChar(b.text.front());
        return QString::compare(a.text, b.text, Qt::CaseInsensitive);
    };
    return quicksortRows(rows, order, compare, ascending, m_comparisons);
}
