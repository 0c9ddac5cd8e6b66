#include "BinaryPlist.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace BinaryPlist;

// The location of one object's payload, read from its marker.
struct ObjectHeader
{
    quint8 type = 0; // high nibble of the marker
    quint8 info = 0; // low nibble
    qint64 payload = 0;
    quint64 length = 0; // items, characters or bytes, as the type counts them
};

// What an object decoded to, how many nodes it counts for wherever it
// appears, and how many levels of containers it holds.
struct Decoded
{
    PlistValue value;
    qint64 weight = 1;
    int height = 0;
};

// An array or dictionary whose references are being followed.
struct Frame
{
    quint64 index = 0;
    ObjectHeader header;
    quint64 next = 0; // the next item, or key/value pair
    PlistValue::Array items;
    PlistValue::Dictionary entries;
    QString key; // of the pair whose value is being decoded
    qint64 weight = 1;
    int height = 1;
};

// Walks the object graph from the top object with an explicit stack, so no
// file can exhaust the call stack, and remembers every object it finished so
// a shared one is decoded once. Objects on the stack are open: meeting one
// again is a cycle. A finished container may be met again deeper down, so
// nesting is checked against its height where it lands.
class Reader
{
public:
    Reader(const QByteArray& bytes, const PropertyList::Limits& limits) : m_bytes(bytes), m_limits(limits) { }

