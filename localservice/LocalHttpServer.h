#pragma once

#include "GuardedTcpServer.h"
#include "ServiceExchange.h"

#include <QObject>

#include <functional>

// The HTTP side of the local service: each complete request goes to one
// handler, and its reply goes back on the request's connection. Loopback only.
class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<ServiceReply(const ServiceRequest&)>;

    // The largest request body taken: a single file PUT; parts are 5 MiB.
    static constexpr qint64 maximumBody = 16 * 1024 * 1024;
    // The usual limits, with that largest body.
    static GuardedTcpServer::Limits defaultLimits();

    LocalHttpServer(Handler handler, const GuardedTcpServer::Limits& limits, QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 takes a free one. The port, or 0 when it cannot.
    quint16 listenOnLoopback(quint16 port);
    // "http://127.0.0.1:<port>"
    QString origin() const { return m_origin; }

private:
    Handler m_handler;
    const GuardedTcpServer::Limits m_limits;
    QString m_origin;
};
