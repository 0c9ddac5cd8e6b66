#include "AerialHTTPListener.h"

#include "AerialHTTPConnection.h"
#include "Log.h"

#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Most connections taken per turn, so that a flood of them cannot starve the ones being served.
constexpr int acceptsPerTurn = 64;
// How long to wait before accepting again when the process is out of descriptors.
constexpr auto acceptPause = 100ms;

// Errors of accept that concern one connection or pass: the listener stays.
bool isTransient(int error)
{
    switch (error) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case EOPNOTSUPP:
    case ENETUNREACH:
        return true;
    default:
        return false;
    }
}

bool isOutOfResources(int error) { return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM; }

} // namespace

AerialHTTPListener::AerialHTTPListener(ServingLoop& loop, const AerialAssetFiles& files, LogThrottle& peerFailures,
    std::chrono::milliseconds idleTimeout, int maximumConnections)
    : m_loop(loop),
      m_files(files),
      m_peerFailures(peerFailures),
      m_idleTimeout(idleTimeout),
      m_maximumConnections(std::size_t(std::max(maximumConnections, 1))),
      // The sweep runs only while there are connections, a few times per time-out.
      m_sweepInterval(std::clamp<std::chrono::milliseconds>(idleTimeout / 4, 10ms, 1s))
{
    m_acceptResume = m_loop.addTimer([this] { m_loop.setEvents(m_acceptable, EPOLLIN); });
    m_idleSweep = m_loop.addTimer([this] {
        closeIdleConnections();
        if (!m_connections.empty())
            m_loop.startTimer(m_idleSweep, m_sweepInterval);
    });
}

AerialHTTPListener::~AerialHTTPListener()
{
    const std::set<AerialHTTPConnection*> connections = std::exchange(m_connections, {});
    for (AerialHTTPConnection* connection : connections)
        delete connection;
    m_loop.stopTimer(m_idleSweep);
    closeSocket();
}

quint16 AerialHTTPListener::listen(quint16 port, QString* error)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // Both programs serve on the same port: the second bind must not fail.
    const bool listening = socket >= 0 && ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0
        && ::setsockopt(socket, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) == 0
        && ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::listen(socket, SOMAXCONN) == 0
        && ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (!listening) {
        *error = qt_error_string(errno);
        if (socket >= 0)
            ::close(socket);
        return 0;
    }
    m_socket = socket;
    m_acceptable = m_loop.watch(socket, EPOLLIN, [this](std::uint32_t) { acceptPending(); });
    return ntohs(address.sin_port);
}

void AerialHTTPListener::acceptPending()
{
    for (int i = 0; i < acceptsPerTurn && m_socket >= 0; ++i) {
        const int socket = ::accept4(m_socket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            const int error = errno;
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (isOutOfResources(error))
                pauseAccepting();
            else if (!isTransient(error))
                stopListening(qt_error_string(error));
            if (!isTransient(error))
                return;
            continue;
        }
        if (m_connections.size() >= m_maximumConnections && !makeRoom()) {
            ::close(socket);
            continue;
        }
        auto* connection = new AerialHTTPConnection(
            socket, m_files, m_peerFailures, m_loop, [this](AerialHTTPConnection* closed) { forget(closed); });
        m_connections.insert(connection);
        if (!m_loop.isTimerActive(m_idleSweep))
            m_loop.startTimer(m_idleSweep, m_sweepInterval);
        connection->start();
    }
}

// At the cap, the connection that has been idle longest gives way, whatever
// it is doing: a peer holding places with unfinished headers, finished
// replies it never closes or bodies it reads slowly cannot lock out a client
// whose request and reply are on the move. Answers whether a place was freed.
bool AerialHTTPListener::makeRoom()
{
    const auto idlest = std::min_element(m_connections.cbegin(), m_connections.cend(),
        [](const AerialHTTPConnection* a, const AerialHTTPConnection* b) { return a->idleSince() < b->idleSince(); });
    if (idlest == m_connections.cend())
        return false;
    (*idlest)->close(); // gives its place back
    return true;
}

void AerialHTTPListener::forget(AerialHTTPConnection* connection)
{
    if (m_connections.erase(connection) == 0)
        return;
    // Its own handler is what closed it: it goes once that has returned.
    m_loop.afterTurn([connection] { delete connection; });
    if (m_connections.empty())
        m_loop.stopTimer(m_idleSweep);
}

// Out of descriptors the socket stays readable: accepting again at once would spin.
void AerialHTTPListener::pauseAccepting()
{
    m_loop.setEvents(m_acceptable, 0);
    m_loop.startTimer(m_acceptResume, acceptPause);
}

// A listener that failed is let go, so that a later start makes a new one.
void AerialHTTPListener::stopListening(const QString& error)
{
    Log::write(QStringLiteral("Lanto AerialHTTPServer: Failed — %1").arg(error));
    closeSocket();
}

void AerialHTTPListener::closeSocket()
{
    if (m_socket < 0)
        return;
    m_loop.unwatch(m_acceptable);
    m_loop.stopTimer(m_acceptResume);
    ::close(m_socket);
    m_socket = -1;
}

void AerialHTTPListener::closeIdleConnections()
{
    const auto deadline = AerialHTTPConnection::Clock::now() - m_idleTimeout;
    const std::set<AerialHTTPConnection*> connections = m_connections;
    for (AerialHTTPConnection* connection : connections) {
        if (connection->idleSince() < deadline)
            connection->close();
    }
}
