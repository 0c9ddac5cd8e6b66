#include "AerialHTTPReply.h"

namespace AerialHTTPReply {

namespace {

QByteArrayView statusLine(Status status)
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

QByteArrayView mimeType(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > fileName.lastIndexOf(QLatin1Char('/'));
    const QStringView extension = hasExtension ? fileName.sliced(dot + 1) : QStringView();
    const auto is = [extension](const char* name) {
        return extension.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
    };
    if (is("mov") || is("mp4"))
        return "video/quicktime";
    if (is("png"))
        return "image/png";
    if (is("jpg") || is("jpeg"))
        return "image/jpeg";
    return "application/octet-stream";
}

QByteArray fileHeader(const Plan& plan, QByteArrayView contentType)
{
    // One allocation: every header this writes fits.
    QByteArray header;
    header.reserve(320);
    header += statusLine(plan.status);
    if (plan.status == Status::rangeNotSatisfiable) {
        header += "Content-Range: bytes */";
        header += QByteArray::number(plan.fileSize);
        header += "\r\n"
                  "Accept-Ranges: bytes\r\n"
                  "Content-Length: 0\r\n"
                  "Connection: close\r\n\r\n";
        return header;
    }
    if (plan.status == Status::partialContent) {
        header += "Content-Range: bytes ";
        header += QByteArray::number(plan.first);
        header += '-';
        header += QByteArray::number(plan.last);
        header += '/';
        header += QByteArray::number(plan.fileSize);
        header += "\r\n";
    }
    header += "Content-Type: ";
    header += contentType;
    header += "\r\nContent-Length: ";
    header += QByteArray::number(plan.length());
    header += "\r\n"
              "Accept-Ranges: bytes\r\n"
              "Cache-Control: public, max-age=31536000, immutable\r\n"
              "Connection: close\r\n\r\n";
    return header;
}

QByteArray errorReply(Status status)
{
    return statusLine(status).toByteArray() + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}

} // namespace AerialHTTPReply
