#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

// A reference to another object of a keyed archive.
struct PlistUid
{
    quint64 value = 0;
    bool operator==(const PlistUid&) const = default;
};

// A property-list date: seconds from 2001-01-01 00:00:00 UTC, kept as the
// exact double the binary form stores, so no range or precision is lost.
struct PlistDate
{
    double secondsSinceReference = 0;

    static PlistDate fromDateTime(const QDateTime& dateTime);
    // Rounded to milliseconds; invalid when the date lies beyond QDateTime's range.
    QDateTime toDateTime() const;
    // NaN equals NaN, so every stored date equals itself.
    bool operator==(const PlistDate& other) const;
};

// One property-list value: Bool, integer, real, string, data, date, UID,
// array or dictionary with string keys. Arrays and dictionaries are shared
// immutably, so copies are cheap and values never change under a reader.
class PlistValue
{
public:
    enum class Type { Boolean, Integer, Real, String, Data, Date, Uid, Array, Dictionary };
    using Array = QList<PlistValue>;
    using Dictionary = QMap<QString, PlistValue>;

    PlistValue() : PlistValue(false) {}
    PlistValue(bool value) : m_value(value) {}
    PlistValue(int value) : m_value(qint64(value)) {}
    PlistValue(qint64 value) : m_value(value) {}
    PlistValue(double value) : m_value(value) {}
    PlistValue(const QString& value) : m_value(value) {}
    PlistValue(const char* value) : m_value(QString::fromUtf8(value)) {}
    PlistValue(const QByteArray& value) : m_value(value) {}
    PlistValue(const QDateTime& value) : m_value(PlistDate::fromDateTime(value)) {}
    PlistValue(PlistDate value) : m_value(value) {}
    PlistValue(PlistUid value) : m_value(value) {}
    PlistValue(Array value) : m_value(std::make_shared<const Array>(std::move(value))) {}
    PlistValue(Dictionary value) : m_value(std::make_shared<const Dictionary>(std::move(value))) {}

    Type type() const { return Type(m_value.index()); }
    bool isBool() const { return type() == Type::Boolean; }
    bool isInteger() const { return type() == Type::Integer; }
    bool isReal() const { return type() == Type::Real; }
    bool isString() const { return type() == Type::String; }
    bool isData() const { return type() == Type::Data; }
    bool isDate() const { return type() == Type::Date; }
    bool isUid() const { return type() == Type::Uid; }
    bool isArray() const { return type() == Type::Array; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    // Each accessor answers the held value, or nothing when the type differs.
    std::optional<bool> toBool() const { return get<bool>(); }
    std::optional<qint64> toInteger() const { return get<qint64>(); }
    std::optional<double> toReal() const { return get<double>(); }
    std::optional<QString> toString() const { return get<QString>(); }
    std::optional<QByteArray> toData() const { return get<QByteArray>(); }
    std::optional<QDateTime> toDate() const;
    std::optional<PlistDate> toPlistDate() const { return get<PlistDate>(); }
    std::optional<PlistUid> toUid() const { return get<PlistUid>(); }
    std::optional<Array> toArray() const;
    std::optional<Dictionary> toDictionary() const;

    // Reals compare by value, except that NaN equals NaN.
    bool operator==(const PlistValue& other) const;

    // The shared array or dictionary this value holds, null for any other
    // type: writers use it to keep a container shared by several parents shared.
    const void* containerIdentity() const;

private:
    template <typename T>
    std::optional<T> get() const
    {
        if (const T* value = std::get_if<T>(&m_value))
            return *value;
        return std::nullopt;
    }

    // The order of the alternatives follows Type.
    std::variant<bool, qint64, double, QString, QByteArray, PlistDate, PlistUid,
                 std::shared_ptr<const Array>, std::shared_ptr<const Dictionary>>
        m_value;
};

// Reading and writing property lists in XML and binary form, with a codec of
// our own: every file is untrusted, so each reader is iterative, checks every
// offset, size and reference, and refuses cycles, nesting deeper than
// maximumDepth and more than maximumNodes nodes, with an error text.
namespace PropertyList {

enum class Format { Xml, Binary };

// Files larger than this are refused unread.
constexpr qint64 maximumFileSize = 64 * 1024 * 1024;
// Values (dictionary keys included) a document may expand to; a string or data
// value counts one node more per 64 bytes. A binary object shared by several
// parents is decoded once but counted at every place it appears, which bounds
// the work of anyone who walks the result.
constexpr qint64 maximumNodes = 1000000;
constexpr qint64 bytesPerNode = 64;
// Arrays and dictionaries nested deeper than this are refused.
constexpr int maximumDepth = 512;

struct Limits
{
    qint64 nodes = maximumNodes;
    int depth = maximumDepth;
};

// The value, or the reason the bytes are not an acceptable property list.
using ParseResult = std::variant<PlistValue, QString>;

// Parses either format, telling them apart by the binary header.
ParseResult decode(const QByteArray& bytes, const Limits& limits = {});
// Nothing for anything that is not an acceptable property list.
std::optional<PlistValue> parse(const QByteArray& bytes);
std::optional<PlistValue> readFile(const QString& path);

// XML asked for is written only up to this many bytes plus xmlSizeFactor
// times the size of the binary form.
constexpr qint64 xmlSizeFloor = 64 * 1024;
constexpr qint64 xmlSizeFactor = 16;

// XML 1.0 cannot carry some text (U+0000 and most other control characters,
// unpaired surrogates) nor dates beyond its year field, and a value whose XML
// the readers would refuse, or whose XML would outgrow the binary form by more
// than the bound above, is no better off: such a value is written in binary
// form even when XML is asked for, so nothing is lost and what any reader
// accepted is accepted again, at a size proportional to it.
QByteArray serialize(const PlistValue& value, Format format);

// Replaces the file whole and atomically; false when it could not be written.
bool writeFile(const QString& path, const PlistValue& value, Format format = Format::Xml);

} // namespace PropertyList
