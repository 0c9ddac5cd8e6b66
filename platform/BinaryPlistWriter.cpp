#include "BinaryPlist.h"

#include <QHash>

#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace BinaryPlist;

// The bytes an unsigned number needs: 1, 2, 4 or 8.
int widthOf(quint64 value)
{
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFF)
        return 4;
    return 8;
}

int log2Of(int width) { return width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3; }

void appendNumber(QByteArray& out, quint64 value, int width)
{
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

void appendMarker(QByteArray& out, quint8 type, quint64 length)
{
    if (length < extendedLength) {
        out += char(type | length);
        return;
    }
    out += char(type | extendedLength);
    const int width = widthOf(length);
    out += char(Integer | log2Of(width));
    appendNumber(out, length, width);
}

void appendDouble(QByteArray& out, quint8 marker, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    out += char(marker);
    appendNumber(out, bits, 8);
}

bool isAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

// Flattens the value into the object table, then writes the table. Object 0
// is the top; a container's references point at objects after it.
class Writer
{
public:
    QByteArray write(const PlistValue& top)
    {
        add(top);
        m_referenceSize = widthOf(m_objects.size() - 1);
        QByteArray out(magic);
        std::vector<quint64> offsets;
        offsets.reserve(m_objects.size());
        for (const Object& object : m_objects) {
            offsets.push_back(quint64(out.size()));
            appendObject(out, object);
        }
        const quint64 table = quint64(out.size());
        const int offsetSize = widthOf(table);
        for (quint64 offset : offsets)
            appendNumber(out, offset, offsetSize);
        out += QByteArray(6, '\0');
        out += char(offsetSize);
        out += char(m_referenceSize);
        appendNumber(out, m_objects.size(), 8);
        appendNumber(out, 0, 8);
        appendNumber(out, table, 8);
        return out;
    }

private:
    struct Object
    {
        PlistValue value;
        std::vector<quint64> references; // items, or the keys then the values
    };

    // A scalar's type and bits: equal keys make equal objects.
    static std::pair<int, quint64> scalarKey(const PlistValue& value)
    {
        quint64 bits = 0;
        if (const auto flag = value.toBool())
            bits = *flag;
        else if (const auto number = value.toInteger())
            bits = quint64(*number);
        else if (const auto uid = value.toUid())
            bits = uid->value;
        else if (const auto date = value.toPlistDate())
            std::memcpy(&bits, &date->secondsSinceReference, sizeof bits);
        else if (const auto real = value.toReal())
            std::memcpy(&bits, &*real, sizeof bits);
        return { int(value.type()), bits };
    }

    // The object already written for key, or a new one for value.
    template <typename Key> quint64 unique(QHash<Key, quint64>& known, const Key& key, const PlistValue& value)
    {
        if (const auto found = known.constFind(key); found != known.cend())
            return *found;
        const quint64 index = append(value);
        known.insert(key, index);
        return index;
    }

    quint64 add(const PlistValue& value)
    {
        // Every value equal to one written before is a reference to it, so a
        // value shared many times, as a reader hands it over, stays one object.
        if (const auto text = value.toString())
            return unique(m_strings, *text, value);
        if (const auto bytes = value.toData())
            return unique(m_data, *bytes, value);
        const void* identity = value.containerIdentity();
        if (identity == nullptr)
            return unique(m_scalars, scalarKey(value), value);
        if (const auto known = m_containers.constFind(identity); known != m_containers.cend())
            return *known;
        const quint64 index = append(value);
        m_containers.insert(identity, index);
        std::vector<quint64> references;
        if (const auto items = value.toArray()) {
            references.reserve(size_t(items->size()));
            for (const PlistValue& item : *items)
                references.push_back(add(item));
        } else {
            // Each key, then its value's objects: the order other writers use.
            const PlistValue::Dictionary entries = *value.toDictionary();
            std::vector<quint64> values;
            references.reserve(size_t(entries.size()) * 2);
            values.reserve(size_t(entries.size()));
            for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
                references.push_back(add(it.key()));
                values.push_back(add(it.value()));
            }
            references.insert(references.end(), values.begin(), values.end());
        }
        m_objects[index].references = std::move(references);
        return index;
    }

    quint64 append(const PlistValue& value)
    {
        m_objects.push_back(Object { value, {} });
        return m_objects.size() - 1;
    }

    void appendObject(QByteArray& out, const Object& object) const
    {
        const PlistValue& value = object.value;
        switch (value.type()) {
        case PlistValue::Type::Boolean:
            out += char(*value.toBool() ? True : False);
            return;
        case PlistValue::Type::Integer: {
            const qint64 number = *value.toInteger();
            // Only eight-byte integers are signed.
            const int width = number < 0 ? 8 : widthOf(quint64(number));
            out += char(Integer | log2Of(width));
            appendNumber(out, quint64(number), width);
            return;
        }
        case PlistValue::Type::Real:
            appendDouble(out, Real | 3, *value.toReal());
            return;
        case PlistValue::Type::Date:
            appendDouble(out, Date | 3, value.toPlistDate()->secondsSinceReference);
            return;
        case PlistValue::Type::Data: {
            const QByteArray bytes = *value.toData();
            appendMarker(out, Data, quint64(bytes.size()));
            out += bytes;
            return;
        }
        case PlistValue::Type::String: {
            const QString text = *value.toString();
            if (isAscii(text)) {
                appendMarker(out, AsciiString, quint64(text.size()));
                out += text.toLatin1();
                return;
            }
            appendMarker(out, Utf16String, quint64(text.size()));
            for (QChar c : text)
                appendNumber(out, c.unicode(), 2);
            return;
        }
        case PlistValue::Type::Uid: {
            const quint64 uid = value.toUid()->value;
            const int width = widthOf(uid);
            out += char(Uid | (width - 1));
            appendNumber(out, uid, width);
            return;
        }
        case PlistValue::Type::Array:
        case PlistValue::Type::Dictionary: {
            const bool array = value.isArray();
            const size_t count = array ? object.references.size() : object.references.size() / 2;
            appendMarker(out, array ? Array : Dictionary, count);
            for (quint64 reference : object.references)
                appendNumber(out, reference, m_referenceSize);
            return;
        }
        }
    }

    std::vector<Object> m_objects;
    QHash<QString, quint64> m_strings;
    QHash<QByteArray, quint64> m_data;
    QHash<std::pair<int, quint64>, quint64> m_scalars;
    QHash<const void*, quint64> m_containers;
    int m_referenceSize = 1;
};

} // namespace

QByteArray BinaryPlist::write(const PlistValue& value) { return Writer().write(value); }
