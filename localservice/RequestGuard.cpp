#include "RequestGuard.h"

#include "APIEnvelope.h"
#include "FileStream.h"

#include <QJsonDocument>
#include <QTcpSocket>

#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;

RequestGuard::RequestGuard(QTcpSocket* socket, const Limits& limits, std::shared_ptr<BodyBudget> budget)
    : QObject(socket),
      m_socket(socket),
      m_limits(limits),
      m_framing(limits.maximumBody, limits.maximumHead),
      m_budget(std::move(budget)),
      m_lastActivity(std::chrono::steady_clock::now())
{
    connect(socket, &QTcpSocket::readyRead, this, &RequestGuard::inspect);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        m_lastActivity = std::chrono::steady_clock::now();
        endRefusal();
    });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &RequestGuard::timedOut);
    m_deadline.start(m_limits.headTime);
}

RequestGuard::~RequestGuard() { holdBudget(0); }

RequestGuard* RequestGuard::of(QTcpSocket* socket)
{
    return socket->findChild<RequestGuard*>(QString(), Qt::FindDirectChildrenOnly);
}

bool RequestGuard::isAnswering() const
{
    return m_socket->bytesToWrite() > 0 || m_socket->findChild<FileStream*>(QString(), Qt::FindDirectChildrenOnly);
}

void RequestGuard::inspect()
{
    if (m_closing) {
        m_socket->readAll();
        return;
    }
    m_lastActivity = std::chrono::steady_clock::now();
    // The server reads everything on each readyRead after this, so all
    // that is waiting now is new.
    if (!m_framing.feed(m_socket->peek(m_socket->bytesAvailable()))) {
        const RequestFraming::Refusal& refusal = m_framing.refusal();
        return refuse(refusal.status, refusal.reason, refusal.message);
    }
    const bool inBody = m_framing.phase() == RequestFraming::Phase::body;
    holdBudget(inBody ? m_framing.bodySeen() : 0);
    if (m_budget && m_budget->used > m_budget->limit)
        return refuse(503, "Service Unavailable", u"The service is taking too many uploads at once; try again"_s);
    if (m_framing.takeContinueWanted())
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    if (inBody)
        m_deadline.start(m_limits.bodyPause);
    else if (m_framing.completed() != m_completed)
        m_deadline.start(m_limits.headTime);
    m_completed = m_framing.completed();
}

void RequestGuard::holdBudget(qint64 bytes)
{
    if (!m_budget)
        return;
    m_budget->used += bytes - m_budgetHeld;
    m_budgetHeld = bytes;
}

void RequestGuard::timedOut()
{
    if (m_closing)
        return m_socket->abort();
    if (isAnswering()) {
        // The answer has its own time-out; the next request's time starts after it.
        m_deadline.start(m_limits.headTime);
        return;
    }
    if (m_framing.phase() == RequestFraming::Phase::idle)
        return drop();
    refuse(408, "Request Timeout", u"The request did not arrive in time"_s);
}

void RequestGuard::refuse(int status, const QByteArray& reason, const QString& message, Ending ending)
{
    m_closing = true;
    holdBudget(0);
    m_deadline.stop();
    const QByteArray body = QJsonDocument(APIEnvelope::failure(message)).toJson(QJsonDocument::Compact);
    m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
        + "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    // Nothing more of this connection reaches the server. What the client
    // still sends is read and dropped for a while after the answer, since
    // closing on unread bytes would reset the connection and lose the answer.
    m_socket->readAll();
    if (ending == Ending::now)
        return m_socket->disconnectFromHost();
    m_deadline.start(m_limits.lingerTime);
    m_socket->flush();
    endRefusal();
}

void RequestGuard::endRefusal()
{
    if (m_closing && m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState)
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
}

void RequestGuard::drop()
{
    m_closing = true;
    holdBudget(0);
    m_deadline.stop();
    m_socket->abort();
}
