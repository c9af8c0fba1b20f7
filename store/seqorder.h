#pragma once

#include <QtGlobal>

#include <algorithm>

// Lists of bookmarks and folders are kept in the hive's order, by seq.
namespace SeqOrder {

template<typename List, typename Item>
auto position(List &list, const Item *item)
{
    return std::lower_bound(list.begin(), list.end(), item->seq,
                            [](const auto &entry, qint64 seq) { return entry->seq < seq; });
}

template<typename List>
auto after(const List &list, qint64 seq)
{
    return std::upper_bound(list.begin(), list.end(), seq,
                            [](qint64 s, const auto &entry) { return s < entry->seq; });
}

inline constexpr auto before = [](const auto &a, const auto &b) { return a->seq < b->seq; };

} // namespace SeqOrder
