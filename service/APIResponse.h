#pragma once

#include "JsonFields.h"
#include "Result.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <optional>

// Why a reply body did not decode: it is not JSON, or not the JSON expected.
inline DecodingError malformedReply()
{
    return DecodingError { QStringLiteral("The data couldn't be read because it isn't in the correct format.") };
}
inline DecodingError wrongShapeReply()
{
    return DecodingError { QStringLiteral("The data couldn't be read because it is missing or of the wrong type.") };
}

// The envelope of every service reply: a success flag, the endpoint's payload
// and an error text. T is anything JsonFields reads: a record, a list, a map.
template <typename T> struct APIResponse
{
    bool ok = false;
    std::optional<T> data;
    std::optional<QString> error;

    static constexpr auto wireFields()
    {
        return std::tuple { Wire::field("ok", &APIResponse::ok), Wire::field("data", &APIResponse::data),
                            Wire::field("error", &APIResponse::error) };
    }
    static std::optional<APIResponse> fromJson(const QJsonObject& object)
    {
        return JsonFields::readRecord<APIResponse>(object);
    }

    // A whole reply body; a DecodingError when it is not an envelope of T.
    // The catalogue's large replies have their own decoder (APIModels.h).
    static Result<APIResponse> decode(const QByteArray& body)
    {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject())
            return malformedReply();
        std::optional<APIResponse> response = fromJson(document.object());
        if (!response)
            return wrongShapeReply();
        return std::move(*response);
    }

    // The payload when the service said ok and sent one; otherwise its error
    // text, or `fallback` when it gave none.
    Result<T> payload(const QString& fallback) const
    {
        if (ok && data)
            return *data;
        return APIError::serverError(error.value_or(fallback));
    }

    // Success whenever the service said ok, with or without a payload.
    Result<Done> outcome(const QString& fallback) const
    {
        if (ok)
            return Done {};
        return APIError::serverError(error.value_or(fallback));
    }
};

// Decodes a body and takes its payload in one step.
template <typename T> Result<T> decodePayload(const QByteArray& body, const QString& fallback)
{
    Result<APIResponse<T>> response = APIResponse<T>::decode(body);
    if (!response)
        return response.error();
    return response.value().payload(fallback);
}
