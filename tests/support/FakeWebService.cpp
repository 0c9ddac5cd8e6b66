#include "FakeWebService.h"

#include "APIEnvelope.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype maximumHeaderBytes = 1 << 20;
constexpr qint64 streamChunk = 256 << 10;
constexpr qint64 streamHighWater = 1 << 20;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

// One client connection: reads requests one at a time (no pipelining),
// hands each to the service, and writes its answer.
class FakeWebConnection : public QObject
{
public:
    FakeWebConnection(FakeWebService* service, QTcpSocket* socket)
        : QObject(service), m_service(service), m_socket(socket)
    {
        m_socket->setParent(this);
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(m_socket, &QTcpSocket::readyRead, this, [this] {
            m_buffer += m_socket->readAll();
            process();
        });
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { streamMore(); });
        connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }

    ~FakeWebConnection() override { settleOpen(); }

private:
    enum class State { headers, body, answering };

    void process()
    {
        while (m_state != State::answering) {
            const bool progressed = m_state == State::headers ? readHeaders() : readBody();
            if (!progressed)
                return;
        }
    }

    bool readHeaders()
    {
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_buffer.size() > maximumHeaderBytes)
                m_socket->abort();
            return false;
        }
        const QList<QByteArray> lines = m_buffer.left(end).split('\n');
        m_buffer.remove(0, end + 4);
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        m_request = FakeRequest();
        m_request.method = requestLine.value(0);
        m_request.target = requestLine.value(1);
        const QUrl url = QUrl::fromEncoded("http://fake" + m_request.target);
        m_request.path = url.path(QUrl::FullyDecoded);
        for (const auto& [name, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
            m_request.queryItems.append({ name, value });
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                m_request.headers.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
        }
        m_closeAfter = m_request.header("Connection").compare("close", Qt::CaseInsensitive) == 0;
        if (m_request.header("Expect").compare("100-continue", Qt::CaseInsensitive) == 0)
            m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
        // Bodies come with a length; no client here sends them chunked.
        m_remaining = m_request.header("Content-Length").toLongLong();
        m_state = State::body;
        return true;
    }

    void takeBody(qint64 count)
    {
        const qint64 room = qMax<qint64>(0, m_service->m_bodyLimit - m_request.body.size());
        m_request.body.append(m_buffer.constData(), qMin(count, room));
        m_request.bodySize += count;
        m_buffer.remove(0, count);
    }

    bool readBody()
    {
        const qint64 count = qMin<qint64>(m_remaining, m_buffer.size());
        takeBody(count);
        m_remaining -= count;
        if (m_remaining > 0)
            return false;
        dispatch();
        return true;
    }

    void dispatch()
    {
        m_state = State::answering;
        m_open = true;
        m_service->requestStarted(m_request);
        const FakeReply reply = m_service->answer(m_request);
        if (reply.delay.count() > 0)
            QTimer::singleShot(reply.delay, this, [this, reply] { respond(reply); });
        else
            respond(reply);
    }

    void settleOpen()
    {
        if (std::exchange(m_open, false))
            m_service->requestAnswered();
    }

    void respond(const FakeReply& reply)
    {
        if (reply.stall)
            return;
        settleOpen();
        if (reply.drop) {
            m_socket->abort();
            deleteLater();
            return;
        }
        qint64 length = reply.body.size();
        if (!reply.bodyFile.isEmpty()) {
            m_file = std::make_unique<QFile>(reply.bodyFile);
            if (!m_file->open(QIODevice::ReadOnly))
                qFatal("FakeWebService: cannot read %s", qPrintable(reply.bodyFile));
            length = m_file->size();
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
        for (const auto& [name, value] : reply.headers)
            head += name + ": " + value + "\r\n";
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        if (m_closeAfter)
            head += "Connection: close\r\n";
        // One write for head and body, so small answers leave in one segment.
        m_socket->write(head + "\r\n" + reply.body);
        if (m_file)
            streamMore();
        else
            finishResponse();
    }

    void streamMore()
    {
        if (!m_file)
            return;
        while (m_socket->bytesToWrite() < streamHighWater && !m_file->atEnd())
            m_socket->write(m_file->read(streamChunk));
        if (m_file->atEnd()) {
            m_file.reset();
            finishResponse();
        }
    }

    void finishResponse()
    {
        if (m_closeAfter) {
            m_socket->disconnectFromHost();
            return;
        }
        m_state = State::headers;
        // A request that arrived while this one was answered.
        QMetaObject::invokeMethod(
            this, [this] { process(); }, Qt::QueuedConnection);
    }

    FakeWebService* m_service;
    QTcpSocket* m_socket;
    QByteArray m_buffer;
    State m_state = State::headers;
    FakeRequest m_request;
    qint64 m_remaining = 0;
    bool m_closeAfter = false;
    bool m_open = false;
    std::unique_ptr<QFile> m_file;
};

