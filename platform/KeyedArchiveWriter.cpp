#include "KeyedArchive.h"
#include "KeyedArchiveKeys.h"

#include <QHash>

using namespace KeyedArchiveKeys;

// Builds the flat object table of one archive. The first error wins; later
// writes still go somewhere harmless so encoders need not check.
class KeyedArchiveWriter
{
public:
    KeyedArchiveWriter() { m_objects.append(nullMarker); }

    void fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }

    PlistUid addString(const QString& text)
    {
        if (const auto found = m_strings.constFind(text); found != m_strings.cend())
            return PlistUid{*found};
        // A plain "$null" entry would read back as nil, so that one text is boxed.
        const PlistUid uid = text == nullMarker
            ? add(PlistValue::Dictionary{{stringTextKey, text},
                                         {classKey, classEntry(KeyedArchive::stringClass, {})}})
            : add(text);
        m_strings.insert(text, uid.value);
        return uid;
    }

    PlistUid addUrl(const QUrl& url)
    {
        if (url.isEmpty() || !url.isValid())
            return PlistUid{0};
        const PlistUid relative = addString(url.toString(QUrl::FullyEncoded));
        return add(PlistValue::Dictionary{{urlBaseKey, PlistUid{0}},
                                          {urlRelativeKey, relative},
                                          {classKey, classEntry(KeyedArchive::urlClass, {})}});
    }

    PlistUid addInstance(const KeyedCodable& object)
    {
        const QString name = object.archiveClassName();
        if (name.isEmpty()) {
            fail(QStringLiteral("object without a class name"));
            return PlistUid{0};
        }
        const PlistUid uid = add(PlistValue());
        KeyedEncoder encoder(*this);
        object.encode(encoder);
        encoder.m_fields.insert(classKey, classEntry(name, object.archiveClassHierarchy()));
        m_objects[qsizetype(uid.value)] = std::move(encoder.m_fields);
        return uid;
    }

    PlistUid addArray(const QList<const KeyedCodable*>& items)
    {
        const PlistUid uid = add(PlistValue());
        PlistValue::Array references;
        references.reserve(items.size());
        for (const KeyedCodable* item : items) {
            if (item == nullptr) {
                fail(QStringLiteral("nil object in array"));
                continue;
            }
            references.append(addInstance(*item));
        }
        m_objects[qsizetype(uid.value)] = PlistValue::Dictionary{
            {arrayItemsKey, std::move(references)},
            {classKey, classEntry(KeyedArchive::arrayClass, {})}};
        return uid;
    }

    std::variant<QByteArray, QString> finish(PlistUid root) const
    {
        if (!m_error.isEmpty())
            return m_error;
        const PlistValue archive = PlistValue::Dictionary{
            {QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver")},
            {QStringLiteral("$version"), archiveVersion},
            {topKey, PlistValue::Dictionary{{rootKey, root}}},
            {objectsKey, m_objects}};
        QByteArray bytes = PropertyList::serialize(archive, PropertyList::Format::Binary);
        if (bytes.isEmpty())
            return QStringLiteral("the property list could not be written");
        return bytes;
    }

private:
    PlistUid add(PlistValue value)
    {
        m_objects.append(std::move(value));
        return PlistUid{quint64(m_objects.size() - 1)};
    }

    // One class entry per class, shared by all its instances; the first
    // hierarchy given for a name is the one recorded.
    PlistUid classEntry(const QString& name, QStringList hierarchy)
    {
        if (const auto found = m_classes.constFind(name); found != m_classes.cend())
            return PlistUid{*found};
        if (hierarchy.isEmpty())
            hierarchy = {name, objectClass};
        PlistValue::Array classes;
        for (const QString& ancestor : std::as_const(hierarchy))
            classes.append(ancestor);
        const PlistUid uid =
            add(PlistValue::Dictionary{{classNameKey, name}, {classesKey, std::move(classes)}});
        m_classes.insert(name, uid.value);
        return uid;
    }

    PlistValue::Array m_objects;
    QHash<QString, quint64> m_strings;
    QHash<QString, quint64> m_classes;
    QString m_error;
};

void KeyedEncoder::setField(const QString& key, PlistValue value)
{
    // The archive's own keys start with "$"; a field may not shadow them.
    if (key.isEmpty() || key.startsWith(QLatin1Char('$'))) {
        m_writer.fail(QStringLiteral("reserved or empty key \"%1\"").arg(key));
        return;
    }
    m_fields.insert(key, std::move(value));
}

void KeyedEncoder::encodeInt64(const QString& key, qint64 value)
{
    setField(key, value);
}

void KeyedEncoder::encodeBool(const QString& key, bool value)
{
    setField(key, value);
}

void KeyedEncoder::encodeDouble(const QString& key, double value)
{
    setField(key, value);
}

void KeyedEncoder::encodeString(const QString& key, const QString& value)
{
    setField(key, m_writer.addString(value));
}

void KeyedEncoder::encodeUrl(const QString& key, const QUrl& value)
{
    setField(key, m_writer.addUrl(value));
}

KeyedCodable::~KeyedCodable() = default;

QStringList KeyedCodable::archiveClassHierarchy() const
{
    return {archiveClassName(), objectClass};
}

std::variant<QByteArray, QString> KeyedArchive::archiveArray(const QList<const KeyedCodable*>& objects)
{
    KeyedArchiveWriter writer;
    const PlistUid root = writer.addArray(objects);
    return writer.finish(root);
}
