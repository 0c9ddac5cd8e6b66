#include "AnswerHead.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace AnswerHead {

QByteArray httpDate(const QDateTime& time)
{
    // Day and month names in English, whatever the user's locale.
    return QLocale::c().toString(time.toUTC(), u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s).toLatin1();
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 413: return "Content Too Large";
    case 415: return "Unsupported Media Type";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    case 507: return "Insufficient Storage";
    default: return "Unknown";
    }
}

QByteArray write(int status, const QList<std::pair<QByteArray, QByteArray>>& headers, qint64 contentLength,
    Connection connection, const QDateTime& now)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    for (const auto& [name, value] : headers)
        head += name + ": " + value + "\r\n";
    head += "Content-Length: " + QByteArray::number(contentLength) + "\r\nDate: " + httpDate(now) + "\r\n";
    if (connection == Connection::close)
        head += "Connection: close\r\n";
    else if (connection == Connection::keepAlive)
        head += "Connection: keep-alive\r\n";
    return head + "\r\n";
}

} // namespace AnswerHead
