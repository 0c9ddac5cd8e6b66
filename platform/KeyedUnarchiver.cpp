#include "KeyedArchive.h"
#include "KeyedArchiveKeys.h"

#include <QHash>

using namespace KeyedArchiveKeys;

namespace {

// A reference to an object: a UID, or in XML property lists, where the
// parser does not restore UIDs, a dictionary holding only "CF$UID".
std::optional<quint64> referenceOf(const PlistValue& value)
{
    if (const auto uid = value.toUid())
        return uid->value;
    const auto fields = value.toDictionary();
    if (!fields || fields->size() != 1)
        return std::nullopt;
    const auto number = fields->value(QStringLiteral("CF$UID")).toInteger();
    return number ? std::optional<quint64>(quint64(*number)) : std::nullopt;
}

} // namespace

struct ArchivedObject::Data
{
    Kind kind = Kind::Null;
    QString className;
    QString text;
    QUrl url;
    QList<ArchivedObject> items;
    QMap<QString, PlistValue> scalars;
    QMap<QString, ArchivedObject> objects;
};

ArchivedObject::ArchivedObject()
{
    // Nil is common in archives; all nil objects share one empty node.
    static const std::shared_ptr<const Data> null = std::make_shared<const Data>();
    m_data = null;
}

ArchivedObject::ArchivedObject(std::shared_ptr<const Data> data) : m_data(std::move(data)) {}

ArchivedObject::Kind ArchivedObject::kind() const
{
    return m_data->kind;
}

QString ArchivedObject::className() const
{
    return m_data->className;
}

std::optional<QString> ArchivedObject::toString() const
{
    if (kind() != Kind::String)
        return std::nullopt;
    return m_data->text;
}

std::optional<QUrl> ArchivedObject::toUrl() const
{
    if (kind() != Kind::Url)
        return std::nullopt;
    return m_data->url;
}

std::optional<QList<ArchivedObject>> ArchivedObject::toArray() const
{
    if (kind() != Kind::Array)
        return std::nullopt;
    return m_data->items;
}

std::optional<qint64> ArchivedObject::int64(const QString& key) const
{
    const auto found = m_data->scalars.constFind(key);
    return found == m_data->scalars.cend() ? std::nullopt : found->toInteger();
}

std::optional<bool> ArchivedObject::boolean(const QString& key) const
{
    const auto found = m_data->scalars.constFind(key);
    return found == m_data->scalars.cend() ? std::nullopt : found->toBool();
}

std::optional<double> ArchivedObject::real(const QString& key) const
{
    const auto found = m_data->scalars.constFind(key);
    if (found == m_data->scalars.cend())
        return std::nullopt;
    if (const auto integer = found->toInteger())
        return double(*integer);
    return found->toReal();
}

std::optional<QString> ArchivedObject::string(const QString& key) const
{
    const auto value = object(key);
    return value ? value->toString() : std::nullopt;
}

std::optional<QUrl> ArchivedObject::url(const QString& key) const
{
    const auto value = object(key);
    return value ? value->toUrl() : std::nullopt;
}

std::optional<ArchivedObject> ArchivedObject::object(const QString& key) const
{
    const auto found = m_data->objects.constFind(key);
    if (found == m_data->objects.cend())
        return std::nullopt;
    return *found;
}

// Turns the flat object table into a graph of ArchivedObject. The input is
// untrusted: references are range-checked, a reference back into the path
// being decoded is a cycle, and depth and total work are capped. Each object
// is decoded once and its result shared by every reference to it, but each
// reference is charged the object's whole weight, so the budget bounds the
// tree a reader could walk, not only the work done here.
class KeyedUnarchiver
{
public:
    KeyedUnarchiver(PlistValue::Array objects, const QSet<QString>& allowedClasses)
        : m_objects(std::move(objects)), m_allowedClasses(allowedClasses)
    {
    }

    std::variant<ArchivedObject, QString> decodeRoot(const PlistValue& reference)
    {
        auto root = decode(reference);
        if (!root)
            return m_error;
        return *root;
    }

private:
    using Data = ArchivedObject::Data;
    using Kind = ArchivedObject::Kind;

    struct Decoded
    {
        ArchivedObject object;
        qint64 weight = 0;
    };

