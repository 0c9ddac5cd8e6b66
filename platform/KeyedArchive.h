#pragma once

#include "PropertyList.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>
#include <variant>

class KeyedArchiveWriter;
class KeyedUnarchiver;

// Writes the fields of one object instance into a keyed archive. Handed to
// KeyedCodable::encode(); keys must not start with "$", which the format
// keeps for itself (such a key fails the whole archive).
class KeyedEncoder
{
public:
    void encodeInt64(const QString& key, qint64 value);
    void encodeBool(const QString& key, bool value);
    void encodeDouble(const QString& key, double value);
    // Stored as a reference to a string object.
    void encodeString(const QString& key, const QString& value);
    // Stored as a reference to a URL object; an empty or invalid URL is stored as nil.
    void encodeUrl(const QString& key, const QUrl& value);

private:
    friend class KeyedArchiveWriter;
    explicit KeyedEncoder(KeyedArchiveWriter& writer) : m_writer(writer) {}
    void setField(const QString& key, PlistValue value);

    KeyedArchiveWriter& m_writer;
    PlistValue::Dictionary m_fields;
};

// An object that can be written into a keyed archive.
class KeyedCodable
{
public:
    virtual ~KeyedCodable();
    virtual QString archiveClassName() const = 0;
    // The class and its ancestors, most derived first.
    virtual QStringList archiveClassHierarchy() const;
    virtual void encode(KeyedEncoder& encoder) const = 0;
};

// One decoded node of an archived object graph. A cheap-to-copy value.
class ArchivedObject
{
public:
    enum class Kind { Null, String, Url, Array, Instance };

    ArchivedObject();

    Kind kind() const;
    bool isNull() const { return kind() == Kind::Null; }
    // The archived class name of an array, URL or instance; empty otherwise.
    QString className() const;

    std::optional<QString> toString() const;
    std::optional<QUrl> toUrl() const;
    std::optional<QList<ArchivedObject>> toArray() const;

    // Fields of an instance; each nothing when absent, nil or of another type.
    std::optional<qint64> int64(const QString& key) const;
    std::optional<bool> boolean(const QString& key) const;
    // An integer field also reads as real.
    std::optional<double> real(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QUrl> url(const QString& key) const;
    std::optional<ArchivedObject> object(const QString& key) const;

private:
    friend class KeyedUnarchiver;
    struct Data;
    explicit ArchivedObject(std::shared_ptr<const Data> data);

    std::shared_ptr<const Data> m_data;
};

namespace KeyedArchive {

// Class names of the container and value classes, for allow-lists.
inline const QString arrayClass = QStringLiteral("NSArray");
inline const QString mutableArrayClass = QStringLiteral("NSMutableArray");
inline const QString urlClass = QStringLiteral("NSURL");
inline const QString stringClass = QStringLiteral("NSString");
inline const QString mutableStringClass = QStringLiteral("NSMutableString");

// Limits on what a hostile archive can make the decoder do.
constexpr int maximumDepth = 64;
// Objects plus fields plus array items decoded, plus one per textPerNode
// characters of text. An object is decoded once however often it is
// referenced, but each reference counts its whole weight again.
constexpr int maximumNodes = 100000;
constexpr int textPerNode = 64;
// A URL, as stored or as resolved against its base, longer than this is
// refused: a file path is at most 4 KB, percent-encoded three times that.
constexpr int maximumUrlLength = 16 * 1024;

// Archives an array of objects as the root. The binary property list, or the error text.
std::variant<QByteArray, QString> archiveArray(const QList<const KeyedCodable*>& objects);

// Decodes the root object. Every class met must be in allowedClasses. The
// error text names what was wrong: not a property list, not a keyed archive,
// no root, a bad reference, a class not allowed, a cycle, too deep or too large.
std::variant<ArchivedObject, QString> unarchive(const QByteArray& data,
                                                const QSet<QString>& allowedClasses);

} // namespace KeyedArchive
