#pragma once

#include <QByteArrayView>

#include <algorithm>
#include <memory>
#include <vector>

// Rows of a hive read on a thread of its own and kept until asked for: place,
// name and data of each, packed into blocks of a fixed size rather than two
// allocations a row, so that many rows cost little to build and to free. The
// blocks never grow: one array doubled as it fills would be copied, and mapped
// and unmapped afresh, about twenty times on the way to a megabyte.
class PackedRows final
{
public:
    static constexpr qsizetype BlockSize = 64 * 1024; // one larger row gets a block to itself

    void append(qint64 place, QByteArrayView name, QByteArrayView data = {})
    {
        const qsizetype size = name.size() + data.size();
        if (m_blocks.empty() || startsBlock(m_used, size)) {
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(std::max(size, BlockSize)));
            m_used = 0;
        }
        char *at = m_blocks.back().get() + m_used;
        std::copy(name.begin(), name.end(), at);
        std::copy(data.begin(), data.end(), at + name.size());
        m_used += size;
        m_rows.push_back({place, quint32(name.size()), quint32(data.size())});
    }

    std::size_t size() const { return m_rows.size(); }

    // visit(place, name, data) for each row, in the order they were appended.
    template <typename Visit> void visit(Visit &&visit) const
    {
        // Where each row lies follows from the sizes, as append placed them.
        std::size_t blocks = 0; // begun so far
        qsizetype used = 0;
        for (const Row &row : m_rows) {
            const qsizetype size = qsizetype(row.nameSize) + row.dataSize;
            if (blocks == 0 || startsBlock(used, size)) {
                ++blocks;
                used = 0;
            }
            const char *at = m_blocks[blocks - 1].get() + used;
            used += size;
            visit(row.place, QByteArrayView(at, row.nameSize),
                  QByteArrayView(at + row.nameSize, row.dataSize));
        }
    }

private:
    struct Row // its name, then its data, follow those of the row before
    {
        qint64 place;
        quint32 nameSize;
        quint32 dataSize;
    };

    static bool startsBlock(qsizetype used, qsizetype size) { return BlockSize - used < size; }

    std::vector<Row> m_rows;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_used = 0; // in the last block
};
