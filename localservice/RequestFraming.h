#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Reads the requests a client sends on one connection as they arrive: where
// each head ends, how long its body is (declared, or counted chunk by chunk),
// and where the next request starts. A head or body over its limit, and
// framing that two parsers could read two ways, end the stream with a refusal
// at once, so a request is never held larger than the limits.
class RequestFraming
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        int minorVersion = 1; // HTTP/1.x
        QList<std::pair<QByteArray, QByteArray>> headers; // names as sent, values trimmed
        QByteArray body; // chunks joined
        // Whether the client keeps the connection for another request after the answer.
        bool keepAlive = true;
    };

    enum class Phase {
        idle, // between requests: no byte of the next one yet
        head,
        body,
        refused,
    };

    struct Refusal
    {
        int status = 400;
        QString message; // the envelope's error text
    };

    RequestFraming(qint64 maximumBody, qint64 maximumHead) : m_maximumBody(maximumBody), m_maximumHead(maximumHead)
    {
    }

    // Takes the next bytes of the stream, up to the end of the next complete
    // request; how many it took. Nothing is taken once the stream is refused.
    qsizetype feed(QByteArrayView data);
    // The request whose last byte has arrived, once; then the next one is read.
    std::optional<Request> takeRequest() { return std::exchange(m_complete, std::nullopt); }

    Phase phase() const { return m_phase; }
    const Refusal& refusal() const { return m_refusal; }
    // Body bytes of the request under way that have arrived so far.
    qint64 bodySeen() const { return m_bodySeen; }
    // Whether a head asked for "100 Continue" and none of its body has come
    // yet; cleared by asking.
    bool takeContinueWanted() { return std::exchange(m_continueWanted, false); }
    // Requests whose last byte has arrived.
    qint64 completed() const { return m_completed; }

private:
    enum class Body { none, length, chunkSize, chunkData, chunkDataEnd, trailer };

    void feedHead(QByteArrayView& data);
    void feedBody(QByteArrayView& data);
    void headComplete();
    // Adds the bytes up to the next line feed to m_line; false when the line
    // is not complete yet, or once it grows past the limit.
    bool takeLine(QByteArrayView& data, qsizetype limit);
    void chunkSizeLine();
    void trailerLine();
    void messageComplete();
    void refuse(int status, const QString& message);

    const qint64 m_maximumBody;
    const qint64 m_maximumHead;
    Request m_request; // the one being read
    std::optional<Request> m_complete;
    Phase m_phase = Phase::idle;
    Body m_body = Body::none;
    Refusal m_refusal;
    QByteArray m_line; // the line being read
    QByteArray m_head; // the head's lines so far, or the trailer's
    qint64 m_remaining = 0; // of the declared body, or of the chunk
    qint64 m_bodySeen = 0;
    bool m_chunked = false;
    bool m_continueWanted = false;
    qint64 m_completed = 0;
};
