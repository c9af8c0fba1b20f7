#include "blocking/tokenindex.h"

#include <algorithm>
#include <bit>
#include <tuple>

TokenIndex::TokenIndex(std::vector<std::pair<quint32, quint32>> entries)
{
    if (entries.empty())
        return;
    std::vector<quint32> keys;
    keys.reserve(entries.size());
    for (const auto &entry : entries)
        keys.push_back(entry.first);
    std::sort(keys.begin(), keys.end());
    const size_t distinct = size_t(std::unique(keys.begin(), keys.end()) - keys.begin());
    const quint32 buckets = quint32(std::bit_ceil(distinct));
    const quint32 mask = buckets - 1;
    // Rules keep the order they were added in within a key: lists' order decides ties.
    std::stable_sort(entries.begin(), entries.end(), [mask](const auto &a, const auto &b) {
        return std::make_tuple(spread(a.first) & mask, a.first)
            < std::make_tuple(spread(b.first) & mask, b.first);
    });
    m_starts.assign(buckets + 1, 0);
    m_keys.reserve(entries.size());
    m_rules.reserve(entries.size());
    for (const auto &[key, rule] : entries) {
        ++m_starts[(spread(key) & mask) + 1];
        m_keys.push_back(key);
        m_rules.push_back(rule);
    }
    for (quint32 b = 0; b < buckets; ++b)
        m_starts[b + 1] += m_starts[b];
    fillFilter();
}

TokenIndex::TokenIndex(std::vector<quint32> starts, std::vector<quint32> keys,
                       std::vector<quint32> rules)
    : m_starts(std::move(starts)), m_keys(std::move(keys)), m_rules(std::move(rules))
{
    fillFilter();
}

void TokenIndex::fillFilter()
{
    m_filter.clear();
    m_filterShift = 32;
    if (m_rules.empty())
        return;
    const size_t words = std::bit_ceil(std::max<size_t>(m_keys.size() / 8, 1));
    m_filter.assign(words, 0);
    m_filterShift = 32 - std::countr_zero(words);
    for (const quint32 key : m_keys)
        m_filter[filterWord(key)] |= filterBits(key);
}

bool TokenIndex::isSound(quint32 ruleCount) const
{
    if (m_rules.empty())
        return m_starts.empty() && m_keys.empty();
    if (m_starts.size() < 2 || !std::has_single_bit(m_starts.size() - 1)
        || m_keys.size() != m_rules.size() || m_starts.front() != 0
        || m_starts.back() != m_rules.size() || !std::is_sorted(m_starts.begin(), m_starts.end()))
        return false;
    return std::all_of(m_rules.begin(), m_rules.end(),
                       [ruleCount](quint32 rule) { return rule < ruleCount; });
}

size_t TokenIndex::memoryUsage() const
{
    return (m_starts.capacity() + m_keys.capacity() + m_rules.capacity()) * sizeof(quint32)
        + m_filter.capacity() * sizeof(quint64);
}
