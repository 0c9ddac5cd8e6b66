#include "CatalogueReader.h"

#include <cmath>
#include <cstring>

using simdjson::ondemand::json_type;

namespace {


// Whole numbers beyond this do not fit a signed 64-bit integer.
constexpr double twoToThe63 = 9223372036854775808.0;

constexpr std::array<std::string_view, 4> profileKeys{"id", "name", "avatarUrl", "isVerified"};
constexpr std::array<std::string_view, 5> categoryKeys{"id", "name", "icon", "sortOrder", "createdAt"};
constexpr std::array<std::string_view, 22> wallpaperKeys{
    "id",          "title",         "type",          "resolutionWidth", "resolutionHeight", "fileSize",
    "thumbnailPath", "contentPath", "previewColors", "downloadCount",   "favoriteCount",    "applyCount",
    "createdAt",   "updatedAt",     "profile",       "category",        "posterPath",       "previewClipPath",
    "tags",        "trendCount",    "localizedTitles", "status"};

constexpr uint32_t bits(std::initializer_list<int> indexes)
{
    uint32_t mask = 0;
    for (int index : indexes)
        mask |= uint32_t(1) << index;
    return mask;
}

CatalogueReader::Field outcome(bool read)
{
    return read ? CatalogueReader::Field::read : CatalogueReader::Field::failed;
}

} // namespace

CatalogueReader::Padded::Padded(QByteArray bytes) : m_bytes(std::move(bytes))
{
    // A shared buffer is copied too: its tail is written below.
    if (m_bytes.capacity() - m_bytes.size() < qsizetype(simdjson::SIMDJSON_PADDING) || !m_bytes.isDetached()) {
        QByteArray copy;
        copy.reserve(m_bytes.size() + qsizetype(simdjson::SIMDJSON_PADDING));
        copy.append(m_bytes.constData(), m_bytes.size());
        m_bytes = std::move(copy);
    }
    // The tail is read, never trusted; zero it so every read is of defined bytes.
    std::memset(m_bytes.data() + m_bytes.size(), 0, size_t(simdjson::SIMDJSON_PADDING));
}

simdjson::padded_string_view CatalogueReader::Padded::view() const
{
    return simdjson::padded_string_view(m_bytes.constData(), size_t(m_bytes.size()),
                                        size_t(m_bytes.size()) + simdjson::SIMDJSON_PADDING);
}

bool CatalogueReader::isStrictJson(simdjson::padded_string_view json)
{
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    return parser.parse(json.data(), json.size(), false).get(root) == simdjson::SUCCESS;
}

bool CatalogueReader::fail(simdjson::error_code error)
{
    if (m_failure != Failure::malformed)
        m_failure = error == simdjson::INCORRECT_TYPE ? Failure::wrongShape : Failure::malformed;
    return false;
}

bool CatalogueReader::isType(Value& value, json_type wanted)
{
    json_type type;
    if (const auto error = value.type().get(type))
        return fail(error);
    return type == wanted || fail();
}

bool CatalogueReader::textOf(Value& value, std::string_view& out)
{
    if (!isType(value, json_type::string))
        return false;
    // A text without escapes is taken where it stands in the document (whose
    // UTF-8 the parser has checked), sparing the copy simdjson unescapes into.
    // The value is still consumed either way, so the parser checks what follows it alike.
    const std::string_view token = value.raw_json_token();
    if (token.size() >= 2 && token.back() == '"') {
        const std::string_view inner = token.substr(1, token.size() - 2);
        if (inner.find('\\') == std::string_view::npos) {
            simdjson::ondemand::raw_json_string raw;
            if (const auto error = value.get_raw_json_string().get(raw))
                return fail(error);
            out = inner;
            return true;
        }
    }
    if (const auto error = value.get_string().get(out))
        return fail(error);
    return true;
}

bool CatalogueReader::keyOf(simdjson::ondemand::field& field, std::string_view& out)
{
    // The key's quotes are checked already; its end is the first quote unless an escape comes first.
    const char* const begin = field.key().raw();
    const char* end = begin;
    while (*end != '"' && *end != '\\')
        ++end;
    if (*end == '"') {
        out = std::string_view(begin, size_t(end - begin));
        return true;
    }
    if (const auto error = field.unescaped_key().get(out))
        return fail(error);
    return true;
}

