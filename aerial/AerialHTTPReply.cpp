#include "AerialHTTPReply.h"

#include <QFileInfo>

namespace AerialHTTPReply {

namespace {

QByteArray statusLine(Status status)
{
    switch (status) {
    case Status::ok:
        return "HTTP/1.1 200 OK\r\n";
    case Status::partialContent:
        return "HTTP/1.1 206 Partial Content\r\n";
    case Status::badRequest:
        return "HTTP/1.1 400 Bad Request\r\n";
    case Status::notFound:
        return "HTTP/1.1 404 Not Found\r\n";
    case Status::rangeNotSatisfiable:
        return "HTTP/1.1 416 Range Not Satisfiable\r\n";
    case Status::headerTooLarge:
        return "HTTP/1.1 431 Request Header Fields Too Large\r\n";
    }
    return {};
}

} // namespace

Plan plan(const std::optional<HTTPRequest::Range>& range, qint64 fileSize)
{
    const Plan unsatisfiable { Status::rangeNotSatisfiable, 0, -1, fileSize };
    if (!range)
        return Plan { Status::ok, 0, fileSize - 1, fileSize };
    const qint64 first = std::max<qint64>(range->start, 0);
    if (first >= fileSize)
        return unsatisfiable;
    const qint64 last = range->end ? std::min(fileSize - 1, *range->end) : fileSize - 1;
    if (last < first)
        return unsatisfiable;
    return Plan { Status::partialContent, first, last, fileSize };
}

QString mimeType(const QString& fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("mov") || extension == QLatin1String("mp4"))
        return QStringLiteral("video/quicktime");
    if (extension == QLatin1String("png"))
        return QStringLiteral("image/png");
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return QStringLiteral("image/jpeg");
    return QStringLiteral("application/octet-stream");
}

QByteArray fileHeader(const Plan& plan, const QString& contentType)
{
    const QByteArray size = QByteArray::number(plan.fileSize);
    QByteArray header = statusLine(plan.status);
    if (plan.status == Status::rangeNotSatisfiable) {
        header += "Content-Range: bytes */" + size
            + "\r\n"
              "Accept-Ranges: bytes\r\n"
              "Content-Length: 0\r\n"
              "Connection: close\r\n\r\n";
        return header;
    }
    if (plan.status == Status::partialContent)
        header += "Content-Range: bytes " + QByteArray::number(plan.first) + '-' + QByteArray::number(plan.last) + '/'
            + size + "\r\n";
    header += "Content-Type: " + contentType.toUtf8()
        + "\r\n"
          "Content-Length: "
        + QByteArray::number(plan.length())
        + "\r\n"
          "Accept-Ranges: bytes\r\n"
          "Cache-Control: public, max-age=31536000, immutable\r\n"
          "Connection: close\r\n\r\n";
    return header;
}

QByteArray errorReply(Status status) { return statusLine(status) + "Content-Length: 0\r\nConnection: close\r\n\r\n"; }

} // namespace AerialHTTPReply
