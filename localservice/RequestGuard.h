#pragma once

#include <QByteArray>
#include <QObject>

class QTcpSocket;

// Watches the bytes a client sends on one connection before the HTTP server
// reads them, because the server keeps a whole request body in memory: a
// request whose head or declared body is too large is answered 431 or 413 and
// the connection closed, before its body is read. It also answers
// "Expect: 100-continue", so clients that ask send their body at once.
// Bodies sent in chunks are counted as they come.
class RequestGuard : public QObject
{
    Q_OBJECT

public:
    // Connects to the socket's readyRead; connect it before anyone who reads.
    RequestGuard(QTcpSocket* socket, qint64 maximumBody);

    static constexpr qint64 maximumHead = 64 * 1024;

private:
    void inspect();
    void feed(QByteArrayView data);
    void headComplete();
    void reject(int status, const QByteArray& reason, const QByteArray& message);

    enum class State { head, body, chunked, rejected };

    QTcpSocket* m_socket;
    const qint64 m_maximumBody;
    State m_state = State::head;
    QByteArray m_head;
    qint64 m_remaining = 0;
    qint64 m_chunkedSeen = 0;
};
