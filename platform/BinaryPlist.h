#pragma once

#include "PropertyList.h"

// The binary property-list format: a header, the objects, a table of their
// offsets and a trailer that locates the table and the top object.
namespace BinaryPlist {

inline constexpr char magic[] = "bplist00";
constexpr qint64 headerSize = 8;
constexpr qint64 trailerSize = 32;

// Object markers: the type in the high nibble, a size or length in the low one.
enum Marker : quint8 {
    False = 0x08,
    True = 0x09,
    Integer = 0x10,
    Real = 0x20,
    Date = 0x30,
    Data = 0x40,
    AsciiString = 0x50,
    Utf16String = 0x60,
    Uid = 0x80,
    Array = 0xA0,
    Dictionary = 0xD0,
};
// A low nibble of 15: the length follows as an integer object.
constexpr quint8 extendedLength = 0x0F;

// Decodes each object of the table once: an object referenced from several
// places stays one shared value.
PropertyList::ParseResult read(const QByteArray& bytes, const PropertyList::Limits& limits);

// Equal strings, data and scalars and shared containers are written once.
QByteArray write(const PlistValue& value);

} // namespace BinaryPlist