QByteArray FakeRequest::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (QByteArrayView(key).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool FakeRequest::hasHeader(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (QByteArrayView(key).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QByteArrayList FakeRequest::headerNames() const
{
    QByteArrayList names;
    for (const auto& [key, value] : headers)
        names.append(key);
    return names;
}

QByteArrayList FakeRequest::headerNames(const QByteArrayList& among) const
{
    QByteArrayList names;
    for (const auto& [key, value] : headers)
        if (among.contains(key))
            names.append(key);
    return names;
}

QString FakeRequest::queryValue(const QString& name) const
{
    for (const auto& [key, value] : queryItems)
        if (key == name)
            return value;
    return {};
}

bool FakeRequest::hasQueryItem(const QString& name) const
{
    for (const auto& [key, value] : queryItems)
        if (key == name)
            return true;
    return false;
}

QJsonObject FakeRequest::jsonBody() const { return QJsonDocument::fromJson(body).object(); }

FakeReply FakeReply::ok(const QJsonValue& data) { return json(200, APIEnvelope::ok(data)); }

FakeReply FakeReply::okWithoutData() { return json(200, APIEnvelope::okWithoutData()); }

FakeReply FakeReply::failure(const QString& error, int status)
{
    return json(status, APIEnvelope::failure(error.isNull() ? std::nullopt : std::optional<QString>(error)));
}

FakeReply FakeReply::json(int status, const QJsonValue& body)
{
    const QByteArray bytes = body.isArray() ? QJsonDocument(body.toArray()).toJson(QJsonDocument::Compact)
                                            : QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact);
    return raw(status, bytes);
}

FakeReply FakeReply::raw(int status, const QByteArray& body, const QByteArray& contentType)
{
    FakeReply reply;
    reply.status = status;
    reply.body = body;
    if (!contentType.isEmpty())
        reply.headers.append({ "Content-Type", contentType });
    return reply;
}

FakeReply FakeReply::file(const QString& path, const QByteArray& contentType)
{
    FakeReply reply = raw(200, {}, contentType);
    reply.bodyFile = path;
    return reply;
}

FakeReply FakeReply::redirect(const QUrl& location, int status)
{
    return raw(status, {}, {}).withHeader("Location", location.toEncoded());
}

FakeReply FakeReply::dropped()
{
    FakeReply reply;
    reply.drop = true;
    return reply;
}

FakeReply FakeReply::stalled()
{
    FakeReply reply;
    reply.stall = true;
    return reply;
}

FakeWebService::FakeWebService(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            new FakeWebConnection(this, socket);
    });
    m_server->listen(QHostAddress::LocalHost, 0);
}

FakeWebService::~FakeWebService()
{
    // Connections call back into the service, so they go while it is whole.
    const QObjectList owned = children();
    qDeleteAll(owned);
}

bool FakeWebService::isListening() const { return m_server->isListening(); }

quint16 FakeWebService::port() const { return m_server->serverPort(); }

QUrl FakeWebService::url(const QString& path) const
{
    QUrl url;
    url.setScheme(u"http"_s);
    url.setHost(u"127.0.0.1"_s);
    url.setPort(port());
    url.setPath(absolutePath(path));
    return url;
}

QString FakeWebService::absolutePath(const QString& path)
{
    return path.startsWith(u'/') ? path : basePath + u'/' + path;
}

QString FakeWebService::routeKey(const QByteArray& method, const QString& path)
{
    return QString::fromLatin1(method) + u' ' + absolutePath(path);
}

void FakeWebService::on(const QByteArray& method, const QString& path, const FakeReply& reply)
{
    on(method, path, [reply](const FakeRequest&) { return reply; });
}

void FakeWebService::on(const QByteArray& method, const QString& path, Handler handler)
{
    m_routes[routeKey(method, path)].standing = std::move(handler);
}

void FakeWebService::once(const QByteArray& method, const QString& path, const FakeReply& reply)
{
    m_routes[routeKey(method, path)].queued.push_back(reply);
}

void FakeWebService::setFallback(Handler handler) { m_fallback = std::move(handler); }

QList<FakeRequest> FakeWebService::requests(const QByteArray& method, const QString& path) const
{
    const QString wanted = absolutePath(path);
    QList<FakeRequest> matching;
    for (const FakeRequest& request : m_requests)
        if (request.method == method && request.path == wanted)
            matching.append(request);
    return matching;
}

void FakeWebService::clearRequests()
{
    m_requests.clear();
    m_peakOpen = m_open;
}

void FakeWebService::requestStarted(FakeRequest request)
{
    m_peakOpen = qMax(m_peakOpen, ++m_open);
    m_requests.append(request);
    emit requestReceived(m_requests.constLast());
}

void FakeWebService::requestAnswered() { --m_open; }

FakeReply FakeWebService::answer(const FakeRequest& request)
{
    const bool signedInRoute = request.path == basePath + "/me"_L1 || request.path.startsWith(basePath + "/me/"_L1);
    if (signedInRoute && !m_bearer.isEmpty() && request.header("Authorization") != "Bearer " + m_bearer)
        return FakeReply::failure(u"Unauthorized"_s, 401);
    auto route = m_routes.find(routeKey(request.method, request.path));
    if (route != m_routes.end()) {
        if (!route->queued.empty()) {
            FakeReply reply = route->queued.front();
            route->queued.pop_front();
            return reply;
        }
        if (route->standing)
            return route->standing(request);
    }
    if (m_fallback)
        return m_fallback(request);
    return FakeReply::failure(u"Not found"_s, 404);
}
