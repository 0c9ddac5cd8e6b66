#pragma once

#include "RequestFraming.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class QTcpSocket;

// The body bytes that all connections together may have in flight: the HTTP
// server keeps each request body in memory until the request is complete.
struct BodyBudget
{
    qint64 limit = 0;
    qint64 used = 0;
};

// Watches the bytes a client sends on one connection before the HTTP server
// reads them, because the server keeps a whole request body in memory: a
// request whose head or body grows too large is answered 431 or 413 and the
// connection closed, without reading the rest. It answers "Expect:
// 100-continue", so clients that ask send their body at once, and it closes a
// connection whose next request does not come, or whose body stops, in time.
class RequestGuard : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 maximumBody = 16 * 1024 * 1024;
        qint64 maximumHead = 64 * 1024;
        // From the connection's start or its last answer to a complete head.
        std::chrono::milliseconds headTime = std::chrono::seconds(15);
        // The longest pause inside a body.
        std::chrono::milliseconds bodyPause = std::chrono::seconds(30);
        // How long a refused client may go on sending before the connection closes.
        std::chrono::milliseconds lingerTime = std::chrono::seconds(5);
    };

    // Connects to the socket's readyRead; connect it before anyone who reads.
    RequestGuard(QTcpSocket* socket, const Limits& limits, std::shared_ptr<BodyBudget> budget);
    ~RequestGuard() override;

    // The guard of a socket, if it has one.
    static RequestGuard* of(QTcpSocket* socket);

    // When the client last sent or took a byte.
    std::chrono::steady_clock::time_point lastActivity() const { return m_lastActivity; }
    // Whether an answer is still being written to the client.
    bool isAnswering() const;

    enum class Ending {
        lingering, // reads and drops what the client still sends for a while
        now, // closes once the answer is written
    };
    // Answers with that refusal and ends the connection; nothing more of it
    // reaches the server.
    void refuse(int status, const QByteArray& reason, const QString& message, Ending ending = Ending::lingering);
    // Closes the connection at once, to make room for another.
    void drop();

private:
    void inspect();
    void holdBudget(qint64 bytes);
    void timedOut();
    // Once a refusal is written whole, tells the client nothing more comes.
    void endRefusal();

    QTcpSocket* m_socket;
    const Limits m_limits;
    RequestFraming m_framing;
    std::shared_ptr<BodyBudget> m_budget;
    qint64 m_budgetHeld = 0;
    qint64 m_completed = 0;
    bool m_closing = false;
    QTimer m_deadline;
    std::chrono::steady_clock::time_point m_lastActivity;
};
