#pragma once

#include "WireFields.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <string_view>
#include <type_traits>

// Writes wire records as compact JSON straight into bytes, without building
// documents. Texts and numbers come out as QJsonDocument writes them.
namespace WireBytes {

// A surrogate without its pair has no UTF-8 form, and both readers refuse its
// \u escape: it is written as a question mark, as QString::toUtf8() writes it.
struct Layout
{
    bool sortedKeys; // as a JSON object sorts them; otherwise in table order
    // Qt's JSON reader drops a U+FEFF that starts a text as a byte-order mark,
    // but keeps its \u escape.
    bool escapeByteOrderMark;
};
// The catalogue cache, read by simdjson: the bytes Qt writes for toJson().
inline constexpr Layout cacheLayout { true, false };
// The metadata file, read by Qt: keys in table order.
inline constexpr Layout metadataLayout { false, true };

void appendText(QByteArray& out, const QString& text, bool escapeByteOrderMark);
void appendNumber(QByteArray& out, qint64 value);

template <Layout layout, Wire::Record T> void appendRecord(QByteArray& out, const T& record);

template <typename T> inline constexpr bool isList = false;
template <typename T> inline constexpr bool isList<QList<T>> = true;
template <typename T> inline constexpr bool isTextMap = false;
template <typename T> inline constexpr bool isTextMap<QMap<QString, T>> = true;

template <Layout layout, typename T> void appendValue(QByteArray& out, const T& value)
{
    if constexpr (std::is_same_v<T, QString>) {
        appendText(out, value, layout.escapeByteOrderMark);
    } else if constexpr (std::is_same_v<T, bool>) {
        out.append(value ? std::string_view("true") : std::string_view("false"));
    } else if constexpr (std::is_integral_v<T>) {
        appendNumber(out, value);
    } else if constexpr (Wire::Record<T>) {
        appendRecord<layout>(out, value);
    } else if constexpr (isList<T>) {
        out.append('[');
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendValue<layout>(out, value.at(i));
        }
        out.append(']');
    } else {
        static_assert(isTextMap<T>, "no JSON form for this type");
        out.append('{');
        // A map iterates in the order a JSON object sorts its keys.
        for (auto it = value.cbegin(); it != value.cend(); ++it) {
            if (it != value.cbegin())
                out.append(',');
            appendText(out, it.key(), layout.escapeByteOrderMark);
            out.append(':');
            appendValue<layout>(out, it.value());
        }
        out.append('}');
    }
}

// One object; an absent optional field is left out, a retired one never written.
template <Layout layout, Wire::Record T> void appendRecord(QByteArray& out, const T& record)
{
    out.append('{');
    bool first = true;
    const auto key = [&](std::string_view name) {
        if (!first)
            out.append(',');
        first = false;
        out.append('"');
        out.append(name.data(), qsizetype(name.size()));
        out.append("\":", 2);
    };
    const auto each = [&](const auto& field) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (!Wire::isRetired<Field>) {
            const auto& value = record.*field.member;
            if constexpr (Wire::isOptional<Wire::TypeOf<Field>>) {
                if (value) {
                    key(field.name);
                    appendValue<layout>(out, *value);
                }
            } else {
                key(field.name);
                appendValue<layout>(out, value);
            }
        }
    };
    if constexpr (layout.sortedKeys)
        Wire::visitSorted<T>(each);
    else
        Wire::visit<T>(each);
    out.append('}');
}

} // namespace WireBytes
