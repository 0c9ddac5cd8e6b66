#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QTcpServer;
class QTcpSocket;

// A loopback peer that answers each connection's one request with bytes the
// test writes by hand: malformed, endless or proxy answers that a real
// service would not give. Reads the header and as much body as the
// Content-Length says, then writes the answer and closes.
class RawHTTPPeer : public QObject
{
public:
    struct Exchange
    {
        QByteArray head; // request line and headers, without the blank line
        qint64 bodyBytes = 0; // received so far
        bool closed = false; // by the client, or after the answer
        QByteArray requestLine() const { return head.left(head.indexOf("\r\n")); }
    };
    using Answer = std::function<QByteArray(const Exchange&)>;

    explicit RawHTTPPeer(Answer answer, QObject* parent = nullptr);
    ~RawHTTPPeer() override;

    quint16 port() const;
    // Whether request bodies are read; while not, the client's sends back up.
    void setReadingBodies(bool reading);
    const QList<Exchange>& exchanges() const { return m_exchanges; }

private:
    struct Connection
    {
        QPointer<QTcpSocket> socket;
        QByteArray buffer;
        bool answered = false;
    };
    void readFrom(qsizetype index);

    QTcpServer* m_server;
    Answer m_answer;
    bool m_reading = true;
    QList<Exchange> m_exchanges;
    QList<Connection> m_connections;
};
