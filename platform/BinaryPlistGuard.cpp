#include "BinaryPlistGuard.h"

#include <QHash>

#include <algorithm>

namespace {

constexpr int trailerSize = 32;
constexpr qint64 headerSize = 8;

// Walks the object table of one binary property list, memoising each object's
// expanded size so shared references are measured, not expanded.
class NodeCounter
{
public:
    NodeCounter(const QByteArray& bytes, qint64 limit) : m_bytes(bytes), m_limit(limit) {}

    bool withinLimit()
    {
        const qint64 trailer = m_bytes.size() - trailerSize;
        if (trailer < headerSize + 1)
            return false;
        m_offsetSize = byteAt(trailer + 6);
        m_referenceSize = byteAt(trailer + 7);
        quint64 count = 0;
        quint64 top = 0;
        quint64 table = 0;
        if (!readNumber(trailer + 8, 8, count) || !readNumber(trailer + 16, 8, top)
            || !readNumber(trailer + 24, 8, table))
            return false;
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8
            || count == 0 || count > quint64(trailer) || top >= count || table > quint64(trailer)
            || count * quint64(m_offsetSize) > quint64(trailer) - table)
            return false;
        m_objectCount = count;
        m_tableOffset = qint64(table);
        return nodes(top, 0) >= 0;
    }

private:
    static constexpr qint64 refused = -1;
    static constexpr qint64 visiting = -2;

    quint8 byteAt(qint64 position) const { return quint8(m_bytes.at(position)); }

    bool readNumber(qint64 position, int width, quint64& value) const
    {
        if (position < 0 || width > 8 || position + width > m_bytes.size())
            return false;
        value = 0;
        for (int i = 0; i < width; ++i)
            value = (value << 8) | byteAt(position + i);
        return true;
    }

    // The expanded node count of one object, or refused.
    qint64 nodes(quint64 index, int depth)
    {
        if (index >= m_objectCount || depth > BinaryPlistGuard::maximumDepth)
            return refused;
        if (const auto known = m_counts.constFind(index); known != m_counts.cend())
            return *known == visiting ? refused : *known;
        quint64 offset = 0;
        if (!readNumber(m_tableOffset + qint64(index) * m_offsetSize, m_offsetSize, offset)
            || offset < quint64(headerSize) || offset >= quint64(m_bytes.size() - trailerSize))
            return refused;
        qint64 position = qint64(offset);
        const quint8 marker = byteAt(position++);
        const int type = marker >> 4;
        quint64 length = marker & 0x0F;
        const bool container = type == 0xA || type == 0xC || type == 0xD;
        const bool sized = type == 0x4 || type == 0x5 || type == 0x6; // data, ASCII and UTF-16 strings
        if ((container || sized) && length == 0x0F && !readExtendedLength(position, length))
            return refused;
        // Every copy of a string or data object costs its bytes too.
        if (sized) {
            const quint64 payload = std::min(type == 0x6 ? length * 2 : length, quint64(m_bytes.size()));
            return 1 + qint64(payload / BinaryPlistGuard::bytesPerNode);
        }
        // Arrays (0xA), sets (0xC) and dictionaries (0xD) hold references; all else is a small leaf.
        if (!container)
            return 1;
        const quint64 references = type == 0xD ? length * 2 : length;
        const quint64 available = quint64(m_bytes.size() - trailerSize - position);
        if (length > available || references * quint64(m_referenceSize) > available)
            return refused;

        m_counts.insert(index, visiting);
        qint64 total = 1;
        for (quint64 i = 0; i < references; ++i) {
            quint64 child = 0;
            readNumber(position + qint64(i) * m_referenceSize, m_referenceSize, child);
            const qint64 count = nodes(child, depth + 1);
            if (count < 0)
                return refused;
            total += count;
            if (total > m_limit)
                return refused;
        }
        m_counts.insert(index, total);
        return total;
    }

    // A length of 15 or more follows the marker as an integer object.
    bool readExtendedLength(qint64& position, quint64& length) const
    {
        if (position >= m_bytes.size())
            return false;
        const quint8 marker = byteAt(position++);
        if (marker >> 4 != 0x1 || (marker & 0x0F) > 3)
            return false;
        const int width = 1 << (marker & 0x0F);
        if (!readNumber(position, width, length))
            return false;
        position += width;
        return true;
    }

    const QByteArray& m_bytes;
    const qint64 m_limit;
    int m_offsetSize = 0;
    int m_referenceSize = 0;
    quint64 m_objectCount = 0;
    qint64 m_tableOffset = 0;
    QHash<quint64, qint64> m_counts;
};

} // namespace

bool BinaryPlistGuard::withinNodeLimit(const QByteArray& bytes, qint64 maximumNodes)
{
    if (!bytes.startsWith("bplist00"))
        return true;
    return NodeCounter(bytes, maximumNodes).withinLimit();
}
