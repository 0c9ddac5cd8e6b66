#include "GuardedTcpServer.h"

#include <QDir>
#include <QTcpSocket>
#include <QTimer>

#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr std::chrono::milliseconds acceptRetry(100);

rlim_t descriptorLimit()
{
    rlimit descriptors {};
    if (getrlimit(RLIMIT_NOFILE, &descriptors) != 0 || descriptors.rlim_cur == RLIM_INFINITY)
        return 1 << 20;
    return descriptors.rlim_cur;
}

} // namespace

GuardedTcpServer::GuardedTcpServer(const Limits& limits, HttpConnection::Handler handler, QObject* parent)
    : QTcpServer(parent),
      m_limits(limits),
      m_handler(std::move(handler)),
      m_budget(std::make_shared<BodyBudget>(BodyBudget { limits.bodyBudget, 0 }))
{
    // Sockets show as links to nowhere, which only the System filter lists.
    m_descriptorsAtStart
        = int(QDir(u"/proc/self/fd"_s, {}, QDir::NoSort, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).count());
    // Clients that connect while a flood is being cleared wait in the queue, not in SYN retries.
    setListenBacklogSize(1024);
    connect(this, &QTcpServer::acceptError, this, &GuardedTcpServer::acceptFailed);
}

int GuardedTcpServer::connectionCap() const
{
    // Half of the descriptors that were free at the start: the rest stay for
    // files, the database and the connections turned away. Qt's accept fails
    // on every turn of the event loop once none are left.
    const rlim_t limit = descriptorLimit();
    const rlim_t free = limit > rlim_t(m_descriptorsAtStart) ? limit - rlim_t(m_descriptorsAtStart) : 0;
    return int(qMin<rlim_t>(rlim_t(m_limits.maximumConnections), qMax<rlim_t>(1, free / 2)));
}

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto* connection = new HttpConnection(socket, m_limits.connection, m_budget, m_handler);
    if (m_connections.size() >= connectionCap())
        makeRoom();
    m_connections.insert(connection);
    connect(connection, &QObject::destroyed, this, [this, connection] { m_connections.remove(connection); });
    connect(socket, &QTcpSocket::disconnected, this, [this, connection] { m_connections.remove(connection); });
}

bool GuardedTcpServer::makeRoom()
{
    HttpConnection* quietest = nullptr;
    for (HttpConnection* connection : std::as_const(m_connections)) {
        if (!quietest || connection->lastActivity() < quietest->lastActivity())
            quietest = connection;
    }
    if (!quietest)
        return false;
    m_connections.remove(quietest);
    quietest->drop();
    return true;
}

void GuardedTcpServer::acceptFailed(QAbstractSocket::SocketError error)
{
    if (error != QAbstractSocket::SocketResourceError)
        return;
    // Out of resources, Qt stops accepting: free a connection if one can give way, else wait a moment.
    pauseAccepting();
    QTimer::singleShot(makeRoom() ? std::chrono::milliseconds(0) : acceptRetry, this,
        &GuardedTcpServer::resumeAccepting);
}
