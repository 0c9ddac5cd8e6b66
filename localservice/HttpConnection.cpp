#include "HttpConnection.h"

#include <QTcpSocket>

#include <sys/socket.h>

using namespace Qt::Literals::StringLiterals;
using Clock = std::chrono::steady_clock;

namespace {

// What the socket reads ahead of the parser: the most a connection holds of
// what it has not parsed, or of what it drops after a refusal.
constexpr qint64 readBuffer = 64 * 1024;
constexpr qint64 parseStep = 16 * 1024;
// Body rate samples per body window.
constexpr int samplesPerWindow = 6;

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, const Limits& limits, std::shared_ptr<BodyBudget> budget,
    Handler handler)
    : QObject(socket),
      m_socket(socket),
      m_limits(limits),
      m_framing(limits.maximumBody, limits.maximumHead),
      m_answers(socket, limits.sendTime),
      m_budget(std::move(budget)),
      m_handler(std::move(handler)),
      m_lastActivity(Clock::now())
{
    socket->setReadBufferSize(readBuffer);
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::readMore);
    connect(&m_answers, &AnswerQueue::progressed, this, [this] {
        m_lastActivity = Clock::now();
        if (!m_ending && hasRoom())
            readMore();
    });
    connect(&m_answers, &AnswerQueue::drained, this, &HttpConnection::answersDrained);
    m_headDeadline.setSingleShot(true);
    connect(&m_headDeadline, &QTimer::timeout, this, &HttpConnection::headTimedOut);
    m_headDeadline.start(m_limits.headTime);
    m_bodyRate.setInterval(m_limits.bodyWindow / samplesPerWindow);
    connect(&m_bodyRate, &QTimer::timeout, this, &HttpConnection::checkBodyRate);
    m_linger.setSingleShot(true);
    connect(&m_linger, &QTimer::timeout, socket, &QTcpSocket::abort);
}

HttpConnection::~HttpConnection() { holdBudget(0); }

bool HttpConnection::hasRoom() const
{
    return m_answers.waitingBytes() < m_limits.maximumWaitingBytes
        && m_answers.waitingAnswers() < m_limits.maximumWaitingAnswers;
}

void HttpConnection::readMore()
{
    if (m_ending)
        return discardInput();
    if (m_socket->bytesAvailable() > 0)
        m_lastActivity = Clock::now();
    while (!m_ending && hasRoom() && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->peek(qMin(m_socket->bytesAvailable(), parseStep));
        m_socket->read(m_framing.feed(bytes));
        if (m_framing.phase() == RequestFraming::Phase::refused)
            return refuse(m_framing.refusal().status, m_framing.refusal().message);
        afterFeed();
    }
}

void HttpConnection::afterFeed()
{
    const RequestFraming::Phase phase = m_framing.phase();
    const bool inBody = phase == RequestFraming::Phase::body;
    holdBudget(inBody ? m_framing.bodySeen() : 0);
    if (m_budget && m_budget->used > m_budget->limit)
        return refuse(503, u"The service is taking too many uploads at once; try again"_s);
    if (m_framing.takeContinueWanted())
        m_answers.append("HTTP/1.1 100 Continue\r\n\r\n");
    if (inBody && m_phase != phase) {
        m_headDeadline.stop();
        m_bodySamples = { { Clock::now(), 0 } };
        m_bodyRate.start();
    }
    m_phase = phase;
    if (std::optional<RequestFraming::Request> request = m_framing.takeRequest()) {
        m_headDeadline.stop();
        m_bodyRate.stop();
        answer(*request);
    }
}

void HttpConnection::answer(const RequestFraming::Request& request)
{
    m_ending = !request.keepAlive;
    using enum AnswerHead::Connection;
    enqueue(m_handler(request), request.method == "HEAD",
        m_ending ? close : request.minorVersion == 0 ? keepAlive : persists);
}

void HttpConnection::enqueue(ServiceReply reply, bool headOnly, AnswerHead::Connection connection)
{
    if (reply.file.isEmpty()) {
        const QByteArray head = AnswerHead::write(reply.status, reply.headers, reply.body.size(), connection);
        return m_answers.append(headOnly ? head : head + reply.body);
    }
    auto file = std::make_unique<QFile>(reply.file);
    if (!file->open(QIODevice::ReadOnly) || !file->seek(reply.offset))
        return enqueue(ServiceReply::refused(500, u"The file cannot be read"_s), headOnly, connection);
    const QByteArray head = AnswerHead::write(reply.status, reply.headers, reply.length, connection);
    if (headOnly || reply.length == 0)
        return m_answers.append(head);
    m_answers.append(head, std::move(file), reply.length);
}

void HttpConnection::holdBudget(qint64 bytes)
{
    if (!m_budget)
        return;
    m_budget->used += bytes - m_budgetHeld;
    m_budgetHeld = bytes;
}

void HttpConnection::answersDrained()
{
    if (!m_ending) {
        // The next request's time starts once the last answer is sent.
        if (m_phase != RequestFraming::Phase::body)
            m_headDeadline.start(m_limits.headTime);
        return readMore();
    }
    // Nothing more is sent. What the client still sends is read and dropped
    // for a while, since closing on unread bytes would reset the connection
    // and could lose the answer before the client reads it.
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    m_linger.start(m_limits.lingerTime);
    discardInput();
}

void HttpConnection::headTimedOut()
{
    if (m_framing.phase() == RequestFraming::Phase::idle)
        return drop();
    refuse(408, u"The request did not arrive in time"_s);
}

void HttpConnection::checkBodyRate()
{
    const Clock::time_point now = Clock::now();
    if (!hasRoom()) {
        // The body is not being read while earlier answers wait: not the client's pace.
        m_bodySamples = { { now, m_framing.bodySeen() } };
        return;
    }
    m_bodySamples.emplace_back(now, m_framing.bodySeen());
    while (m_bodySamples.size() > 2 && now - m_bodySamples[1].first >= m_limits.bodyWindow)
        m_bodySamples.pop_front();
    const auto& [since, seenThen] = m_bodySamples.front();
    const auto window = std::chrono::duration_cast<std::chrono::milliseconds>(now - since);
    if (window < m_limits.bodyWindow)
        return;
    if ((m_framing.bodySeen() - seenThen) * 1000 < m_limits.minimumBodyRate * window.count())
        refuse(408, u"The request body arrived too slowly"_s);
}

void HttpConnection::refuse(int status, const QString& message)
{
    m_ending = true;
    holdBudget(0);
    m_headDeadline.stop();
    m_bodyRate.stop();
    enqueue(ServiceReply::refused(status, message), false, AnswerHead::Connection::close);
    discardInput();
}

void HttpConnection::discardInput()
{
    char scratch[parseStep];
    while (m_socket->read(scratch, sizeof scratch) > 0) { }
}

void HttpConnection::drop()
{
    m_ending = true;
    holdBudget(0);
    m_headDeadline.stop();
    m_bodyRate.stop();
    m_socket->abort();
}