    std::nullopt_t fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
        return std::nullopt;
    }

    bool spend(qint64 count)
    {
        m_spent += count;
        if (m_spent <= KeyedArchive::maximumNodes)
            return true;
        fail(QStringLiteral("object graph too large (more than %1 nodes)").arg(KeyedArchive::maximumNodes));
        return false;
    }

    // Text costs one node more per textPerNode characters.
    bool spendText(const QString& text) { return spend(text.size() / KeyedArchive::textPerNode); }

    static Data node(Kind kind, const QString& className)
    {
        Data data;
        data.kind = kind;
        data.className = className;
        return data;
    }

    std::optional<ArchivedObject> stringObject(const QString& text)
    {
        if (!spendText(text))
            return std::nullopt;
        Data data;
        data.kind = Kind::String;
        data.text = text;
        return make(std::move(data));
    }

    static ArchivedObject make(Data data) { return ArchivedObject(std::make_shared<const Data>(std::move(data))); }

    // Resolves a reference to the table index it names, or fails.
    std::optional<quint64> index(const PlistValue& reference)
    {
        const auto uid = referenceOf(reference);
        if (!uid)
            return fail(QStringLiteral("malformed object reference"));
        if (*uid >= quint64(m_objects.size()))
            return fail(QStringLiteral("object reference %1 out of range").arg(*uid));
        return uid;
    }

    std::optional<ArchivedObject> decode(const PlistValue& reference)
    {
        const auto uid = index(reference);
        if (!uid || !spend(1))
            return std::nullopt;
        if (*uid == 0)
            return ArchivedObject();
        if (const auto known = m_decoded.constFind(*uid); known != m_decoded.cend()) {
            if (!spend(known->weight))
                return std::nullopt;
            return known->object;
        }
        const qint64 spentBefore = m_spent;
        auto result = decodeEntry(*uid);
        if (result)
            m_decoded.insert(*uid, Decoded { *result, m_spent - spentBefore });
        return result;
    }

    std::optional<ArchivedObject> decodeEntry(quint64 uid)
    {
        const PlistValue& entry = m_objects.at(qsizetype(uid));
        if (const auto text = entry.toString()) {
            if (*text == nullMarker)
                return ArchivedObject();
            return stringObject(*text);
        }
        const auto fields = entry.toDictionary();
        if (!fields)
            return fail(QStringLiteral("unsupported object %1").arg(uid));
        if (m_path.contains(uid))
            return fail(QStringLiteral("reference cycle through object %1").arg(uid));
        if (m_path.size() >= KeyedArchive::maximumDepth)
            return fail(QStringLiteral("object graph nested deeper than %1").arg(KeyedArchive::maximumDepth));
        m_path.append(uid);
        auto result = decodeInstance(uid, *fields);
        m_path.removeLast();
        return result;
    }

    std::optional<ArchivedObject> decodeInstance(quint64 uid, const PlistValue::Dictionary& fields)
    {
        const auto className = classOf(uid, fields);
        if (!className)
            return std::nullopt;
        if (*className == KeyedArchive::arrayClass || *className == KeyedArchive::mutableArrayClass)
            return decodeArray(uid, *className, fields);
        if (*className == KeyedArchive::urlClass)
            return decodeUrl(uid, fields);
        if (*className == KeyedArchive::stringClass || *className == KeyedArchive::mutableStringClass)
            return decodeBoxedString(uid, fields);

        Data data = node(Kind::Instance, *className);
        if (!spend(fields.size()))
            return std::nullopt;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            if (it.key() == classKey)
                continue;
            if (referenceOf(it.value())) {
                const auto field = decode(it.value());
                if (!field)
                    return std::nullopt;
                if (!field->isNull())
                    data.objects.insert(it.key(), *field);
                continue;
            }
            switch (it.value().type()) {
            case PlistValue::Type::Boolean:
            case PlistValue::Type::Integer:
            case PlistValue::Type::Real:
                data.scalars.insert(it.key(), it.value());
                break;
            default:
                // Inline values of other kinds are not fields this format writes.
                break;
            }
        }
        return make(std::move(data));
    }

    std::optional<ArchivedObject> decodeArray(quint64 uid, const QString& className,
                                              const PlistValue::Dictionary& fields)
    {
        const auto references = fields.value(arrayItemsKey).toArray();
        if (!references)
            return fail(QStringLiteral("array object %1 has no items list").arg(uid));
        Data data = node(Kind::Array, className);
        data.items.reserve(qMin(references->size(), qsizetype(KeyedArchive::maximumNodes)));
        for (const PlistValue& reference : *references) {
            auto item = decode(reference);
            if (!item)
                return std::nullopt;
            data.items.append(std::move(*item));
        }
        return make(std::move(data));
    }

    std::optional<ArchivedObject> decodeUrl(quint64 uid, const PlistValue::Dictionary& fields)
    {
        const auto relative = decode(fields.value(urlRelativeKey));
        if (!relative)
            return std::nullopt;
        const auto text = relative->toString();
        if (!text)
            return fail(QStringLiteral("URL object %1 has no text").arg(uid));
        // A URL keeps its text as UTF-8: a lone surrogate would come back changed.
        if (text->size() > KeyedArchive::maximumUrlLength || !text->isValidUtf16())
            return fail(QStringLiteral("URL object %1 is not a valid URL").arg(uid));
        QUrl url(*text);
        if (fields.contains(urlBaseKey)) {
            const auto base = decode(fields.value(urlBaseKey));
            if (!base)
                return std::nullopt;
            if (!base->isNull()) {
                const auto baseUrl = base->toUrl();
                if (!baseUrl)
                    return fail(QStringLiteral("URL object %1 has a base that is not a URL").arg(uid));
                url = baseUrl->resolved(url);
            }
        }
        if (!url.isValid())
            return fail(QStringLiteral("URL object %1 is not a valid URL").arg(uid));
        // A chain of bases can make each URL longer than the texts it was built
        // from: what it resolves to is charged, and bounded, itself.
        const QString resolved = url.toString();
        if (resolved.size() > KeyedArchive::maximumUrlLength)
            return fail(QStringLiteral("URL object %1 is longer than %2 characters")
                            .arg(uid)
                            .arg(KeyedArchive::maximumUrlLength));
        if (!spendText(resolved))
            return std::nullopt;
        Data data = node(Kind::Url, KeyedArchive::urlClass);
        data.url = url;
        return make(std::move(data));
    }

    std::optional<ArchivedObject> decodeBoxedString(quint64 uid, const PlistValue::Dictionary& fields)
    {
        const auto text = fields.value(stringTextKey).toString();
        if (!text)
            return fail(QStringLiteral("string object %1 has no text").arg(uid));
        return stringObject(*text);
    }

    // The allowed class name of an object entry, checked once per class entry.
    std::optional<QString> classOf(quint64 uid, const PlistValue::Dictionary& fields)
    {
        if (!fields.contains(classKey))
            return fail(QStringLiteral("object %1 has no class").arg(uid));
        const auto classIndex = index(fields.value(classKey));
        if (!classIndex)
            return std::nullopt;
        if (const auto known = m_classNames.constFind(*classIndex); known != m_classNames.cend())
            return *known;
        const auto entry = m_objects.at(qsizetype(*classIndex)).toDictionary();
        const auto name = entry ? entry->value(classNameKey).toString() : std::nullopt;
        if (!name)
            return fail(QStringLiteral("object %1 has a malformed class entry").arg(uid));
        if (!m_allowedClasses.contains(*name))
            return fail(QStringLiteral("class \"%1\" is not allowed").arg(*name));
        m_classNames.insert(*classIndex, *name);
        return *name;
    }

    const PlistValue::Array m_objects;
    const QSet<QString>& m_allowedClasses;
    QHash<quint64, QString> m_classNames;
    QHash<quint64, Decoded> m_decoded;
    QList<quint64> m_path;
    qint64 m_spent = 0;
    QString m_error;
};

std::variant<ArchivedObject, QString> KeyedArchive::unarchive(const QByteArray& data,
                                                              const QSet<QString>& allowedClasses)
{
    const PropertyList::ParseResult parsed = PropertyList::decode(data);
    if (const auto* error = std::get_if<QString>(&parsed))
        return QStringLiteral("not a property list: ") + *error;
    const auto plist = std::get_if<PlistValue>(&parsed);
    const auto archive = plist->toDictionary();
    const auto objects = archive ? archive->value(objectsKey).toArray() : std::nullopt;
    if (!objects)
        return QStringLiteral("not a keyed archive");
    const auto top = archive->value(topKey).toDictionary();
    if (!top || !top->contains(rootKey))
        return QStringLiteral("keyed archive has no root object");
    KeyedUnarchiver unarchiver(*objects, allowedClasses);
    return unarchiver.decodeRoot(top->value(rootKey));
}
