#pragma once

#include "WireFields.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// Field-by-field reading and writing of the service's JSON records.
//
// A value reads only when it has exactly the expected JSON type: text from a
// string (never one with a surrogate without its pair), an integer from a number without fraction in the signed 64-bit
// range, a boolean from true or false, a record from an object, lists and
// maps from arrays and objects whose every element reads. A record takes part
// by its table of fields (WireFields.h).
namespace JsonFields {

bool read(const QJsonValue& value, QString& out);
bool read(const QJsonValue& value, qint64& out);
bool read(const QJsonValue& value, bool& out);
template <Wire::Record T>
bool read(const QJsonValue& value, T& out);
template <typename T>
bool read(const QJsonValue& value, QList<T>& out);
template <typename T>
bool read(const QJsonValue& value, QMap<QString, T>& out);

QJsonValue write(const QString& value);
QJsonValue write(qint64 value);
QJsonValue write(bool value);
QJsonValue write(const char*) = delete; // would silently become a boolean
template <Wire::Record T>
QJsonValue write(const T& record);
template <typename T>
QJsonValue write(const QList<T>& values);
template <typename T>
QJsonValue write(const QMap<QString, T>& values);

// Reads the fields of one object; any failed field makes the whole object fail.
class ObjectReader
{
public:
    explicit ObjectReader(const QJsonObject& object) : m_object(object) {}

    // Must be present with the right type.
    template <typename T>
    T required(QLatin1StringView key)
    {
        T out{};
        if (!read(m_object.value(key), out))
            m_failed = true;
        return out;
    }

    // Absent or null gives nothing; present with another type fails.
    template <typename T>
    std::optional<T> optional(QLatin1StringView key)
    {
        const QJsonValue value = m_object.value(key);
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        T out{};
        if (!read(value, out)) {
            m_failed = true;
            return std::nullopt;
        }
        return out;
    }

    // One field of a record's table into the record.
    template <typename Field, typename Record>
    void field(const Field& field, Record& record)
    {
        using T = Wire::TypeOf<Field>;
        const QLatin1StringView key(field.name.data(), qsizetype(field.name.size()));
        if constexpr (Wire::isRetired<Field>)
            optional<typename T::value_type>(key);
        else if constexpr (Wire::isOptional<T>)
            record.*field.member = optional<typename T::value_type>(key);
        else
            record.*field.member = required<T>(key);
    }

    bool ok() const { return !m_failed; }

private:
    const QJsonObject m_object; // shared, cheap to hold
    bool m_failed = false;
};

// Builds one object; an absent optional field is left out, never written as null.
class ObjectWriter
{
public:
    template <typename T>
    void set(QLatin1StringView key, const T& value)
    {
        m_object.insert(key, write(value));
    }

    template <typename T>
    void set(QLatin1StringView key, const std::optional<T>& value)
    {
        if (value)
            set(key, *value);
    }

    // One field of a record's table from the record.
    template <typename Field, typename Record>
    void field(const Field& field, const Record& record)
    {
        if constexpr (!Wire::isRetired<Field>)
            set(QLatin1StringView(field.name.data(), qsizetype(field.name.size())), record.*field.member);
    }

    QJsonObject object() const { return m_object; }

private:
    QJsonObject m_object;
};

// A record by its table; nothing when any field fails.
template <Wire::Record T>
std::optional<T> readRecord(const QJsonObject& object)
{
    ObjectReader in(object);
    T record;
    Wire::visit<T>([&](const auto& field) { in.field(field, record); });
    if (!in.ok())
        return std::nullopt;
    return record;
}

template <Wire::Record T>
QJsonObject writeRecord(const T& record)
{
    ObjectWriter out;
    Wire::visit<T>([&](const auto& field) { out.field(field, record); });
    return out.object();
}

template <Wire::Record T>
bool read(const QJsonValue& value, T& out)
{
    if (!value.isObject())
        return false;
    std::optional<T> record = readRecord<T>(value.toObject());
    if (!record)
        return false;
    out = std::move(*record);
    return true;
}

template <typename T>
bool read(const QJsonValue& value, QList<T>& out)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    QList<T> list;
    list.reserve(array.size());
    for (const QJsonValue& element : array) {
        T item{};
        if (!read(element, item))
            return false;
        list.append(std::move(item));
    }
    out = std::move(list);
    return true;
}

template <typename T>
bool read(const QJsonValue& value, QMap<QString, T>& out)
{
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    QMap<QString, T> map;
    for (auto it = object.begin(); it != object.end(); ++it) {
        T item{};
        if (!read(it.value(), item))
            return false;
        map.insert(it.key(), std::move(item));
    }
    out = std::move(map);
    return true;
}

template <Wire::Record T>
QJsonValue write(const T& record)
{
    return writeRecord(record);
}

template <typename T>
QJsonValue write(const QList<T>& values)
{
    QJsonArray array;
    for (const T& value : values)
        array.append(write(value));
    return array;
}

template <typename T>
QJsonValue write(const QMap<QString, T>& values)
{
    QJsonObject object;
    for (auto it = values.begin(); it != values.end(); ++it)
        object.insert(it.key(), write(it.value()));
    return object;
}

} // namespace JsonFields

// Defines a record's fromJson and toJson by its table.
#define WIRE_JSON_FUNCTIONS(Type) \
    std::optional<Type> Type::fromJson(const QJsonObject& object) { return JsonFields::readRecord<Type>(object); } \
    QJsonObject Type::toJson() const { return JsonFields::writeRecord(*this); }
