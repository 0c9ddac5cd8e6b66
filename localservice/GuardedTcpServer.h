#pragma once

#include "HttpConnection.h"

#include <QSet>
#include <QTcpServer>

#include <memory>

// Hands each new connection to an HttpConnection, and keeps the number of
// open connections under a cap: at the cap the connection that has been quiet
// longest (nothing sent, nothing taken) gives way to the new one, so clients
// that hold connections open never keep a new client out. The cap stays well
// under the process's descriptor limit, so accepting never runs out of
// descriptors.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Limits
    {
        int maximumConnections = 256;
        qint64 bodyBudget = 256 * 1024 * 1024;
        HttpConnection::Limits connection;
    };

    GuardedTcpServer(const Limits& limits, HttpConnection::Handler handler, QObject* parent = nullptr);

    // The cap in force: the configured one, or half the descriptors free at the start if less.
    int connectionCap() const;
    int openConnections() const { return int(m_connections.size()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    // Closes the quietest connection.
    bool makeRoom();
    void acceptFailed(QAbstractSocket::SocketError error);

    const Limits m_limits;
    HttpConnection::Handler m_handler;
    std::shared_ptr<BodyBudget> m_budget;
    QSet<HttpConnection*> m_connections;
    int m_descriptorsAtStart = 0;
};
