#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The envelope of a service reply as the service writes it: the other side
// of APIResponse. The local service and the tests' fake service both answer
// with these.
namespace APIEnvelope {

// {"ok":true,"data":data}
inline QJsonObject ok(const QJsonValue& data) { return { { "ok", true }, { "data", data } }; }

// {"ok":true}
inline QJsonObject okWithoutData() { return { { "ok", true } }; }

// {"ok":false,"error":error}; without "error" when there is none.
inline QJsonObject failure(const std::optional<QString>& error)
{
    QJsonObject envelope { { "ok", false } };
    if (error)
        envelope.insert("error", *error);
    return envelope;
}

} // namespace APIEnvelope
