#include "RequestGuard.h"

#include "APIEnvelope.h"

#include <QJsonDocument>
#include <QTcpSocket>

RequestGuard::RequestGuard(QTcpSocket* socket, qint64 maximumBody)
    : QObject(socket), m_socket(socket), m_maximumBody(maximumBody)
{
    connect(socket, &QTcpSocket::readyRead, this, &RequestGuard::inspect);
    // A chunked body ends when the server has answered it.
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_state == State::chunked) {
            m_state = State::head;
            m_chunkedSeen = 0;
        }
    });
}

void RequestGuard::inspect()
{
    if (m_state == State::rejected) {
        m_socket->readAll();
        return;
    }
    // The server reads everything on each readyRead after this, so all
    // that is waiting now is new.
    feed(m_socket->peek(m_socket->bytesAvailable()));
}

void RequestGuard::feed(QByteArrayView data)
{
    while (!data.isEmpty() && m_state != State::rejected) {
        switch (m_state) {
        case State::head: {
            // The blank line may straddle two reads: look in what was kept too.
            const qsizetype kept = m_head.size();
            m_head.append(data.first(qMin<qsizetype>(data.size(), maximumHead + 4 - kept)));
            const qsizetype end = m_head.indexOf("\r\n\r\n");
            if (end < 0) {
                if (m_head.size() > maximumHead)
                    reject(431, "Request Header Fields Too Large", "The request head is too large");
                return;
            }
            const qsizetype used = end + 4 - kept;
            m_head.truncate(end + 2);
            data = data.sliced(used);
            headComplete();
            m_head.clear();
            break;
        }
        case State::body: {
            const qint64 taken = qMin<qint64>(m_remaining, data.size());
            m_remaining -= taken;
            data = data.sliced(taken);
            if (m_remaining == 0)
                m_state = State::head;
            break;
        }
        case State::chunked:
            m_chunkedSeen += data.size();
            if (m_chunkedSeen > m_maximumBody)
                reject(413, "Payload Too Large", "The request body is too large");
            return;
        case State::rejected:
            return;
        }
    }
}

void RequestGuard::headComplete()
{
    qint64 length = 0;
    bool chunked = false;
    bool expectsContinue = false;
    const QList<QByteArray> lines = m_head.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toLower();
        if (name == "content-length") {
            bool ok = false;
            length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return reject(400, "Bad Request", "The Content-Length is not a number");
        } else if (name == "transfer-encoding") {
            chunked = value.contains("chunked");
        } else if (name == "expect") {
            expectsContinue = value == "100-continue";
        }
    }
    if (length > m_maximumBody)
        return reject(413, "Payload Too Large", "The request body is too large");
    if (expectsContinue)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    if (chunked) {
        m_state = State::chunked;
        m_chunkedSeen = 0;
    } else if (length > 0) {
        m_state = State::body;
        m_remaining = length;
    }
}

void RequestGuard::reject(int status, const QByteArray& reason, const QByteArray& message)
{
    m_state = State::rejected;
    const QByteArray body
        = QJsonDocument(APIEnvelope::failure(QString::fromLatin1(message))).toJson(QJsonDocument::Compact);
    m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
        + "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    // Nothing more of this connection reaches the server.
    m_socket->readAll();
    m_socket->disconnectFromHost();
}
