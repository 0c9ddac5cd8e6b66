#include "CatalogueReader.h"

#include <cmath>
#include <cstring>

using simdjson::ondemand::json_type;

namespace {

// Whole numbers beyond this do not fit a signed 64-bit integer.
constexpr double twoToThe63 = 9223372036854775808.0;

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
    out = textFromUtf8(text);
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

bool CatalogueReader::readSharedTexts(Value value, QStringList& out, int depth)
{
    QStringList texts;
    if (!readList(value, texts, depth, &CatalogueReader::readSharedText))
        return false;
    out = m_shared.list(std::move(texts));
    return true;
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

bool CatalogueReader::atEnd(simdjson::ondemand::document& document)
{
    // Past the last token there is no location left.
    const char* location = nullptr;
    return document.current_location().get(location) == simdjson::OUT_OF_BOUNDS;
}
