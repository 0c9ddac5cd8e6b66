#include "AerialHTTPConnection.h"

#include "AerialHTTPReply.h"
#include "Log.h"
#include "LogThrottle.h"
#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using AerialHTTPReply::Status;

namespace {

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

} // namespace

AerialHTTPConnection::AerialHTTPConnection(int socket, const AerialAssetFiles& files, LogThrottle& peerFailures,
    ServingLoop& loop, std::function<void(AerialHTTPConnection*)> closed)
    : m_socket(socket), m_files(files), m_peerFailures(peerFailures), m_loop(loop), m_closed(std::move(closed))
{
    m_watch = m_loop.watch(socket, EPOLLIN, [this](std::uint32_t events) { onEvents(events); });
}

void AerialHTTPConnection::start()
{
    // The request has often arrived by the time the connection is taken.
    readHeader();
}

AerialHTTPConnection::~AerialHTTPConnection() { release(); }

AerialHTTPConnection::Clock::time_point AerialHTTPConnection::idleSince() const
{
    return m_state == State::readingHeader ? m_openedAt : m_lastProgress;
}

void AerialHTTPConnection::close()
{
    if (m_state == State::closed)
        return;
    release();
    m_closed(this);
}

void AerialHTTPConnection::release()
{
    if (m_state == State::closed)
        return;
    m_state = State::closed;
    // The loop lets go of the socket before it is closed.
    m_loop.unwatch(m_watch);
    if (m_file >= 0)
        ::close(m_file);
    m_file = -1;
    ::close(m_socket);
}

void AerialHTTPConnection::onEvents(std::uint32_t events)
{
    // An error or hang-up is seen by the next read or send of whatever state the connection is in.
    const bool problem = events & (EPOLLERR | EPOLLHUP);
    if (m_state == State::readingHeader && (events & EPOLLIN || problem))
        readHeader();
    else if (m_state == State::draining && (events & EPOLLIN || problem))
        discardInput();
    else if (m_state == State::sending && (events & EPOLLOUT || problem))
        send();
}

void AerialHTTPConnection::readHeader()
{
    const ssize_t received = ::recv(m_socket, m_header.reserve(readSize), readSize, 0);
    const RequestHeaderBuffer::State state = m_header.received(std::max<ssize_t>(received, 0));
    if (received < 0) {
        const int error = errno;
        if (wouldBlock(error))
            return;
        if (m_peerFailures.admits(error))
            Log::write(QStringLiteral("Lanto AerialHTTPServer: recv error — %1").arg(qt_error_string(error)));
        close();
        return;
    }
    if (received == 0) {
        // The peer is done sending, and no complete header came: nothing will.
        close();
        return;
    }
    if (state == RequestHeaderBuffer::State::complete)
        handleHeader();
    else if (state == RequestHeaderBuffer::State::tooLarge)
        reply(AerialHTTPReply::errorReply(Status::headerTooLarge));
}

void AerialHTTPConnection::handleHeader()
{
    // Whatever follows the header (a body, another request) is not read.
    if (const std::optional<HTTPRequest> request = m_header.takeRequest())
        respond(*request);
    else
        reply(AerialHTTPReply::errorReply(Status::badRequest));
}

void AerialHTTPConnection::respond(const HTTPRequest& request)
{
    std::optional<AerialAssetFiles::OpenFile> found = m_files.openFile(request.path);
    if (!found) {
        reply(AerialHTTPReply::errorReply(Status::notFound));
        return;
    }
    // The size comes from the open file, so a file replaced meanwhile cannot make the length lie.
    const AerialHTTPReply::Plan plan = AerialHTTPReply::plan(request.range, found->file.size());
    if (plan.length() > 0 && request.method != QLatin1String("HEAD")) {
        m_file = found->file.release();
        m_fileOffset = plan.first;
        m_bodyLeft = plan.length();
        // Only full segments go out until the reply ends: the header rides with
        // the body's first bytes, and a large body streams a third faster than
        // when each send pushes its tail at once. The close, or the end sent
        // before draining, sends what is left.
        const int on = 1;
        ::setsockopt(m_socket, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    }
    reply(AerialHTTPReply::fileHeader(plan, AerialHTTPReply::mimeType(found->path)));
}

void AerialHTTPConnection::reply(QByteArray bytes)
{
    // Reading stays watched until the send first has to wait: most replies go out before that.
    m_state = State::sending;
    m_lastProgress = Clock::now();
    m_output = std::move(bytes);
    m_outputSent = 0;
    send();
}

void AerialHTTPConnection::send()
{
    if (!sendPending())
        return;
    if (m_bodyLeft == 0) {
        finishSending();
        return;
    }
    const qint64 asked = std::min(m_bodyLeft, chunkSize);
    const ssize_t sent = ::sendfile(m_socket, m_file, &m_fileOffset, size_t(asked));
    if (sent < 0 && wouldBlock(errno)) {
        waitForWritable(true);
        return;
    }
    if (sent <= 0) {
        // A send error, or the file ended early: the reply cannot be completed.
        close();
        return;
    }
    m_lastProgress = Clock::now();
    m_bodyLeft -= sent;
    if (m_bodyLeft == 0) {
        finishSending();
        return;
    }
    // The socket's buffer is full, or the other connections get their turn first.
    waitForWritable(true);
}

// Sends what is left of the header; true when all of it is out.
bool AerialHTTPConnection::sendPending()
{
    while (m_outputSent < m_output.size()) {
        const ssize_t sent = ::send(
            m_socket, m_output.constData() + m_outputSent, size_t(m_output.size() - m_outputSent), MSG_NOSIGNAL);
        if (sent < 0 && wouldBlock(errno)) {
            waitForWritable(true);
            return false;
        }
        if (sent < 0) {
            close();
            return false;
        }
        m_lastProgress = Clock::now();
        m_outputSent += sent;
    }
    return true;
}

void AerialHTTPConnection::finishSending()
{
    if (m_file >= 0)
        ::close(m_file);
    m_file = -1;
    m_output = QByteArray();
    // With nothing unread, closing sends what is still buffered and then the
    // end, as an ordinary close does. Closing with unread request bytes would
    // reset the connection and could cut the reply short at the peer: then
    // end our side, and wait for the peer's end.
    int unread = 0;
    if (::ioctl(m_socket, FIONREAD, &unread) == 0 && unread == 0) {
        close();
        return;
    }
    ::shutdown(m_socket, SHUT_WR);
    m_state = State::draining;
    m_loop.setEvents(m_watch, EPOLLIN);
}

void AerialHTTPConnection::discardInput()
{
    char sink[readSize];
    const ssize_t received = ::recv(m_socket, sink, sizeof sink, 0);
    if (received < 0 && wouldBlock(errno))
        return;
    // Unread bytes keep the connection only until the idle time-out, counted from the end of the reply.
    if (received <= 0)
        close();
}

void AerialHTTPConnection::waitForWritable(bool wait)
{
    m_loop.setEvents(m_watch, wait ? std::uint32_t(EPOLLOUT) : 0u);
}
