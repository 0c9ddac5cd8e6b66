#pragma once

#include "AerialAssetFiles.h"
#include "ServingLoop.h"

#include <QString>

#include <chrono>
#include <set>

class AerialHTTPConnection;
class LogThrottle;

// The listening socket of the loopback server and its connections. Lives on
// a serving thread's loop; every call comes from there.
class AerialHTTPListener final
{
public:
    // maximumConnections: how many this listener holds open at once.
    // peerFailures: shared by the server's listeners, it keeps the log of failing peers short.
    AerialHTTPListener(ServingLoop& loop, const AerialAssetFiles& files, LogThrottle& peerFailures,
        std::chrono::milliseconds idleTimeout, int maximumConnections);
    ~AerialHTTPListener();
    AerialHTTPListener(const AerialHTTPListener&) = delete;
    AerialHTTPListener& operator=(const AerialHTTPListener&) = delete;

    bool isListening() const { return m_socket >= 0; }

    // Binds 127.0.0.1 on the port, shared with other listeners of this user
    // (SO_REUSEADDR, SO_REUSEPORT). Answers the bound port, or 0 with the
    // error's description.
    quint16 listen(quint16 port, QString* error);
    // Stops taking connections; those open are served to their end.
    void closeSocket();

private:
    void acceptPending();
    bool makeRoom();
    void forget(AerialHTTPConnection* connection);
    void pauseAccepting();
    void stopListening(const QString& error);
    void closeIdleConnections();

    ServingLoop& m_loop;
    const AerialAssetFiles& m_files;
    LogThrottle& m_peerFailures;
    const std::chrono::milliseconds m_idleTimeout;
    const std::size_t m_maximumConnections;
    const std::chrono::milliseconds m_sweepInterval;
    int m_socket = -1;
    ServingLoop::WatchId m_acceptable = 0;
    ServingLoop::TimerId m_acceptResume;
    ServingLoop::TimerId m_idleSweep;
    std::set<AerialHTTPConnection*> m_connections;
};