bool CatalogueReader::readText(Value value, QString& out)
{
    std::string_view text;
    if (!textOf(value, text))
        return false;
    out = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return true;
}

bool CatalogueReader::readSharedText(Value value, QString& out, int)
{
    std::string_view text;
    if (!textOf(value, text))
        return false;
    out = m_shared.text(text);
    return true;
}

bool CatalogueReader::readInteger(Value value, qint64& out)
{
    if (!isType(value, json_type::number))
        return false;
    int64_t integer = 0;
    if (value.get_int64().get(integer) == simdjson::SUCCESS) {
        out = integer;
        return true;
    }
    // A fraction of zero or an exponent still names a whole number; the
    // number must only be exact and in range.
    double number = 0;
    if (const auto error = value.get_double().get(number))
        return fail(error);
    if (!(number >= -twoToThe63 && number < twoToThe63) || std::trunc(number) != number)
        return fail();
    out = qint64(number);
    return true;
}

bool CatalogueReader::readBool(Value value, bool& out)
{
    if (!isType(value, json_type::boolean))
        return false;
    if (const auto error = value.get_bool().get(out))
        return fail(error);
    return true;
}

bool CatalogueReader::skip(Value value, int depth)
{
    if (depth > maxDepth)
        return fail(simdjson::DEPTH_ERROR);
    json_type type;
    if (const auto error = value.type().get(type))
        return fail(error);
    switch (type) {
    case json_type::array: {
        simdjson::ondemand::array array;
        if (const auto error = value.get_array().get(array))
            return fail(error);
        for (auto element : array) {
            Value item;
            if (const auto error = std::move(element).get(item))
                return fail(error);
            if (!skip(item, depth + 1))
                return false;
        }
        return true;
    }
    case json_type::object:
        return forEachField(value, depth, [&](std::string_view, Value field) { return skip(field, depth + 1); });
    case json_type::number: {
        double number = 0;
        if (const auto error = value.get_double().get(number))
            return fail(error);
        return true;
    }
    case json_type::string: {
        std::string_view text;
        if (const auto error = value.get_string().get(text))
            return fail(error);
        return true;
    }
    case json_type::boolean: {
        bool flag = false;
        if (const auto error = value.get_bool().get(flag))
            return fail(error);
        return true;
    }
    case json_type::null: {
        bool null = false;
        if (const auto error = value.is_null().get(null))
            return fail(error);
        return null || fail(simdjson::N_ATOM_ERROR);
    }
    }
    return fail(simdjson::TAPE_ERROR);
}

template <typename T>
bool CatalogueReader::readList(Value value, QList<T>& out, int depth, bool (CatalogueReader::*read)(Value, T&, int))
{
    if (depth > maxDepth)
        return fail(simdjson::DEPTH_ERROR);
    if (!isType(value, json_type::array))
        return false;
    simdjson::ondemand::array array;
    if (const auto error = value.get_array().get(array))
        return fail(error);
    QList<T> list;
    for (auto element : array) {
        Value item;
        if (const auto error = std::move(element).get(item))
            return fail(error);
        T record{};
        if (!(this->*read)(item, record, depth + 1))
            return false;
        list.append(std::move(record));
    }
    out = std::move(list);
    return true;
}

bool CatalogueReader::readSharedTexts(Value value, QStringList& out, int depth)
{
    QStringList texts;
    if (!readList(value, texts, depth, &CatalogueReader::readSharedText))
        return false;
    out = m_shared.list(std::move(texts));
    return true;
}

bool CatalogueReader::readWallpapers(Value value, QList<APIWallpaper>& out, int depth)
{
    return readList(value, out, depth, &CatalogueReader::readWallpaper);
}

bool CatalogueReader::readTitles(Value value, QMap<QString, QString>& out, int depth)
{
    QMap<QString, QString> titles;
    const bool read = forEachField(value, depth, [&](std::string_view key, Value field) {
        QString title;
        const QString language = m_shared.text(key);
        if (!readText(field, title))
            return false;
        titles.insert(language, title); // a repeated key: the last wins
        return true;
    });
    if (read)
        out = std::move(titles);
    return read;
}

