#include "PropertyList.h"

#include "BinaryPlistGuard.h"

#include <QFile>
#include <QSaveFile>
#include <QTimeZone>

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
}

// Nesting deeper than this is refused, so hostile input cannot exhaust the stack.
constexpr int maximumDepth = 256;

struct PlistDeleter
{
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter
{
    void operator()(char* bytes) const { std::free(bytes); }
};
using MallocBytes = std::unique_ptr<char, MallocDeleter>;

// libplist keeps every XML element as a node and frees the tree recursively:
// a deep or huge document is refused before it is parsed. Tags inside comments
// count too, which only errs on the side of refusing.
bool xmlWithinLimits(const QByteArray& bytes)
{
    const auto isContainer = [](QByteArrayView name) { return name == "array" || name == "dict"; };
    qint64 depth = 0;
    qint64 elements = 0;
    const char* end = bytes.constData() + bytes.size();
    for (const char* p = bytes.constData(); (p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p))));) {
        ++p;
        const char* close = static_cast<const char*>(std::memchr(p, '>', size_t(end - p)));
        if (close == nullptr)
            break; // unterminated: the parser refuses it
        const bool closing = *p == '/';
        const char* nameStart = closing ? p + 1 : p;
        const char* nameEnd = nameStart;
        while (nameEnd < close && *nameEnd != '/' && *nameEnd != ' ' && *nameEnd != '\t' && *nameEnd != '\n'
               && *nameEnd != '\r')
            ++nameEnd;
        const QByteArrayView name(nameStart, nameEnd - nameStart);
        if (closing) {
            if (isContainer(name))
                --depth;
        } else if (*p != '?' && *p != '!') {
            if (++elements > PropertyList::maximumNodes)
                return false;
            if (isContainer(name) && close[-1] != '/' && ++depth > maximumDepth)
                return false;
        }
        p = close + 1;
    }
    return true;
}

std::optional<PlistValue> fromNode(plist_t node, int depth);

std::optional<PlistValue> arrayFromNode(plist_t node, int depth)
{
    PlistValue::Array array;
    const uint32_t count = plist_array_get_size(node);
    array.reserve(qsizetype(count));
    for (uint32_t i = 0; i < count; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item)
            return std::nullopt;
        array.append(std::move(*item));
    }
    return PlistValue(std::move(array));
}

std::optional<PlistValue> dictionaryFromNode(plist_t node, int depth)
{
    PlistValue::Dictionary dictionary;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (iter == nullptr)
        return PlistValue(std::move(dictionary));
    std::optional<PlistValue> result;
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &key, &value);
        if (key == nullptr || value == nullptr) {
            std::free(key);
            result = PlistValue(std::move(dictionary));
            break;
        }
        const QString name = QString::fromUtf8(key);
        std::free(key);
        auto item = fromNode(value, depth + 1);
        if (!item)
            break;
        dictionary.insert(name, std::move(*item));
    }
    std::free(iter);
    return result;
}

std::optional<PlistValue> fromNode(plist_t node, int depth)
{
    if (node == nullptr || depth > maximumDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PlistValue(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PlistValue(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PlistValue(value);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return PlistValue(QString::fromUtf8(text, qsizetype(length)));
    }
    case PLIST_KEY: {
        char* text = nullptr;
        plist_get_key_val(node, &text);
        MallocBytes owned(text);
        return PlistValue(QString::fromUtf8(text));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return PlistValue(QByteArray(bytes, qsizetype(length)));
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return PlistValue(referenceDate().addMSecs(qint64(seconds) * 1000 + microseconds / 1000));
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return PlistValue(PlistUid{value});
    }
    case PLIST_ARRAY:
        return arrayFromNode(node, depth);
    case PLIST_DICT:
        return dictionaryFromNode(node, depth);
    default:
        return std::nullopt;
    }
}

plist_t toNode(const PlistValue& value)
{
    switch (value.type()) {
    case PlistValue::Type::Boolean:
        return plist_new_bool(*value.toBool() ? 1 : 0);
    case PlistValue::Type::Integer:
        return plist_new_uint(uint64_t(*value.toInteger()));
    case PlistValue::Type::Real:
        return plist_new_real(*value.toReal());
    case PlistValue::Type::String:
        return plist_new_string(value.toString()->toUtf8().constData());
    case PlistValue::Type::Data: {
        const QByteArray bytes = *value.toData();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case PlistValue::Type::Date: {
        const qint64 milliseconds = referenceDate().msecsTo(*value.toDate());
        const qint64 seconds = milliseconds >= 0 ? milliseconds / 1000 : -((-milliseconds + 999) / 1000);
        const qint64 remainder = milliseconds - seconds * 1000;
        return plist_new_date(int32_t(seconds), int32_t(remainder * 1000));
    }
    case PlistValue::Type::Uid:
        return plist_new_uid(value.toUid()->value);
    case PlistValue::Type::Array: {
        plist_t array = plist_new_array();
        // Held by name: a range-for over *value.toArray() would outlive the optional.
        const PlistValue::Array items = *value.toArray();
        for (const PlistValue& item : items)
            plist_array_append_item(array, toNode(item));
        return array;
    }
    case PlistValue::Type::Dictionary: {
        plist_t dictionary = plist_new_dict();
        const PlistValue::Dictionary entries = *value.toDictionary();
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            plist_dict_set_item(dictionary, it.key().toUtf8().constData(), toNode(it.value()));
        return dictionary;
    }
    }
    return plist_new_bool(0);
}

} // namespace

std::optional<PlistValue::Array> PlistValue::toArray() const
{
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&m_value))
        return **array;
    return std::nullopt;
}

std::optional<PlistValue::Dictionary> PlistValue::toDictionary() const
{
    if (const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&m_value))
        return **dictionary;
    return std::nullopt;
}

bool PlistValue::operator==(const PlistValue& other) const
{
    if (type() != other.type())
        return false;
    switch (type()) {
    case Type::Array:
        return *toArray() == *other.toArray();
    case Type::Dictionary:
        return *toDictionary() == *other.toDictionary();
    default:
        return m_value == other.m_value;
    }
}

std::optional<PlistValue> PropertyList::parse(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > maximumFileSize)
        return std::nullopt;
    plist_t root = nullptr;
    if (plist_is_binary(bytes.constData(), uint32_t(bytes.size()))) {
        // Shared references would otherwise let a small file expand into a huge tree.
        if (!BinaryPlistGuard::withinNodeLimit(bytes, maximumNodes))
            return std::nullopt;
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    } else {
        if (!xmlWithinLimits(bytes))
            return std::nullopt;
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &root);
    }
    PlistHandle handle(root);
    return fromNode(root, 0);
}

std::optional<PlistValue> PropertyList::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumFileSize)
        return std::nullopt;
    return parse(file.read(maximumFileSize + 1));
}

QByteArray PropertyList::serialize(const PlistValue& value, Format format)
{
    PlistHandle root(toNode(value));
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::Binary)
        plist_to_bin(root.get(), &bytes, &length);
    else
        plist_to_xml(root.get(), &bytes, &length);
    MallocBytes owned(bytes);
    return bytes ? QByteArray(bytes, qsizetype(length)) : QByteArray();
}

bool PropertyList::writeFile(const QString& path, const PlistValue& value, Format format)
{
    const QByteArray bytes = serialize(value, format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}
