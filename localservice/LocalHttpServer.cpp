#include "LocalHttpServer.h"

#include "RequestGuard.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Hands each new connection to a RequestGuard before the HTTP server sees it.
class GuardedTcpServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        new RequestGuard(socket, LocalHttpServer::maximumBody);
        addPendingConnection(socket);
    }
};

// Writes a file stretch to a socket, a chunk at a time, while the socket's
// own buffer stays small; it goes with the socket.
class FileStream : public QObject
{
public:
    FileStream(QTcpSocket* socket, std::unique_ptr<QFile> file, qint64 length)
        : QObject(socket), m_socket(socket), m_file(std::move(file)), m_left(length)
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &FileStream::more);
        more();
    }

private:
    static constexpr qint64 chunk = 256 * 1024;
    static constexpr qint64 highWater = 1024 * 1024;

    void more()
    {
        while (m_left > 0 && m_socket->bytesToWrite() < highWater) {
            const QByteArray bytes = m_file->read(qMin(chunk, m_left));
            if (bytes.isEmpty()) {
                // The file shrank under us: the promised length cannot be kept.
                m_socket->abort();
                return;
            }
            m_left -= bytes.size();
            m_socket->write(bytes);
        }
        if (m_left == 0)
            deleteLater();
    }

    QTcpSocket* m_socket;
    std::unique_ptr<QFile> m_file;
    qint64 m_left;
};

} // namespace

LocalHttpServer::LocalHttpServer(Handler handler, QObject* parent)
    : QAbstractHttpServer(parent), m_handler(std::move(handler))
{
}

quint16 LocalHttpServer::listenOnLoopback(quint16 port)
{
    auto* server = new GuardedTcpServer(this);
    if (!server->listen(QHostAddress::LocalHost, port)) {
        delete server;
        return 0;
    }
    bind(server);
    m_origin = u"http://127.0.0.1:"_s + QString::number(server->serverPort());
    return server->serverPort();
}

bool LocalHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    write(request, socket, m_handler(ServiceRequest::from(request, m_origin)));
    return true;
}

void LocalHttpServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    write(request, socket, ServiceReply::refused(404, u"Not found"_s));
}

void LocalHttpServer::write(const QHttpServerRequest& request, QTcpSocket* socket, const ServiceReply& reply)
{
    std::unique_ptr<QFile> file;
    qint64 length = reply.body.size();
    if (!reply.file.isEmpty()) {
        file = std::make_unique<QFile>(reply.file);
        if (!file->open(QIODevice::ReadOnly) || !file->seek(reply.offset))
            return write(request, socket, ServiceReply::refused(500, u"The file cannot be read"_s));
        length = reply.length;
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    for (const auto& [name, value] : reply.headers)
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(length));
    const bool headOnly = request.method() == QHttpServerRequest::Method::Head;
    responder.writeBody(headOnly || file ? QByteArray() : reply.body);
    if (file && !headOnly && length > 0)
        new FileStream(socket, std::move(file), length);
}
