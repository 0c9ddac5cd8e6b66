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

GuardedTcpServer::GuardedTcpServer(const Limits& limits, QObject* parent)
    : QTcpServer(parent), m_limits(limits), m_budget(std::make_shared<BodyBudget>(BodyBudget { limits.bodyBudget, 0 }))
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
    auto* guard = new RequestGuard(socket, m_limits.request, m_budget);
    if (m_guards.size() >= connectionCap() && !makeRoom()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        guard->refuse(503, "Service Unavailable", u"The service has too many connections; try again"_s,
            RequestGuard::Ending::now);
        return;
    }
    m_guards.insert(guard);
    connect(guard, &QObject::destroyed, this, [this, guard] { m_guards.remove(guard); });
    connect(socket, &QTcpSocket::disconnected, this, [this, guard] { m_guards.remove(guard); });
    addPendingConnection(socket);
}

bool GuardedTcpServer::makeRoom()
{
    RequestGuard* quietest = nullptr;
    for (RequestGuard* guard : std::as_const(m_guards)) {
        if (!guard->isAnswering() && (!quietest || guard->lastActivity() < quietest->lastActivity()))
            quietest = guard;
    }
    if (!quietest)
        return false;
    m_guards.remove(quietest);
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
