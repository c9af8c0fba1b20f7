#pragma once

#include <QtGlobal>

#include <span>
#include <utility>
#include <vector>

// Maps a 32-bit key to the rules filed under it: a bucket per power-of-two slot
// pointing into (key, rule) arrays ordered by bucket then key, so a lookup reads
// one short run and allocates nothing. Most keys looked up have no rules: a
// small bit filter, rebuilt from the keys, turns them away from one cache line
// instead of two reads far apart in the large arrays.
class TokenIndex
{
public:
    TokenIndex() = default;
    // entries: (key, rule) pairs in any order.
    explicit TokenIndex(std::vector<std::pair<quint32, quint32>> entries);
    TokenIndex(std::vector<quint32> starts, std::vector<quint32> keys, std::vector<quint32> rules);

    std::span<const quint32> find(quint32 key) const
    {
        if (m_rules.empty() || !mayHold(key))
            return {};
        const quint32 bucket = spread(key) & quint32(m_starts.size() - 2);
        quint32 at = m_starts[bucket];
        const quint32 end = m_starts[bucket + 1];
        while (at < end && m_keys[at] != key)
            ++at;
        quint32 last = at;
        while (last < end && m_keys[last] == key)
            ++last;
        return {m_rules.data() + at, last - at};
    }

    const std::vector<quint32> &starts() const { return m_starts; }
    const std::vector<quint32> &keys() const { return m_keys; }
    const std::vector<quint32> &rules() const { return m_rules; }
    // False when the buckets point outside the rules (a damaged cache).
    bool isSound(quint32 ruleCount) const;
    size_t memoryUsage() const;

private:
    static quint32 spread(quint32 key) { return (key ^ (key >> 15)) * 0x2c1b3c6du >> 8; }
    // Two bits of one 64-bit word per key.
    static quint64 filterBits(quint32 key) { return (1ull << (key & 63)) | (1ull << (key >> 6 & 63)); }
    quint32 filterWord(quint32 key) const { return quint32(quint64(key * 0x9e3779b1u) >> m_filterShift); }
    bool mayHold(quint32 key) const
    {
        const quint64 bits = filterBits(key);
        return (m_filter[filterWord(key)] & bits) == bits;
    }
    void fillFilter();

    std::vector<quint32> m_starts; // buckets + 1 entries, buckets a power of two
    std::vector<quint32> m_keys;
    std::vector<quint32> m_rules;
    std::vector<quint64> m_filter; // about 8 bits per key, a power of two of words
    int m_filterShift = 32;
};