    PropertyList::ParseResult read()
    {
        if (!readTrailer() || !visit(m_top))
            return m_error;
        while (!m_stack.empty() && m_error.isEmpty()) {
            Frame& frame = m_stack.back();
            if (frame.next == frame.header.length)
                finish();
            else
                step(frame);
        }
        if (!m_error.isEmpty())
            return m_error;
        return std::move(m_result);
    }

private:
    bool fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
        return false;
    }

    quint8 byteAt(qint64 position) const { return quint8(m_bytes.at(position)); }

    // A big-endian unsigned number of 1 to 8 bytes; the caller checked the bounds.
    quint64 number(qint64 position, int width) const
    {
        quint64 value = 0;
        for (int i = 0; i < width; ++i)
            value = (value << 8) | byteAt(position + i);
        return value;
    }

    bool readTrailer()
    {
        const qint64 trailer = m_bytes.size() - trailerSize;
        if (trailer < headerSize + 1)
            return fail(QStringLiteral("binary property list too short"));
        m_offsetSize = byteAt(trailer + 6);
        m_referenceSize = byteAt(trailer + 7);
        const quint64 count = number(trailer + 8, 8);
        m_top = number(trailer + 16, 8);
        const quint64 table = number(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8)
            return fail(QStringLiteral("binary property list with offsets of %1 or references of %2 bytes")
                            .arg(m_offsetSize)
                            .arg(m_referenceSize));
        if (table <= quint64(headerSize) || table > quint64(trailer) || count == 0
            || count > (quint64(trailer) - table) / quint64(m_offsetSize))
            return fail(QStringLiteral("binary property list offset table out of range"));
        if (m_top >= count)
            return fail(QStringLiteral("top object %1 out of range").arg(m_top));
        m_objectCount = count;
        m_tableOffset = qint64(table);
        return true;
    }

    // Reads the marker of one object and checks that its payload lies in the object area.
    std::optional<ObjectHeader> header(quint64 index)
    {
        const quint64 offset = number(m_tableOffset + qint64(index) * m_offsetSize, m_offsetSize);
        if (offset < quint64(headerSize) || offset >= quint64(m_tableOffset)) {
            fail(QStringLiteral("object %1 lies outside the object area").arg(index));
            return std::nullopt;
        }
        ObjectHeader object;
        qint64 position = qint64(offset);
        const quint8 marker = byteAt(position++);
        object.type = marker & 0xF0;
        object.info = marker & 0x0F;
        quint64 bytes = 0;
        switch (object.type) {
        case 0x00:
            if (marker != False && marker != True)
                return unsupported(index, marker);
            break;
        case Integer:
            if (object.info > 4)
                return unsupported(index, marker);
            bytes = 1u << object.info;
            break;
        case Real:
            if (object.info != 2 && object.info != 3)
                return unsupported(index, marker);
            bytes = 1u << object.info;
            break;
        case Date:
            if (object.info != 3)
                return unsupported(index, marker);
            bytes = 8;
            break;
        case Uid:
            if (object.info > 7)
                return unsupported(index, marker);
            bytes = object.info + 1u;
            break;
        case Data:
        case AsciiString:
        case Utf16String:
        case Array:
        case Dictionary: {
            if (!readLength(index, object, position))
                return std::nullopt;
            // Lengths were checked against the file, so these products cannot overflow.
            const quint64 unit = object.type == Utf16String ? 2
                : object.type == Array                      ? quint64(m_referenceSize)
                : object.type == Dictionary                 ? 2 * quint64(m_referenceSize)
                                                            : 1;
            bytes = object.length * unit;
            break;
        }
        default:
            return unsupported(index, marker);
        }
        if (bytes > quint64(m_tableOffset - position)) {
            fail(QStringLiteral("object %1 runs past the object area").arg(index));
            return std::nullopt;
        }
        object.payload = position;
        return object;
    }

    std::nullopt_t unsupported(quint64 index, quint8 marker)
    {
        fail(QStringLiteral("object %1 has the unsupported marker 0x%2").arg(index).arg(marker, 2, 16, QChar('0')));
        return std::nullopt;
    }

    // The length is the low nibble, or an integer object of 1 to 8 bytes after the marker.
    bool readLength(quint64 index, ObjectHeader& object, qint64& position)
    {
        object.length = object.info;
        if (object.info != extendedLength)
            return true;
        const qint64 end = m_tableOffset;
        if (position >= end || (byteAt(position) & 0xF0) != Integer || (byteAt(position) & 0x0F) > 3)
            return fail(QStringLiteral("object %1 has a malformed length").arg(index));
        const int width = 1 << (byteAt(position) & 0x0F);
        if (width > end - position - 1)
            return fail(QStringLiteral("object %1 runs past the object area").arg(index));
        object.length = number(position + 1, width);
        position += 1 + width;
        if (object.length > quint64(end - position))
            return fail(QStringLiteral("object %1 runs past the object area").arg(index));
        return true;
    }

    quint64 reference(const Frame& frame, quint64 slot) const
    {
        return number(frame.header.payload + qint64(slot) * m_referenceSize, m_referenceSize);
    }

    // Follows the next reference of the frame on top of the stack.
    void step(Frame& frame)
    {
        const quint64 slot = frame.next++;
        if (frame.header.type == Array) {
            visit(reference(frame, slot));
            return;
        }
        const quint64 keyIndex = reference(frame, slot);
        const std::optional<Decoded> key = keyAt(keyIndex);
        if (!key)
            return;
        frame.key = *key->value.toString();
        if (frame.entries.contains(frame.key)) {
            fail(QStringLiteral("dictionary object %1 repeats a key").arg(frame.index));
            return;
        }
        if (addWeight(frame, key->weight))
            visit(reference(frame, frame.header.length + slot));
    }

    // Hands an object's value to the frame that refers to it, or decodes a
    // container by pushing it.
    bool visit(quint64 index)
    {
        if (index >= m_objectCount)
            return fail(QStringLiteral("object reference %1 out of range").arg(index));
        if (const auto known = m_done.constFind(index); known != m_done.cend())
            return deliver(*known);
        if (m_open.contains(index))
            return fail(QStringLiteral("reference cycle through object %1").arg(index));
        const std::optional<ObjectHeader> object = header(index);
        if (!object)
            return false;
        if (object->type != Array && object->type != Dictionary) {
            const std::optional<Decoded> leaf = decodeLeaf(index, *object);
            if (!leaf)
                return false;
            m_done.insert(index, *leaf);
            return deliver(*leaf);
        }
        if (qint64(m_stack.size()) >= m_limits.depth)
            return fail(QStringLiteral("nested deeper than %1").arg(m_limits.depth));
        Frame frame;
        frame.index = index;
        frame.header = *object;
        if (!spend(1))
            return false;
        m_open.insert(index);
        m_stack.push_back(std::move(frame));
        return true;
    }

    // A dictionary key: a string object, remembered for later references.
    std::optional<Decoded> keyAt(quint64 index)
    {
        if (index >= m_objectCount) {
            fail(QStringLiteral("object reference %1 out of range").arg(index));
            return std::nullopt;
        }
        if (const auto known = m_done.constFind(index); known != m_done.cend()) {
            if (!known->value.isString())
                return notAKey(index);
            return *known;
        }
        const std::optional<ObjectHeader> object = header(index);
        if (!object)
            return std::nullopt;
        if (object->type != AsciiString && object->type != Utf16String)
            return notAKey(index);
        std::optional<Decoded> leaf = decodeLeaf(index, *object);
        if (leaf)
            m_done.insert(index, *leaf);
        return leaf;
    }

    std::nullopt_t notAKey(quint64 index)
    {
        fail(QStringLiteral("dictionary key %1 is not a string").arg(index));
        return std::nullopt;
    }

    std::optional<Decoded> decodeLeaf(quint64 index, const ObjectHeader& object)
    {
        const char* payload = m_bytes.constData() + object.payload;
        const qint64 textWeight = 1 + qint64(object.length) / PropertyList::bytesPerNode;
        switch (object.type) {
        case 0x00:
            return Decoded { PlistValue(object.info == (True & 0x0F)) };
        case Integer:
            return integer(index, object);
        case Real:
            if (object.info == 2) {
                const quint32 bits = quint32(number(object.payload, 4));
                float value;
                std::memcpy(&value, &bits, sizeof value);
                return Decoded { PlistValue(double(value)) };
            }
            return Decoded { PlistValue(realAt(object.payload)) };
        case Date:
            return Decoded { PlistValue(PlistDate { realAt(object.payload) }) };
        case Uid:
            return Decoded { PlistValue(PlistUid { number(object.payload, object.info + 1) }) };
        case Data:
            return Decoded { PlistValue(QByteArray(payload, qsizetype(object.length))), textWeight };
        case AsciiString: {
            for (quint64 i = 0; i < object.length; ++i) {
                if (quint8(payload[i]) > 0x7F) {
                    fail(QStringLiteral("string object %1 is not ASCII").arg(index));
                    return std::nullopt;
                }
            }
            return Decoded { PlistValue(QString::fromLatin1(payload, qsizetype(object.length))), textWeight };
        }
        case Utf16String: {
            QString text(qsizetype(object.length), Qt::Uninitialized);
            for (quint64 i = 0; i < object.length; ++i)
                text[qsizetype(i)] = QChar(char16_t(number(object.payload + 2 * qint64(i), 2)));
            return Decoded { PlistValue(text), 1 + 2 * qint64(object.length) / PropertyList::bytesPerNode };
        }
        default:
            return unsupported(index, quint8(object.type | object.info));
        }
    }

    double realAt(qint64 position) const
    {
        const quint64 bits = number(position, 8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // Integers of 1, 2 and 4 bytes are unsigned, of 8 bytes signed; 16 bytes
    // are accepted when the value fits 64 signed bits.
    std::optional<Decoded> integer(quint64 index, const ObjectHeader& object)
    {
        if (object.info < 4)
            return Decoded { PlistValue(qint64(number(object.payload, 1 << object.info))) };
        const quint64 high = number(object.payload, 8);
        const qint64 low = qint64(number(object.payload + 8, 8));
        if ((high == 0 && low >= 0) || (high == ~quint64(0) && low < 0))
            return Decoded { PlistValue(low) };
        fail(QStringLiteral("integer object %1 does not fit 64 bits").arg(index));
        return std::nullopt;
    }

    bool spend(qint64 weight)
    {
        m_spent += weight;
        if (m_spent <= m_limits.nodes)
            return true;
        return fail(QStringLiteral("expands to more than %1 nodes").arg(m_limits.nodes));
    }

    bool addWeight(Frame& frame, qint64 weight)
    {
        frame.weight += weight;
        return spend(weight);
    }

    bool deliver(const Decoded& decoded)
    {
        if (qint64(m_stack.size()) + decoded.height > m_limits.depth)
            return fail(QStringLiteral("nested deeper than %1").arg(m_limits.depth));
        if (m_stack.empty()) {
            m_result = decoded.value;
            return spend(decoded.weight);
        }
        Frame& parent = m_stack.back();
        parent.height = std::max(parent.height, decoded.height + 1);
        if (parent.header.type == Array)
            parent.items.append(decoded.value);
        else
            parent.entries.insert(parent.key, decoded.value);
        return addWeight(parent, decoded.weight);
    }

    // The container on top has all its items: remember it and hand it to its parent.
    void finish()
    {
        Frame frame = std::move(m_stack.back());
        m_stack.pop_back();
        m_open.remove(frame.index);
        Decoded decoded { frame.header.type == Array ? PlistValue(std::move(frame.items))
                                                     : PlistValue(std::move(frame.entries)),
            frame.weight, frame.height };
        m_spent -= frame.weight; // counted again by deliver()
        m_done.insert(frame.index, decoded);
        deliver(decoded);
    }

    const QByteArray& m_bytes;
    const PropertyList::Limits m_limits;
    int m_offsetSize = 0;
    int m_referenceSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_top = 0;
    qint64 m_tableOffset = 0;
    std::vector<Frame> m_stack;
    QSet<quint64> m_open;
    QHash<quint64, Decoded> m_done;
    qint64 m_spent = 0;
    PlistValue m_result;
    QString m_error;
};

} // namespace

PropertyList::ParseResult BinaryPlist::read(const QByteArray& bytes, const PropertyList::Limits& limits)
{
    return Reader(bytes, limits).read();
}
