#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <utility>

class QTcpServer;
class FakeWebConnection;

// One request as the fake service received it.
struct FakeRequest
{
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    QByteArray method;
    QByteArray target; // as sent: path and query, still percent-encoded
    QString path; // decoded, without the query
    QList<std::pair<QString, QString>> queryItems; // decoded, in the order sent
    Headers headers; // in the order sent
    QByteArray body; // up to FakeWebService::setRecordedBodyLimit() bytes
    qint64 bodySize = 0; // every byte, recorded or not

    // The first header of that name, whatever its case; empty when absent.
    QByteArray header(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
    QByteArrayList headerNames() const;
    // The names of these headers that were sent, in the order sent (the
    // network stack adds its own around them).
    QByteArrayList headerNames(const QByteArrayList& among) const;
    // The value of a query item; a null text when absent.
    QString queryValue(const QString& name) const;
    bool hasQueryItem(const QString& name) const;
    // The body parsed as a JSON object (empty when it is not one).
    QJsonObject jsonBody() const;
};

// What the fake service answers to one request.
struct FakeReply
{
    int status = 200;
    FakeRequest::Headers headers; // besides Content-Length, which is always sent
    QByteArray body;
    QString bodyFile; // when set, the body is streamed from this file instead
    std::chrono::milliseconds delay { 0 }; // before the answer starts
    bool drop = false; // close the connection instead of answering
    bool stall = false; // never answer; the connection stays open

    // 200 with {"ok":true,"data":data}.
    static FakeReply ok(const QJsonValue& data);
    // 200 with {"ok":true}.
    static FakeReply okWithoutData();
    // 200 with {"ok":false,"error":error}; without error when it is null.
    static FakeReply failure(const QString& error, int status = 200);
    // Any status with a JSON body.
    static FakeReply json(int status, const QJsonValue& body);
    // Any status with a body of any type.
    static FakeReply raw(int status, const QByteArray& body, const QByteArray& contentType = "application/json");
    // A body streamed from a file, e.g. content downloads.
    static FakeReply file(const QString& path, const QByteArray& contentType = "application/octet-stream");
    static FakeReply redirect(const QUrl& location, int status = 302);
    static FakeReply dropped();
    static FakeReply stalled();

    FakeReply& after(std::chrono::milliseconds wait)
    {
        delay = wait;
        return *this;
    }
    FakeReply& withHeader(const QByteArray& name, const QByteArray& value)
    {
        headers.append({ name, value });
        return *this;
    }
};

// A web service on loopback for tests: answers scripted replies per route,
// records every request, and asks for the bearer token on the signed-in
// user's endpoints ("me" and below), as the real one does. Lives on the
// thread that makes it; its port is chosen by the system.
//
// Paths without a leading "/" are taken below the API base path, so
// on("GET", "discover", ...) answers GET /api/v1/discover.
class FakeWebService : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<FakeReply(const FakeRequest&)>;

    explicit FakeWebService(QObject* parent = nullptr);
    ~FakeWebService() override;

    bool isListening() const;
    quint16 port() const;
    // http://127.0.0.1:<port> followed by the path (absolute, or below the base path).
    QUrl url(const QString& path = QStringLiteral("/")) const;
    // The address to hand the client: http://127.0.0.1:<port>/api/v1.
    QUrl baseURL() const { return url(basePath); }

    // The standing answer of a route, for every request that no queued reply takes.
    void on(const QByteArray& method, const QString& path, const FakeReply& reply);
    void on(const QByteArray& method, const QString& path, Handler handler);
    // An answer used once, before the standing one; several queue up in order.
    void once(const QByteArray& method, const QString& path, const FakeReply& reply);
    // What requests no route matches get; by default 404 with an error envelope.
    void setFallback(Handler handler);

    // The token "me" routes need, sent as "Bearer <token>"; others get 401. Empty: no check.
    void requireBearer(const QByteArray& token) { m_bearer = token; }
    // How many body bytes each recorded request keeps (default 64 MiB).
    void setRecordedBodyLimit(qint64 bytes) { m_bodyLimit = bytes; }

    QList<FakeRequest> requests() const { return m_requests; }
    QList<FakeRequest> requests(const QByteArray& method, const QString& path) const;
    int requestCount() const { return int(m_requests.size()); }
    int requestCount(const QByteArray& method, const QString& path) const { return int(requests(method, path).size()); }
    // Requests received and not yet answered, now and at most so far.
    int openRequests() const { return m_open; }
    int peakOpenRequests() const { return m_peakOpen; }
    // Forgets the recorded requests and the peak.
    void clearRequests();

    static inline const QString basePath = QStringLiteral("/api/v1");

signals:
    // After a request is recorded, before it is answered.
    void requestReceived(const FakeRequest& request);

private:
    friend class FakeWebConnection;

    struct Route
    {
        std::deque<FakeReply> queued;
        Handler standing;
    };

    static QString routeKey(const QByteArray& method, const QString& path);
    static QString absolutePath(const QString& path);
    FakeReply answer(const FakeRequest& request);
    void requestStarted(FakeRequest request);
    void requestAnswered();

    QTcpServer* m_server;
    QHash<QString, Route> m_routes;
    Handler m_fallback;
    QByteArray m_bearer;
    qint64 m_bodyLimit = 64 << 20;
    QList<FakeRequest> m_requests;
    int m_open = 0;
    int m_peakOpen = 0;
};
