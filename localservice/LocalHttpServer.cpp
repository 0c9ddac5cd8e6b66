#include "LocalHttpServer.h"

using namespace Qt::Literals::StringLiterals;

GuardedTcpServer::Limits LocalHttpServer::defaultLimits()
{
    GuardedTcpServer::Limits limits;
    limits.connection.maximumBody = maximumBody;
    return limits;
}

LocalHttpServer::LocalHttpServer(Handler handler, const GuardedTcpServer::Limits& limits, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_limits(limits)
{
}

quint16 LocalHttpServer::listenOnLoopback(quint16 port)
{
    auto* server = new GuardedTcpServer(m_limits,
        [this](const RequestFraming::Request& request) { return m_handler(ServiceRequest::from(request, m_origin)); },
        this);
    if (!server->listen(QHostAddress::LocalHost, port)) {
        delete server;
        return 0;
    }
    m_origin = u"http://127.0.0.1:"_s + QString::number(server->serverPort());
    return server->serverPort();
}
