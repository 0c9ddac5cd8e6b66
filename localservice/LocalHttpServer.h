#pragma once

#include "ServiceExchange.h"

#include <QAbstractHttpServer>

#include <functional>

class QTcpSocket;

// The HTTP side of the local service on Qt's HTTP server: each complete
// request goes to one handler; its reply is written back, a file stretch in
// bounded chunks as the client takes them. Loopback only.
class LocalHttpServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    using Handler = std::function<ServiceReply(const ServiceRequest&)>;

    explicit LocalHttpServer(Handler handler, QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 takes a free one. The port, or 0 when it cannot.
    quint16 listenOnLoopback(quint16 port);
    // "http://127.0.0.1:<port>"
    QString origin() const { return m_origin; }

    // The largest request body taken: a single file PUT; parts are 5 MiB.
    static constexpr qint64 maximumBody = 16 * 1024 * 1024;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void write(const QHttpServerRequest& request, QTcpSocket* socket, const ServiceReply& reply);

    Handler m_handler;
    QString m_origin;
};
