#pragma once

#include <QByteArray>
#include <QList>
#include <QtEndian>

// Assembles a binary property list object by object, for tests that need
// shapes no writer produces: containers shared many times, cycles, broken tables.
class BinaryPlistBuilder
{
public:
    int addString(const QByteArray& ascii) { return add(marker(0x5, ascii.size()) + ascii); }

    int addArray(const QList<int>& references)
    {
        QByteArray raw = marker(0xA, references.size());
        for (int reference : references)
            raw += bigEndian16(reference);
        return add(raw);
    }

    // A dictionary of key and value references.
    int addDictionary(const QList<std::pair<int, int>>& entries)
    {
        QByteArray raw = marker(0xD, entries.size());
        for (const auto& entry : entries)
            raw += bigEndian16(entry.first);
        for (const auto& entry : entries)
            raw += bigEndian16(entry.second);
        return add(raw);
    }

    // An object given byte for byte, marker included.
    int addRaw(const QByteArray& object) { return add(object); }

    // An array whose references are filled in later, so it can point at itself.
    int reserveArray(int length) { return addArray(QList<int>(length, 0)); }
    void setReference(int array, int slot, int target)
    {
        m_objects[array].replace(1 + 2 * slot, 2, bigEndian16(target));
    }

    QByteArray build(int top) const
    {
        QByteArray bytes("bplist00");
        QList<quint32> offsets;
        for (const QByteArray& object : m_objects) {
            offsets.append(quint32(bytes.size()));
            bytes += object;
        }
        const quint64 table = quint64(bytes.size());
        for (quint32 offset : offsets) {
            const quint32 big = qToBigEndian(offset);
            bytes += QByteArray(reinterpret_cast<const char*>(&big), 4);
        }
        bytes += QByteArray(6, '\0');
        bytes += char(4); // offset size
        bytes += char(2); // reference size
        for (quint64 value : {quint64(m_objects.size()), quint64(top), table}) {
            const quint64 big = qToBigEndian(value);
            bytes += QByteArray(reinterpret_cast<const char*>(&big), 8);
        }
        return bytes;
    }

private:
    int add(const QByteArray& raw)
    {
        m_objects.append(raw);
        return int(m_objects.size() - 1);
    }

    static QByteArray bigEndian16(int value)
    {
        const quint16 big = qToBigEndian(quint16(value));
        return QByteArray(reinterpret_cast<const char*>(&big), 2);
    }

    // Lengths of 15 and more follow the marker as a two-byte integer object.
    static QByteArray marker(int type, qsizetype length)
    {
        if (length < 15)
            return QByteArray(1, char(type << 4 | int(length)));
        return QByteArray(1, char(type << 4 | 0xF)) + char(0x11) + bigEndian16(int(length));
    }

    QList<QByteArray> m_objects;
};

// A chain of `depth` arrays, each holding the next one twice, ending in one
// string: a few bytes on disk, 2^(depth+1) - 1 nodes once expanded.
inline QByteArray sharedReferenceBomb(int depth)
{
    BinaryPlistBuilder builder;
    int next = builder.addString("x");
    for (int i = 0; i < depth; ++i)
        next = builder.addArray({next, next});
    return builder.build(next);
}
