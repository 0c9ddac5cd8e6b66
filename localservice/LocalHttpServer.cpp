#include "LocalHttpServer.h"

#include "FileStream.h"
#include "GuardedTcpServer.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>

#include <memory>

using namespace Qt::Literals::StringLiterals;

LocalHttpServer::LocalHttpServer(Handler handler, QObject* parent)
    : QAbstractHttpServer(parent), m_handler(std::move(handler))
{
}

quint16 LocalHttpServer::listenOnLoopback(quint16 port)
{
    GuardedTcpServer::Limits limits;
    limits.request.maximumBody = maximumBody;
    auto* server = new GuardedTcpServer(limits, this);
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
