#pragma once

#include "APIWallpaper.h"
#include "SharedStrings.h"
#include "WireFields.h"

#include <QByteArray>
#include <QList>

#include <simdjson.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// Reads wire records straight from simdjson's On-Demand values, by the
// records' field tables, with the rules of the Qt-based decoders: a required
// field missing or of the wrong type fails the record, an optional one absent
// or null stays absent, unknown keys are ignored (but must still be valid JSON,
// nested at most maxDepth deep), the last of a repeated key wins, and an
// integer is any number whose value is a whole number in the signed 64-bit
// range. A text keeps every character, a leading U+FEFF included, and an
// escaped surrogate without its pair is no text: simdjson refuses the document,
// and the Qt reader (JsonFields) the field, which fails its record and every
// list and record that holds it. Texts repeated across records come out shared.
//
// One reader serves one thread; it may read one document after another.
class CatalogueReader
{
public:
    using Value = simdjson::ondemand::value;

    // Why a read failed: the JSON itself is bad, or it is sound JSON of another shape.
    enum class Failure { none, malformed, wrongShape };
    static constexpr int maxDepth = 1024;

    // The bytes with the zeroed tail simdjson reads past the end: the same
    // buffer when it has room to spare, a padded copy otherwise.
    class Padded
    {
    public:
        explicit Padded(QByteArray bytes);
        simdjson::padded_string_view view() const;

    private:
        QByteArray m_bytes;
    };

    // Whether the document holds nothing after what was read.
    static bool atEnd(simdjson::ondemand::document& document);

    // A record read into a fresh one and moved to out: when the key that holds
    // it is repeated, the last object wins whole, as with Qt's reader, and no
    // field of an earlier one survives.
    template <Wire::Record T> bool readRecord(Value value, T& out, int depth);
    // A record's fields read straight into out, which must be fresh.
    template <Wire::Record T> bool readFields(Value value, T& out, int depth);
    bool readWallpaper(Value value, APIWallpaper& out, int depth) { return readFields(value, out, depth); }
    bool readText(Value value, QString& out);
    bool readInteger(Value value, qint64& out);
    bool readBool(Value value, bool& out);
    // Checks a value nobody reads, to its end.
    bool skip(Value value, int depth);

    // How a field fared: read, null (absent when optional) or not readable.
    enum class Field { read, null, failed };
    // Reads every field of an object: read(index, value) handles the keys of
    // names by their index, other keys are skipped. Fails when the object does
    // not read, a field failed, or a field of the required mask is missing.
    template <size_t N, typename ReadField>
    bool readObject(Value value, const std::array<std::string_view, N>& names, uint32_t required, int depth,
                    ReadField read);
    // A value read by read(value, out) when it is present, nothing when null.
    template <typename T, typename Read>
    Field optional(Value value, std::optional<T>& out, Read read);
    // Calls each(key, value) for every field of an object, in order, until it returns false.
    template <typename Each>
    bool forEachField(Value value, int depth, Each each);

    Failure failure() const { return m_failure; }
    // Whether a field that failed was passed over for a later one of the same
    // key. What failed is not read to its end, so it may hide bytes that are
    // not JSON at all: a document read with this set must be checked whole
    // with isStrictJson() before it counts as read.
    bool passedOverFailedField() const { return m_passedOver; }
    // Whether the bytes are JSON as its grammar has it, every value checked.
    static bool isStrictJson(simdjson::padded_string_view json);
    // Records a failure of simdjson or, for no error, of shape; always false.
    bool fail(simdjson::error_code error = simdjson::INCORRECT_TYPE);

private:
    template <typename T>
    bool readList(Value value, QList<T>& out, int depth, bool (CatalogueReader::*read)(Value, T&, int));
    bool readSharedText(Value value, QString& out, int depth);
    bool readSharedTexts(Value value, QStringList& out, int depth);
    bool readTitles(Value value, QMap<QString, QString>& out, int depth);
    // Field I of T's table: a value of the field's type, at one level deeper.
    template <Wire::Record T, size_t I> Field readFieldAt(Value value, T& record, int depth);
    bool readValue(Value value, QString& out, int depth, unsigned flags)
    {
        return (flags & Wire::shared) ? readSharedText(value, out, depth) : readText(value, out);
    }
    bool readValue(Value value, qint64& out, int, unsigned) { return readInteger(value, out); }
    bool readValue(Value value, bool& out, int, unsigned) { return readBool(value, out); }
    bool readValue(Value value, QStringList& out, int depth, unsigned) { return readSharedTexts(value, out, depth); }
    bool readValue(Value value, QMap<QString, QString>& out, int depth, unsigned)
    {
        return readTitles(value, out, depth);
    }
    template <Wire::Record T> bool readValue(Value value, T& out, int depth, unsigned)
    {
        return readRecord(value, out, depth);
    }
    template <Wire::Record T> bool readValue(Value value, QList<T>& out, int depth, unsigned)
    {
        return readList(value, out, depth, &CatalogueReader::readFields<T>);
    }
    bool isType(Value& value, simdjson::ondemand::json_type type);
    // A string value's text, or an object key, unescaped; it points into the
    // document or the parser, so it lives as long as both.
    bool textOf(Value& value, std::string_view& out);
    bool keyOf(simdjson::ondemand::field& field, std::string_view& out);

