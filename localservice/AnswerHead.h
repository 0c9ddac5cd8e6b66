#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <utility>

// The status line and header lines that open an answer, up to and with the
// blank line: the given headers, then Content-Length, Date and, when the
// connection ends after this answer, "Connection: close".
namespace AnswerHead {

enum class Connection { keepAlive, close };

QByteArray write(int status, const QList<std::pair<QByteArray, QByteArray>>& headers, qint64 contentLength,
    Connection connection, const QDateTime& now = QDateTime::currentDateTimeUtc());

// "Sun, 06 Nov 1994 08:49:37 GMT"
QByteArray httpDate(const QDateTime& time);
// The usual text of a status ("Not Found"); "Unknown" for one never sent here.
QByteArray reasonPhrase(int status);

} // namespace AnswerHead
