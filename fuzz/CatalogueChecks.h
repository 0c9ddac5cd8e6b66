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
        FuzzSupport::check(rowsOf(fast.value().data.value_or(T{})) == rowsOf(*reference), "same records as Qt");
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