    SharedStrings m_shared;
    Failure m_failure = Failure::none;
    bool m_passedOver = false;
};

template <Wire::Record T> bool CatalogueReader::readRecord(Value value, T& out, int depth)
{
    T record;
    if (!readFields(value, record, depth))
        return false;
    out = std::move(record);
    return true;
}

template <Wire::Record T> bool CatalogueReader::readFields(Value value, T& out, int depth)
{
    static constexpr auto names = Wire::names<T>();
    return readObject(value, names, Wire::requiredMask<T>(), depth, [&](size_t index, Value field) {
        // Compiles to a switch on the index, as a hand-written one would.
        Field outcome = Field::failed;
        [&]<size_t... I>(std::index_sequence<I...>) {
            (void)((index == I && (outcome = readFieldAt<T, I>(field, out, depth), true)) || ...);
        }(std::make_index_sequence<Wire::fieldCount<T>> {});
        return outcome;
    });
}

template <Wire::Record T, size_t I>
CatalogueReader::Field CatalogueReader::readFieldAt(Value value, T& record, int depth)
{
    static constexpr auto field = std::get<I>(T::wireFields());
    using Type = Wire::TypeOf<decltype(field)>;
    const auto read = [&](Value v, auto& out) { return readValue(v, out, depth + 1, field.flags); };
    if constexpr (Wire::isRetired<std::decay_t<decltype(field)>>) {
        Type ignored;
        return optional(value, ignored, read);
    } else if constexpr (Wire::isOptional<Type>) {
        return optional(value, record.*field.member, read);
    } else {
        return read(value, record.*field.member) ? Field::read : Field::failed;
    }
}

template <typename T>
bool CatalogueReader::readList(Value value, QList<T>& out, int depth, bool (CatalogueReader::*read)(Value, T&, int))
{
    if (depth > maxDepth)
        return fail(simdjson::DEPTH_ERROR);
    if (!isType(value, simdjson::ondemand::json_type::array))
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

template <size_t N, typename ReadField>
bool CatalogueReader::readObject(Value value, const std::array<std::string_view, N>& names, uint32_t required,
                                 int depth, ReadField readField)
{
    static_assert(N <= 32);
    uint32_t good = 0;
    uint32_t bad = 0;
    const bool read = forEachField(value, depth, [&](std::string_view key, Value field) {
        size_t index = 0;
        while (index < N && (names[index].size() != key.size() || names[index] != key))
            ++index;
        if (index == N)
            return skip(field, depth + 1);
        const uint32_t bit = uint32_t(1) << index;
        switch (readField(index, field)) {
        case Field::read:
            good |= bit;
            bad &= ~bit;
            break;
        case Field::null:
            good &= ~bit;
            bad = (required & bit) ? bad | bit : bad & ~bit;
            break;
        case Field::failed:
            if (m_failure == Failure::malformed)
                return false;
            m_passedOver = true;
            good &= ~bit;
            bad |= bit;
            break;
        }
        return true;
    });
    if (!read)
        return false;
    if (bad != 0 || (good & required) != required)
        return fail();
    return true;
}

template <typename Each>
bool CatalogueReader::forEachField(Value value, int depth, Each each)
{
    if (depth > maxDepth)
        return fail(simdjson::DEPTH_ERROR);
    if (!isType(value, simdjson::ondemand::json_type::object))
        return false;
    simdjson::ondemand::object object;
    if (const auto error = value.get_object().get(object))
        return fail(error);
    for (auto entry : object) {
        simdjson::ondemand::field field;
        std::string_view key;
        if (const auto error = std::move(entry).get(field))
            return fail(error);
        if (!keyOf(field, key))
            return false;
        if (!each(key, field.value()))
            return false;
    }
    return true;
}

template <typename T, typename Read>
CatalogueReader::Field CatalogueReader::optional(Value value, std::optional<T>& out, Read read)
{
    bool null = false;
    if (const auto error = value.is_null().get(null)) {
        fail(error);
        return Field::failed;
    }
    if (null) {
        out.reset();
        return Field::null;
    }
    T item{};
    if (!read(value, item)) {
        out.reset();
        return Field::failed;
    }
    out = std::move(item);
    return Field::read;
}
