#pragma once

#include "HTTPRequest.h"

#include <QByteArray>
#include <QString>

// The replies of the loopback server, as bytes on the wire.
namespace AerialHTTPReply {

enum class Status {
    ok = 200,
    partialContent = 206,
    badRequest = 400,
    notFound = 404,
    rangeNotSatisfiable = 416,
    headerTooLarge = 431
};

// What a request for a file of a given size gets: 200 or 206 with the bytes
// first..last, or 416.
struct Plan
{
    Status status = Status::ok;
    qint64 first = 0;
    qint64 last = -1;
    qint64 fileSize = 0;

    bool hasBody() const { return status == Status::ok || status == Status::partialContent; }
    qint64 length() const { return hasBody() ? last - first + 1 : 0; }
};

Plan plan(const std::optional<HTTPRequest::Range>& range, qint64 fileSize);

// The content type of a file, by its extension in any case.
QByteArrayView mimeType(QStringView fileName);

// The header of a 200, 206 or 416 reply, blank line included.
QByteArray fileHeader(const Plan& plan, QByteArrayView contentType);

// The whole reply for 400, 404 or 431: a status and no body.
QByteArray errorReply(Status status);

} // namespace AerialHTTPReply
