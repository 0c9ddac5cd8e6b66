#include "RawHTTPPeer.h"

#include <QTcpServer>
#include <QTcpSocket>

RawHTTPPeer::RawHTTPPeer(Answer answer, QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_answer(std::move(answer))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            const qsizetype index = m_exchanges.size();
            m_exchanges.append(Exchange());
            m_connections.append(Connection { socket, {}, false });
            socket->setReadBufferSize(64 << 10); // so that an unread body backs up to the client
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket, index] {
                m_exchanges[index].closed = true;
                socket->deleteLater();
            });
            connect(socket, &QTcpSocket::readyRead, this, [this, index] { readFrom(index); });
        }
    });
    m_server->listen(QHostAddress::LocalHost, 0);
}

// The sockets go first: closing, they report to the lists below.
RawHTTPPeer::~RawHTTPPeer() { delete m_server; }

quint16 RawHTTPPeer::port() const { return m_server->serverPort(); }

void RawHTTPPeer::setReadingBodies(bool reading)
{
    m_reading = reading;
    for (qsizetype i = 0; reading && i < m_connections.size(); ++i)
        readFrom(i);
}

void RawHTTPPeer::readFrom(qsizetype index)
{
    Connection& connection = m_connections[index];
    Exchange& exchange = m_exchanges[index];
    QTcpSocket* socket = connection.socket;
    if (!socket)
        return;
    if (exchange.head.isEmpty()) {
        connection.buffer += socket->read(64 << 10);
        const qsizetype end = connection.buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        exchange.head = connection.buffer.left(end);
        exchange.bodyBytes = connection.buffer.size() - end - 4;
        connection.buffer.clear();
    } else if (m_reading) {
        exchange.bodyBytes += socket->readAll().size();
    }
    if (!m_reading || connection.answered)
        return;
    const QByteArray lengthLine = "\r\ncontent-length:";
    const qsizetype at = exchange.head.toLower().indexOf(lengthLine);
    const qint64 length
        = at < 0 ? 0 : exchange.head.mid(at + lengthLine.size()).split('\r').value(0).trimmed().toLongLong();
    if (exchange.bodyBytes < length)
        return;
    connection.answered = true;
    socket->write(m_answer(exchange));
    socket->disconnectFromHost();
}
