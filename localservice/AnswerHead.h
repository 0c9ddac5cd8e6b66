#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <utility>

// The status line and header lines that open an answer, up to and with the
// blank line: the given headers, then Content-Length, Date and what becomes of
// the connection when that is not what the request's HTTP version implies.
namespace AnswerHead {

enum class Connection {
    persists, // HTTP/1.1 keeps it: nothing said
    keepAlive, // an HTTP/1.0 client asked to keep it
    close,
};

QByteArray write(int status, const QList<std::pair<QByteArray, QByteArray>>& headers, qint64 contentLength,
    Connection connection, const QDateTime& now = QDateTime::currentDateTimeUtc());

// "Sun, 06 Nov 1994 08:49:37 GMT"
QByteArray httpDate(const QDateTime& time);
// The usual text of a status ("Not Found"); "Unknown" for one never sent here.
QByteArray reasonPhrase(int status);

} // namespace AnswerHead
