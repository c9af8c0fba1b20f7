#pragma once

#include <QtGlobal>

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

// The list's quicksort over a range of rows: the pivot is the middle row's key,
// copied once; rows that compare equal are never swapped with each other, which
// decides where rows differing only in case end up.
//
// It recurses into the smaller part only and loops over the larger, so the stack
// stays O(log n) deep. A partition depth far beyond what ordinary data reaches
// hands that part to a stable merge sort, so an unlucky or crafted order cannot
// make the sort quadratic; ordinary data never gets there and keeps the order
// described above.
//
// compare(a, b) returns <0, 0 or >0 like QString::compare.
template <typename Row, typename Compare> class RowQuicksort final
{
public:
    RowQuicksort(std::vector<Row> &rows, Compare compare, bool ascending)
        : m_rows(rows), m_compare(std::move(compare)), m_ascending(ascending)
    {
    }

    // Sorts rows low..high (both included).
    void sort(qsizetype low, qsizetype high)
    {
        if (low < 0 || high >= qsizetype(m_rows.size()) || low >= high)
            return;
        const auto count = std::make_unsigned_t<qsizetype>(high - low + 1);
        sortRange(low, high, 4 * int(std::bit_width(count)) + 16);
    }

    qint64 comparisons() const { return m_comparisons; }
    bool fellBack() const { return m_fellBack; }
    bool moved() const { return m_moved; }

private:
    // Direction folded in: negative when a belongs before b.
    int order(const Row &a, const Row &b)
    {
        ++m_comparisons;
        const int result = m_compare(a, b);
        return m_ascending ? result : -result;
    }

    void sortRange(qsizetype low, qsizetype high, int depthLeft)
    {
        while (low < high) {
            if (depthLeft-- == 0) {
                mergeSort(low, high);
                return;
            }
            const Row pivot = m_rows[std::size_t((low + high) / 2)];
            qsizetype lo = low;
            qsizetype hi = high;
            while (lo <= hi) {
                while (lo < high && order(at(lo), pivot) < 0)
                    ++lo;
                while (hi > low && order(at(hi), pivot) > 0)
                    --hi;
                if (lo <= hi) {
                    if (lo != hi && order(at(lo), at(hi)) != 0) {
                        std::swap(at(lo), at(hi));
                        m_moved = true;
                    }
                    ++lo;
                    --hi;
                }
            }
            // low..hi and lo..high do not overlap, so their order of sorting
            // does not change the result.
            if (hi - low < high - lo) {
                sortRange(low, hi, depthLeft);
                low = lo;
            } else {
                sortRange(lo, high, depthLeft);
                high = hi;
            }
        }
    }

    void mergeSort(qsizetype low, qsizetype high)
    {
        m_fellBack = true;
        m_moved = true;
        std::stable_sort(m_rows.begin() + low, m_rows.begin() + high + 1,
                         [this](const Row &a, const Row &b) { return order(a, b) < 0; });
    }

    Row &at(qsizetype index) { return m_rows[std::size_t(index)]; }

    std::vector<Row> &m_rows;
    Compare m_compare;
    bool m_ascending;
    qint64 m_comparisons = 0;
    bool m_fellBack = false;
    bool m_moved = false;
};
