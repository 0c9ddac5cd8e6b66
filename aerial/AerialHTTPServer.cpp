#include "AerialHTTPServer.h"

#include "AerialHTTPListener.h"
#include "Log.h"
#include "UserHome.h"

#include <QCoreApplication>

#include <mutex>

namespace {

AerialHTTPServer* sharedServer = nullptr;

void destroySharedServer() { delete std::exchange(sharedServer, nullptr); }

QString assetURL(quint16 port, const QString& folder, const QString& assetID, const char* extension)
{
    return QStringLiteral("http://127.0.0.1:%1/%2/%3%4").arg(port).arg(folder, assetID, QLatin1String(extension));
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

AerialHTTPServer::AerialHTTPServer(const Options& options)
    : m_port(options.port), m_files(options.home.isEmpty() ? UserHome::path() : options.home)
{
    m_thread.setObjectName(QStringLiteral("com.lanto.aerial-http"));
    m_listener = new AerialHTTPListener(m_files, options.idleTimeout);
    m_listener->moveToThread(&m_thread);
    m_thread.start();
}

AerialHTTPServer::~AerialHTTPServer()
{
    // The listener, its sockets and timers are destroyed on their own thread, then the thread ends.
    QMetaObject::invokeMethod(
        m_listener, [listener = m_listener] { delete listener; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void AerialHTTPServer::start()
{
    QMetaObject::invokeMethod(
        m_listener,
        [this] {
            if (m_listener->isListening())
                return;
            QString error;
            const quint16 bound = m_listener->listen(port(), &error);
            if (bound == 0) {
                Log::write(QStringLiteral("Lanto AerialHTTPServer: Failed to start — %1").arg(error));
                return;
            }
            m_port.store(bound);
            Log::write(QStringLiteral("Lanto AerialHTTPServer: Listening on 127.0.0.1:%1").arg(bound));
        },
        Qt::BlockingQueuedConnection);
}

QString AerialHTTPServer::videoURL(const QString& assetID) const
{
    return assetURL(port(), QStringLiteral("videos"), assetID, ".mov");
}

QString AerialHTTPServer::thumbnailURL(const QString& assetID) const
{
    return assetURL(port(), QStringLiteral("thumbnails"), assetID, ".png");
}