// Both read into a fresh record: when the key that holds them is repeated,
// the last object wins whole, as with Qt's reader, and no field of an earlier
// one survives.
bool CatalogueReader::readProfile(Value value, APIProfile& out, int depth)
{
    APIProfile profile;
    const bool read = readObject(value, profileKeys, bits({0, 3}), depth, [&](size_t index, Value field) {
        switch (index) {
        case 0: return outcome(readSharedText(field, profile.id, depth));
        case 1: return optional(field, profile.name, [&](Value v, QString& s) { return readSharedText(v, s, depth); });
        case 2:
            return optional(field, profile.avatarUrl, [&](Value v, QString& s) { return readSharedText(v, s, depth); });
        default: return outcome(readBool(field, profile.isVerified));
        }
    });
    if (read)
        out = std::move(profile);
    return read;
}

bool CatalogueReader::readCategory(Value value, APICategory& out, int depth)
{
    APICategory category;
    const bool read = readObject(value, categoryKeys, bits({0, 1, 2}), depth, [&](size_t index, Value field) {
        switch (index) {
        case 0: return outcome(readSharedText(field, category.id, depth));
        case 1: return outcome(readSharedText(field, category.name, depth));
        case 2: return outcome(readSharedText(field, category.icon, depth));
        case 3: return optional(field, category.sortOrder, [&](Value v, qint64& n) { return readInteger(v, n); });
        default:
            return optional(field, category.createdAt, [&](Value v, QString& s) { return readSharedText(v, s, depth); });
        }
    });
    if (read)
        out = std::move(category);
    return read;
}

bool CatalogueReader::readWallpaper(Value value, APIWallpaper& w, int depth)
{
    // Everything but the optional previewColors, posterPath, previewClipPath, trendCount, localizedTitles and status.
    constexpr uint32_t required = bits({0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 18});
    const auto text = [this](Value v, QString& s) { return readText(v, s); };
    const auto shared = [this, depth](Value v, QString& s) { return readSharedText(v, s, depth); };
    return readObject(value, wallpaperKeys, required, depth, [&](size_t index, Value field) {
        switch (index) {
        case 0: return outcome(readText(field, w.id));
        case 1: return outcome(readText(field, w.title));
        case 2: return outcome(readSharedText(field, w.type, depth));
        case 3: return outcome(readInteger(field, w.resolutionWidth));
        case 4: return outcome(readInteger(field, w.resolutionHeight));
        case 5: return outcome(readInteger(field, w.fileSize));
        case 6: return outcome(readText(field, w.thumbnailPath));
        case 7: return outcome(readText(field, w.contentPath));
        case 8:
            return optional(field, w.previewColors,
                            [&](Value v, QStringList& list) { return readSharedTexts(v, list, depth + 1); });
        case 9: return outcome(readInteger(field, w.downloadCount));
        case 10: return outcome(readInteger(field, w.favoriteCount));
        case 11: return outcome(readInteger(field, w.applyCount));
        case 12: return outcome(shared(field, w.createdAt));
        case 13: return outcome(shared(field, w.updatedAt));
        case 14: return outcome(readProfile(field, w.profile, depth + 1));
        case 15: return outcome(readCategory(field, w.category, depth + 1));
        case 16: return optional(field, w.posterPath, text);
        case 17: return optional(field, w.previewClipPath, text);
        case 18: return outcome(readSharedTexts(field, w.tags, depth + 1));
        case 19: return optional(field, w.trendCount, [&](Value v, qint64& n) { return readInteger(v, n); });
        case 20:
            return optional(field, w.localizedTitles,
                            [&](Value v, QMap<QString, QString>& map) { return readTitles(v, map, depth + 1); });
        default: return optional(field, w.status, shared);
        }
    });
}

bool CatalogueReader::atEnd(simdjson::ondemand::document& document)
{
    // Past the last token there is no location left.
    const char* location = nullptr;
    return document.current_location().get(location) == simdjson::OUT_OF_BOUNDS;
}
