#include "AerialHTTPServer.h"

#include "AerialHTTPListener.h"
#include "Log.h"
#include "ThreadName.h"
#include "UserHome.h"

#include <QCoreApplication>
#include <QThread>

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

// One serving thread and its listener.
class AerialHTTPServer::Lane
{
public:
    Lane(const AerialAssetFiles& files, std::chrono::milliseconds idleTimeout, int maximumConnections)
        : m_listener(new AerialHTTPListener(files, idleTimeout, maximumConnections))
    {
        m_thread.setObjectName(QString::fromUtf8(threadName(u"com.lanto.aerial-http")));
        QObject::connect(&m_thread, &QThread::started, &blockBrokenPipeSignal); // runs on the new thread
        m_listener->moveToThread(&m_thread);
        m_thread.start();
    }

    // The listener, its sockets and timers are destroyed on their own thread, then the thread ends.
    ~Lane()
    {
        QMetaObject::invokeMethod(
            m_listener, [listener = m_listener] { delete listener; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    bool isListening() const
    {
        bool listening = false;
        QMetaObject::invokeMethod(
            m_listener, [&] { listening = m_listener->isListening(); }, Qt::BlockingQueuedConnection);
        return listening;
    }

    quint16 listen(quint16 port, QString* error)
    {
        quint16 bound = 0;
        QMetaObject::invokeMethod(
            m_listener, [&] { bound = m_listener->listen(port, error); }, Qt::BlockingQueuedConnection);
        return bound;
    }

    void close()
    {
        QMetaObject::invokeMethod(m_listener, [this] { m_listener->closeSocket(); }, Qt::BlockingQueuedConnection);
    }

private:
    QThread m_thread;
    AerialHTTPListener* m_listener; // lives on m_thread
};

AerialHTTPServer::AerialHTTPServer(const Options& options)
    : m_port(options.port),
      m_files(options.home.isEmpty() ? UserHome::path() : options.home)
{
    const int threads = options.threads > 0 ? options.threads : std::clamp(QThread::idealThreadCount(), 1, 8);
    const int share = (options.maximumConnections + threads - 1) / threads;
    for (int i = 0; i < threads; ++i)
        m_lanes.push_back(std::make_unique<Lane>(m_files, options.idleTimeout, share));
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
