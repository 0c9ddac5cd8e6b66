#pragma once

#include "AnswerHead.h"
#include "AnswerQueue.h"
#include "RequestFraming.h"
#include "ServiceExchange.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class QTcpSocket;

// The body bytes that all connections together may have in flight: each
// request body is kept in memory until the request is complete.
struct BodyBudget
{
    qint64 limit = 0;
    qint64 used = 0;
};

// One client connection: reads its requests as they arrive, hands each
// complete one to the handler and queues the answers in request order. A
// request whose head or body grows too large is answered 431 or 413 without
// reading the rest. It stops reading requests while too much waits to be
// sent, answers "Expect: 100-continue" so clients that ask send their body at
// once, and closes a connection whose next request does not come in time,
// whose body comes too slowly, or that asked to close.
class HttpConnection : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 maximumBody = 16 * 1024 * 1024;
        qint64 maximumHead = 64 * 1024;
        // From the connection's start, or from its last answer sent, to a complete head.
        std::chrono::milliseconds headTime = std::chrono::seconds(15);
        // A body must come at this rate (bytes a second) on average over each stretch of bodyWindow.
        qint64 minimumBodyRate = 1024;
        std::chrono::milliseconds bodyWindow = std::chrono::seconds(30);
        // The longest an answer may wait for the client to take any of it.
        std::chrono::milliseconds sendTime = std::chrono::seconds(60);
        // How long a client may go on sending after its last answer before the connection closes.
        std::chrono::milliseconds lingerTime = std::chrono::seconds(5);
        // Past either, no more requests are read until the client takes its answers.
        qint64 maximumWaitingBytes = 4 * 1024 * 1024;
        int maximumWaitingAnswers = 16;
    };

    using Handler = std::function<ServiceReply(const RequestFraming::Request&)>;

    // Reads the socket from now on; goes with the socket.
    HttpConnection(QTcpSocket* socket, const Limits& limits, std::shared_ptr<BodyBudget> budget, Handler handler);
    ~HttpConnection() override;

    // When the client last sent or took a byte.
    std::chrono::steady_clock::time_point lastActivity() const { return m_lastActivity; }

    // Answers with that refusal after the answers already queued, then ends
    // the connection; no request after it is read.
    void refuse(int status, const QString& message);
    // Closes the connection at once, to make room for another.
    void drop();

private:
    void readMore();
    void afterFeed();
    void answer(const RequestFraming::Request& request);
    void enqueue(ServiceReply reply, bool headOnly, AnswerHead::Connection connection);
    bool hasRoom() const;
    void holdBudget(qint64 bytes);
    void answersDrained();
    void headTimedOut();
    void checkBodyRate();
    void discardInput();

    QTcpSocket* m_socket;
    const Limits m_limits;
    RequestFraming m_framing;
    AnswerQueue m_answers;
    std::shared_ptr<BodyBudget> m_budget;
    Handler m_handler;
    qint64 m_budgetHeld = 0;
    RequestFraming::Phase m_phase = RequestFraming::Phase::idle;
    // No request is read any more: the last answer is queued, and the
    // connection closes once it is sent.
    bool m_ending = false;
    QTimer m_headDeadline;
    QTimer m_bodyRate;
    QTimer m_linger;
    // (when, body bytes by then), a few over the last body window.
    std::deque<std::pair<std::chrono::steady_clock::time_point, qint64>> m_bodySamples;
    std::chrono::steady_clock::time_point m_lastActivity;
};
