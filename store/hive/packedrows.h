#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Rows of a hive read on a thread of its own and kept until asked for: place,
// name and data of each, packed into a few blocks rather than two allocations
// a row, so that many rows cost little to build and to free.
class PackedRows final
{
public:
    void append(qint64 place, QByteArrayView name, QByteArrayView data = {})
    {
        m_places.push_back(place);
        m_bytes.append(name);
        m_ends.push_back(quint32(m_bytes.size()));
        m_bytes.append(data);
        m_ends.push_back(quint32(m_bytes.size()));
    }

    std::size_t size() const { return m_places.size(); }

    // visit(place, name, data) for each row, in the order they were appended.
    template <typename Visit> void visit(Visit &&visit) const
    {
        const QByteArrayView bytes(m_bytes);
        quint32 from = 0;
        for (std::size_t row = 0; row < m_places.size(); ++row) {
            const quint32 nameEnd = m_ends[2 * row];
            const quint32 dataEnd = m_ends[2 * row + 1];
            visit(m_places[row], bytes.sliced(from, nameEnd - from),
                  bytes.sliced(nameEnd, dataEnd - nameEnd));
            from = dataEnd;
        }
    }

private:
    std::vector<qint64> m_places;
    std::vector<quint32> m_ends; // where each name, then its data, ends in m_bytes
    QByteArray m_bytes;
};
