#include "AerialHTTPServer.h"

#include "AerialHTTPListener.h"
#include "Log.h"
#include "ServingLoop.h"
#include "ThreadName.h"
#include "UserHome.h"

#include <QCoreApplication>
#include <QThread>

#include <future>
#include <thread>

#include <algorithm>
#include <mutex>

#include <csignal>
#include <pthread.h>

namespace {

AerialHTTPServer* sharedServer = nullptr;

void destroySharedServer() { delete std::exchange(sharedServer, nullptr); }

QString assetURL(quint16 port, const QString& folder, const QString& assetID, const char* extension)
{
    return QStringLiteral("http://127.0.0.1:%1/%2/%3%4").arg(port).arg(folder, assetID, QLatin1String(extension));
}

// sendfile cannot be told MSG_NOSIGNAL: writing to a peer that reset after ending
// its side raises SIGPIPE, whose default action ends the program. Blocked on the
// serving threads, the signal stays pending there and the call fails with EPIPE.
void blockBrokenPipeSignal()
{
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
}

} // namespace

AerialHTTPServer& AerialHTTPServer::shared()
{
    static std::once_flag created;
    std::call_once(created, [] {
        sharedServer = new AerialHTTPServer();
        // Its thread must stop while the application's event machinery still exists.
        qAddPostRoutine(destroySharedServer);
    });
    return *sharedServer;
}

// One serving thread, its loop and its listener.
class AerialHTTPServer::Lane
{
public:
    Lane(const AerialAssetFiles& files, LogThrottle& peerFailures, std::chrono::milliseconds idleTimeout,
        int maximumConnections)
        : m_listener(m_loop, files, peerFailures, idleTimeout, maximumConnections)
    {
        m_thread = std::thread([this] {
            nameCurrentThread(u"com.lanto.aerial-http");
            blockBrokenPipeSignal();
            m_loop.run();
        });
    }

    // Once the thread has ended, the listener and its sockets go with the lane.
    ~Lane()
    {
        m_loop.quit();
        m_thread.join();
    }

    bool isListening()
    {
        bool listening = false;
        onThread([&] { listening = m_listener.isListening(); });
        return listening;
    }

    quint16 listen(quint16 port, QString* error)
    {
        quint16 bound = 0;
        onThread([&] { bound = m_listener.listen(port, error); });
        return bound;
    }

    void close()
    {
        onThread([this] { m_listener.closeSocket(); });
    }

private:
    // Runs the work on the lane's thread and waits for it.
    void onThread(const std::function<void()>& work)
    {
        std::promise<void> done;
        m_loop.post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }

    ServingLoop m_loop;
    AerialHTTPListener m_listener; // used only on m_thread
    std::thread m_thread;
};

AerialHTTPServer::AerialHTTPServer(const Options& options)
    : m_port(options.port),
      m_files(options.home.isEmpty() ? UserHome::path() : options.home)
{
    const int threads = options.threads > 0 ? options.threads : std::clamp(QThread::idealThreadCount(), 1, 8);
    const int share = (options.maximumConnections + threads - 1) / threads;
    for (int i = 0; i < threads; ++i)
        m_lanes.push_back(std::make_unique<Lane>(m_files, m_peerFailures, options.idleTimeout, share));
}

AerialHTTPServer::~AerialHTTPServer() = default;

// All lanes listen or none: a server that listens on some of its lanes only
// would refuse the connections the kernel hands to the others.
void AerialHTTPServer::start()
{
    if (std::all_of(m_lanes.cbegin(), m_lanes.cend(), [](const auto& lane) { return lane->isListening(); }))
        return;
    quint16 port = m_port.load();
    for (const auto& lane : m_lanes) {
        if (lane->isListening())
            continue;
        QString error;
        // The first listener of a server on port 0 picks the port the others share.
        const quint16 bound = lane->listen(port, &error);
        if (bound == 0) {
            for (const auto& opened : m_lanes)
                opened->close();
            Log::write(QStringLiteral("Lanto AerialHTTPServer: Failed to start — %1").arg(error));
            return;
        }
        port = bound;
    }
    m_port.store(port);
    Log::write(QStringLiteral("Lanto AerialHTTPServer: Listening on 127.0.0.1:%1").arg(port));
}

QString AerialHTTPServer::videoURL(const QString& assetID) const
{
    return assetURL(port(), QStringLiteral("videos"), assetID, ".mov");
}

QString AerialHTTPServer::thumbnailURL(const QString& assetID) const
{
    return assetURL(port(), QStringLiteral("thumbnails"), assetID, ".png");
}
