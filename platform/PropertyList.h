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
    PlistValue(const QDateTime& value) : m_value(value) {}
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
    std::optional<QDateTime> toDate() const { return get<QDateTime>(); }
    std::optional<PlistUid> toUid() const { return get<PlistUid>(); }
    std::optional<Array> toArray() const;
    std::optional<Dictionary> toDictionary() const;

    bool operator==(const PlistValue& other) const;

private:
    template <typename T>
    std::optional<T> get() const
    {
        if (const T* value = std::get_if<T>(&m_value))
            return *value;
        return std::nullopt;
    }

    // The order of the alternatives follows Type.
    std::variant<bool, qint64, double, QString, QByteArray, QDateTime, PlistUid,
                 std::shared_ptr<const Array>, std::shared_ptr<const Dictionary>>
        m_value;
};

// Reading and writing property lists in XML and binary form, over libplist.
namespace PropertyList {

enum class Format { Xml, Binary };

// Files larger than this are refused unread.
constexpr qint64 maximumFileSize = 64 * 1024 * 1024;
// Binary files that expand to a tree of more nodes than this are refused unparsed.
constexpr qint64 maximumNodes = 1000000;

// Parses either format; nothing for anything that is not a property list.
std::optional<PlistValue> parse(const QByteArray& bytes);
std::optional<PlistValue> readFile(const QString& path);

QByteArray serialize(const PlistValue& value, Format format);

// Replaces the file whole and atomically; false when it could not be written.
bool writeFile(const QString& path, const PlistValue& value, Format format = Format::Xml);

} // namespace PropertyList
