#pragma once

#include "Refusal.h"
#include "RequestFraming.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <utility>

// One request as the handlers see it: the method, the decoded path split into
// segments, the query, the headers and the body.
struct ServiceRequest
{
    QByteArray method; // "GET", "PUT", ...
    QStringList segments; // "/api/v1/me" gives "api", "v1", "me"
    QUrlQuery query;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString origin; // the service's own address, e.g. "http://127.0.0.1:8080"

    static ServiceRequest from(const RequestFraming::Request& request, const QString& origin);

    // The first header of that name, whatever its case; empty when absent.
    QByteArray header(QByteArrayView name) const;
    // The token after "Bearer " in Authorization; empty when there is none.
    QString bearerToken() const;
    // A query item, decoded; null when absent.
    QString queryValue(const QString& name) const;
    // Whether the segments after `from` match the pattern; "*" matches any one segment.
    bool matches(const QByteArray& wantedMethod, const QStringList& pattern) const;
};

// What the service answers: a status, headers and a body, or a stretch of a
// file that is streamed after the head.
struct ServiceReply
{
    int status = 200;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString file; // when set, `length` bytes of it from `offset` are the body
    qint64 offset = 0;
    qint64 length = 0;
    bool headOnly = false; // a HEAD request: the head of the answer alone

    // {"ok":true,"data":data} with status 200.
    static ServiceReply ok(const QJsonValue& data);
    // {"ok":false,"error":message} with the refusal's status.
    static ServiceReply refused(const Refusal& refusal);
    static ServiceReply refused(int status, const QString& message) { return refused(Refusal { status, message }); }
    static ServiceReply json(const QJsonObject& object, int status = 200);
    static ServiceReply content(const QByteArray& body, const QByteArray& contentType, int status = 200);
    static ServiceReply redirect(const QUrl& location);

    ServiceReply& withHeader(const QByteArray& name, const QByteArray& value)
    {
        headers.append({ name, value });
        return *this;
    }
};

// The answer of a record, or the refusal that stands in its place.
template <typename T> ServiceReply replyWith(const Checked<T>& outcome)
{
    if (!outcome)
        return ServiceReply::refused(outcome.refusal());
    return ServiceReply::ok(outcome.value().toJson());
}
