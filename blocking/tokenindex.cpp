#include "blocking/tokenindex.h"

#include <algorithm>
#include <bit>

TokenIndex::TokenIndex(std::vector<std::pair<quint32, quint32>> entries)
{
    if (entries.empty())
        return;
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    size_t keys = 0;
    for (size_t i = 0; i < entries.size(); ++i)
        keys += i == 0 || entries[i].first != entries[i - 1].first;
    m_slots.resize(std::bit_ceil(keys * 2 + 1));
    m_rules.reserve(entries.size());
    const quint32 mask = quint32(m_slots.size() - 1);
    for (size_t i = 0; i < entries.size();) {
        const quint32 key = entries[i].first;
        const quint32 start = quint32(m_rules.size());
        for (; i < entries.size() && entries[i].first == key; ++i)
            m_rules.push_back(entries[i].second);
        quint32 at = spread(key) & mask;
        while (m_slots[at].count != 0)
            at = (at + 1) & mask;
        m_slots[at] = {key, start, quint32(m_rules.size()) - start};
    }
}

TokenIndex::TokenIndex(std::vector<Slot> table, std::vector<quint32> rules)
    : m_slots(std::move(table)), m_rules(std::move(rules))
{
}

bool TokenIndex::isSound(quint32 ruleCount) const
{
    if (m_slots.empty())
        return m_rules.empty();
    if (!std::has_single_bit(m_slots.size()))
        return false;
    bool hasEmpty = false;
    for (const Slot &slot : m_slots) {
        hasEmpty |= slot.count == 0;
        if (slot.count != 0 && (slot.start > m_rules.size() || slot.count > m_rules.size() - slot.start))
            return false;
    }
    return hasEmpty && std::all_of(m_rules.begin(), m_rules.end(),
                                   [ruleCount](quint32 rule) { return rule < ruleCount; });
}

size_t TokenIndex::memoryUsage() const
{
    return m_slots.capacity() * sizeof(Slot) + m_rules.capacity() * sizeof(quint32);
}
