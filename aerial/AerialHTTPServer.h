#pragma once

#include "AerialAssetFiles.h"
#include "LogThrottle.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

// The loopback HTTP/1.1 file server that the system's wallpaper machinery
// plays a placed aerial from: the video and thumbnail of each asset, with
// single byte ranges, one request per connection. Both programs run one on
// the same port.
//
// Connections are served on the server's threads, each named
// "com.lanto.aerial-http": every thread has its own listening socket on the
// port, and the kernel spreads new connections over them. A connection lives
// on one thread from accept to close, so no state is shared between them.
// Moving file bytes into loopback sockets is kernel work done on the sending
// thread, which is why one thread cannot keep up with many readers.
class AerialHTTPListener;

class AerialHTTPServer
{
public:
    static constexpr quint16 defaultPort = 24681;

    struct Options
    {
        // 0 takes a free port; port() tells which once listening.
        quint16 port = defaultPort;
        // A connection on which nothing moves for this long is closed: a peer
        // that never finishes its header, or stops reading the body.
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(10);
        // Empty: the user's real home.
        QString home;
        // 0: one per core, at most eight.
        int threads = 0;
        // Connections open at once, shared out evenly over the threads. Its only
        // peer is the local system, which needs a few; past a thread's share a new
        // connection takes the place of the one idle longest there, whatever
        // that one is doing.
        int maximumConnections = 384;
    };

    // The process's server on the default port; needs a QCoreApplication and
    // is shut down with it.
    static AerialHTTPServer& shared();

    explicit AerialHTTPServer(const Options& options);
    AerialHTTPServer() : AerialHTTPServer(Options()) { }
    ~AerialHTTPServer();

    AerialHTTPServer(const AerialHTTPServer&) = delete;
    AerialHTTPServer& operator=(const AerialHTTPServer&) = delete;

    // Starts listening unless the server listens already; the outcome is logged.
    // After a failure a later call tries again.
    void start();

    quint16 port() const { return m_port.load(); }

    // The URLs of an asset's files on this server; they do not check that it runs.
    QString videoURL(const QString& assetID) const;
    QString thumbnailURL(const QString& assetID) const;

private:
    class Lane;

    std::atomic<quint16> m_port;
    const AerialAssetFiles m_files;
    // A line per kind of peer failure a minute, over all threads: a local
    // peer that resets every connection must not fill the journal.
    LogThrottle m_peerFailures { std::chrono::minutes(1) };
    std::vector<std::unique_ptr<Lane>> m_lanes;
};
