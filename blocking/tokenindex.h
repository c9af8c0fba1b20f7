#pragma once

#include <QtGlobal>

#include <span>
#include <utility>
#include <vector>

// Maps a 32-bit key to the rules filed under it: an open-addressed table of slots
// over one array of rule numbers, so a lookup is a probe or two and no allocation.
class TokenIndex
{
public:
    struct Slot
    {
        quint32 key = 0;
        quint32 start = 0;
        quint32 count = 0; // 0: empty slot
    };

    TokenIndex() = default;
    // entries: (key, rule) pairs in any order.
    explicit TokenIndex(std::vector<std::pair<quint32, quint32>> entries);
    TokenIndex(std::vector<Slot> table, std::vector<quint32> rules);

    std::span<const quint32> find(quint32 key) const
    {
        if (m_slots.empty())
            return {};
        const quint32 mask = quint32(m_slots.size() - 1);
        for (quint32 at = spread(key) & mask;; at = (at + 1) & mask) {
            const Slot &slot = m_slots[at];
            if (slot.count == 0)
                return {};
            if (slot.key == key)
                return {m_rules.data() + slot.start, slot.count};
        }
    }

    const std::vector<Slot> &table() const { return m_slots; }
    const std::vector<quint32> &rules() const { return m_rules; }
    // False when the table could loop or point outside the rules (a damaged cache).
    bool isSound(quint32 ruleCount) const;
    size_t memoryUsage() const;

private:
    static quint32 spread(quint32 key) { return (key ^ (key >> 15)) * 0x2c1b3c6du; }

    std::vector<Slot> m_slots; // size a power of two, at least one empty
    std::vector<quint32> m_rules;
};
