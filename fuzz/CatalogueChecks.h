#pragma once

#include "APIModels.h"
#include "APIResponse.h"
#include "CatalogueWriter.h"
#include "FuzzSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <simdjson.h>

// The checks on the replies read by the fast catalogue decoder: it must read
// what Qt's reader reads, the same way, and every record must write back.
namespace CatalogueChecks {

// Every wallpaper decoded must encode to JSON that decodes to itself, and the
// streaming writer must write the bytes QJsonDocument writes.
inline void checkRoundTrip(const QList<APIWallpaper>& wallpapers)
{
    for (const APIWallpaper& wallpaper : wallpapers) {
        FuzzSupport::check(APIWallpaper::fromJson(wallpaper.toJson()) == wallpaper, "wallpaper round trip");
        QByteArray streamed;
        CatalogueWriter::append(streamed, wallpaper);
        FuzzSupport::check(streamed == QJsonDocument(wallpaper.toJson()).toJson(QJsonDocument::Compact),
                           "streamed bytes");
    }
}

// Whether the bytes are JSON as its grammar has it: Qt's reader also takes
// a few texts that are not (such as the number "1."), which the fast decoder
// rightly refuses.
inline bool isStrictJson(const QByteArray& body)
{
    simdjson::dom::parser parser;
    simdjson::dom::element element;
    return !parser.parse(body.constData(), size_t(body.size())).get(element);
}

// Qt's reader drops a U+FEFF that starts a text where the bytes hold it raw
// (it keeps an escaped one), while the fast reader keeps every character: the
// records are compared with leading marks taken off their texts.
inline QJsonValue withoutLeadingMarks(const QJsonValue& value)
{
    if (value.isString()) {
        QString text = value.toString();
        while (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue& element : value.toArray())
            array.append(withoutLeadingMarks(element));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object;
        const QJsonObject original = value.toObject();
        for (auto it = original.begin(); it != original.end(); ++it)
            object.insert(withoutLeadingMarks(it.key()).toString(), withoutLeadingMarks(it.value()));
        return object;
    }
    return value;
}

inline QJsonArray comparable(const QList<QList<APIWallpaper>>& rows)
{
    QJsonArray array;
    for (const QList<APIWallpaper>& row : rows) {
        QJsonArray records;
        for (const APIWallpaper& wallpaper : row)
            records.append(withoutLeadingMarks(wallpaper.toJson()));
        array.append(records);
    }
    return array;
}

// The reply as the Qt-based decoder reads it: the reference for the fast one.
template <typename T> std::optional<T> payloadByQt(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    const std::optional<APIResponse<T>> response = APIResponse<T>::fromJson(document.object());
    if (!response)
        return std::nullopt;
    return response->data.value_or(T{});
}

// The fast decoder reads nothing Qt would not, and reads it the same way.
template <typename T, typename Rows> void checkAgainstQt(const QByteArray& body, Rows rowsOf)
{
    const Result<APIResponse<T>> fast = APIResponse<T>::decode(body);
    const std::optional<T> reference = payloadByQt<T>(body);
    // Qt also takes a few numbers that are not JSON ("1."), so only the records are compared.
    if (reference && fast)
        FuzzSupport::check(comparable(rowsOf(fast.value().data.value_or(T{}))) == comparable(rowsOf(*reference)),
            "same records as Qt");
    // A reply that is strict JSON and that Qt reads is read by the fast decoder too.
    if (reference && isStrictJson(body))
        FuzzSupport::check(bool(fast), "reads what Qt reads");
    if (fast && fast.value().data) {
        FuzzSupport::check(reference.has_value(), "decodes only what Qt decodes");
        for (const QList<APIWallpaper>& row : rowsOf(*fast.value().data))
            checkRoundTrip(row);
    }
}

} // namespace CatalogueChecks
