#include "SlowDrip.h"

#include <QByteArray>
#include <QThread>

#include <vector>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectTo(quint16 port, bool blocking)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        && errno != EINPROGRESS) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Whether the server has closed the connection (or reset it).
bool isClosed(int socket)
{
    char byte;
    const ssize_t got = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

bool ordinaryRequest(quint16 port, const QByteArray& request)
{
    const int socket = connectTo(port, true);
    if (socket < 0)
        return false;
    timeval timeout { 5, 0 };
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    QByteArray answer;
    if (::send(socket, request.constData(), size_t(request.size()), MSG_NOSIGNAL) == request.size()) {
        char buffer[64 * 1024];
        ssize_t got;
        while ((got = ::recv(socket, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, qsizetype(got));
    }
    ::close(socket);
    return answer.startsWith("HTTP/1.1 2");
}

} // namespace

SlowDripResult runSlowDrip(quint16 port, const QByteArray& request, int connections, int seconds, int requests)
{
    SlowDripResult result;
    std::vector<int> sockets;
    for (int i = 0; i < connections; ++i) {
        const int socket = connectTo(port, false);
        if (socket >= 0)
            sockets.push_back(socket);
    }
    result.opened = int(sockets.size());
    // One byte of the header per connection and second; never the blank line.
    for (int second = 0; second < seconds; ++second) {
        const char byte = request.at(second % (request.size() - 4));
        for (const int socket : sockets)
            ::send(socket, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        QThread::sleep(1);
    }
    for (const int socket : sockets)
        result.held += isClosed(socket) ? 0 : 1;
    result.asked = requests;
    for (int i = 0; i < requests; ++i)
        result.served += ordinaryRequest(port, request) ? 1 : 0;
    for (const int socket : sockets)
        ::close(socket);
    return result;
}
