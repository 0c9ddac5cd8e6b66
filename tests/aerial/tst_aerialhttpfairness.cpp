#include "AerialHTTPServer.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "TemporaryHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

// One local peer holds more connections than the server takes, all in one
// state, and a lock-screen client that then asks for a range is still
// answered at once.
namespace {

const QString asset = QStringLiteral("11111111-2222-4333-8444-555555555555");
const QString hex = QStringLiteral("a1b2c3");
constexpr int peerConnections = 400;
// Big enough that a reply that is not read stays in flight.
constexpr qsizetype fileSize = 4 * 1024 * 1024;

enum class PeerState {
    readingHead, // sent part of a header
    draining, // got its whole reply and never closes
    readingSlowly, // takes a little of a large body now and then
    readingNothing, // asked for a large body and takes none of it
};

QByteArray request(const QByteArray& extraLines = {})
{
    return "GET /videos/" + asset.toUtf8() + ".mov HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraLines + "\r\n";
}

// A blocking connection with a small receive window, so that unread replies cost little memory.
int connectTo(quint16 port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int window = 4096;
    ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    const timeval timeout { 5, 0 };
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

bool sendAll(int socket, const QByteArray& bytes)
{
    return ::send(socket, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

// Reads until the server ends its side.
QByteArray readToEnd(int socket)
{
    QByteArray received;
    char buffer[16 * 1024];
    ssize_t got;
    while ((got = ::recv(socket, buffer, sizeof buffer, 0)) > 0)
        received.append(buffer, qsizetype(got));
    return received;
}

// Whether something (body bytes, the end or a reset) has come on the socket.
bool hasHeardBack(int socket)
{
    pollfd watched { socket, POLLIN, 0 };
    return ::poll(&watched, 1, 0) == 1;
}

// The peer's connections, and its slow reader while it runs.
class Peer
{
public:
    ~Peer()
    {
        m_stop = true;
        if (m_reader.joinable())
            m_reader.join();
        for (const int socket : m_sockets)
            ::close(socket);
    }

    bool open(quint16 port, PeerState state)
    {
        for (int i = 0; i < peerConnections; ++i) {
            const int socket = connectTo(port);
            if (socket < 0)
                return false;
            m_sockets.push_back(socket);
            switch (state) {
            case PeerState::readingHead:
                if (!sendAll(socket, "GET /vid"))
                    return false;
                break;
            case PeerState::draining:
                // Read to the server's end, whether it answered or refused.
                if (!sendAll(socket, request("Range: bytes=0-1\r\n")))
                    return false;
                readToEnd(socket);
                break;
            case PeerState::readingSlowly:
            case PeerState::readingNothing:
                if (!sendAll(socket, request()))
                    return false;
                break;
            }
        }
        if (state == PeerState::readingSlowly)
            m_reader = std::thread([this] { readSlowly(); });
        // Every body has started (or its connection was given up) before the client comes.
        if (state == PeerState::readingSlowly || state == PeerState::readingNothing)
            return QTest::qWaitFor(
                [this] { return std::all_of(m_sockets.cbegin(), m_sockets.cend(), hasHeardBack); }, 10000);
        return true;
    }

private:
    // A kilobyte per connection every 50 ms: each one moves, none keeps up.
    void readSlowly()
    {
        char buffer[1024];
        while (!m_stop) {
            for (const int socket : m_sockets)
                ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
            std::this_thread::sleep_for(50ms);
        }
    }

    std::vector<int> m_sockets;
    std::thread m_reader;
    std::atomic<bool> m_stop { false };
};

} // namespace

class tst_AerialHTTPFairness : public QObject
{
    Q_OBJECT

private slots:
    void idlestConnectionGivesWayToANewClient_data()
    {
        QTest::addColumn<PeerState>("state");
        QTest::newRow("headers left unfinished") << PeerState::readingHead;
        QTest::newRow("finished replies never closed") << PeerState::draining;
        QTest::newRow("bodies read slowly") << PeerState::readingSlowly;
        QTest::newRow("bodies not read") << PeerState::readingNothing;
    }

    void idlestConnectionGivesWayToANewClient()
    {
        QFETCH(PeerState, state);
        TemporaryHome home;
        const QString folder = home.appSupportPath() + QStringLiteral("/Downloads/") + hex;
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/content.mov"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(fileSize, 'v')) == fileSize);
        file.close();
        QVERIFY(PropertyList::writeFile(home.appSupportPath() + QStringLiteral("/Settings.plist"),
            PlistValue::Dictionary { { SettingsKey::aerialAssetToHex, PlistValue::Dictionary { { asset, hex } } } }));
        // One thread takes every connection, so the cap is reached for certain.
        AerialHTTPServer::Options options;
        options.port = 0;
        options.home = home.path();
        options.threads = 1;
        QVERIFY(peerConnections > options.maximumConnections);
        AerialHTTPServer server(options);
        server.start();
        QVERIFY(server.port() != 0);

        Peer peer;
        QVERIFY(peer.open(server.port(), state));

        QElapsedTimer elapsed;
        elapsed.start();
        const int client = connectTo(server.port());
        QVERIFY(client >= 0);
        QVERIFY(sendAll(client, request("Range: bytes=2-3\r\n")));
        const QByteArray reply = readToEnd(client);
        ::close(client);
        QVERIFY2(reply.startsWith("HTTP/1.1 206 Partial Content\r\n"), reply.left(64).constData());
        QVERIFY(reply.endsWith("\r\n\r\nvv"));
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(elapsed.elapsed())));
    }
};

QTEST_GUILESS_MAIN(tst_AerialHTTPFairness)
#include "tst_aerialhttpfairness.moc"
