#pragma once

#include "AerialAssetFiles.h"
#include "HTTPRequest.h"
#include "RequestHeaderBuffer.h"

#include "ServingLoop.h"

#include <QByteArray>

#include <chrono>
#include <functional>

#include <sys/types.h>

class LogThrottle;

// One connection of the loopback server: reads one request header, sends one
// reply and closes. Lives on the server's thread; the socket is non-blocking,
// and the body goes from the file to the socket by the kernel (sendfile), one
// bounded chunk per turn, so a reader that stalls holds only its own connection.
class AerialHTTPConnection final
{
public:
    using Clock = std::chrono::steady_clock;

    // Most read from the socket at once.
    static constexpr qsizetype readSize = 16 * 1024;
    // Most body bytes handed to the kernel per turn of the event loop, in one
    // sendfile call. No bytes pass through this process: what a connection
    // holds in memory is bounded by its socket's buffer, not by this. A range
    // of up to this size leaves in one call when the buffer has room.
    static constexpr qint64 chunkSize = 2 * 1024 * 1024;

    // Takes ownership of the connected socket; closed is called once, when the
    // connection ends (not when it is destroyed), from within its own handler.
    // A failed receive is logged only when peerFailures admits its kind.
    AerialHTTPConnection(int socket, const AerialAssetFiles& files, LogThrottle& peerFailures, ServingLoop& loop,
        std::function<void(AerialHTTPConnection*)> closed);
    ~AerialHTTPConnection();
    AerialHTTPConnection(const AerialHTTPConnection&) = delete;
    AerialHTTPConnection& operator=(const AerialHTTPConnection&) = delete;

    // Reads what has arrived.
    void start();

    // Since when the connection has done nothing worth its place: a header
    // counts from the connect however slowly its bytes come, a reply from the
    // last bytes the peer took, and a finished reply from its end (what the
    // peer still sends then is thrown away, and buys it no time).
    Clock::time_point idleSince() const;

    // Ends the connection at once; calls closed.
    void close();

private:
    enum class State { readingHeader, sending, draining, closed };

    void release();
    void onEvents(std::uint32_t events);
    void readHeader();
    void discardInput();
    void handleHeader();
    void respond(const HTTPRequest& request);
    void reply(QByteArray bytes);
    void send();
    bool sendPending();
    void finishSending();
    void waitForWritable(bool wait);

    const int m_socket;
    const AerialAssetFiles& m_files;
    LogThrottle& m_peerFailures;
    ServingLoop& m_loop;
    const std::function<void(AerialHTTPConnection*)> m_closed;
    ServingLoop::WatchId m_watch = 0;
    State m_state = State::readingHeader;
    const Clock::time_point m_openedAt = Clock::now();
    Clock::time_point m_lastProgress = m_openedAt;

    RequestHeaderBuffer m_header;
    QByteArray m_output;
    qsizetype m_outputSent = 0;
    int m_file = -1;
    off_t m_fileOffset = 0;
    qint64 m_bodyLeft = 0;
};
