#pragma once

#include "RequestGuard.h"

#include <QSet>
#include <QTcpServer>

#include <memory>

// Hands each new connection to a RequestGuard before the HTTP server sees
// it, and keeps the number of open connections under a cap: at the cap the
// connection that has been quiet longest, and is not being answered, gives
// way to the new one, so clients that hold connections open never keep a new
// client out. The cap stays well under the process's descriptor limit, so
// accepting never runs out of descriptors.
class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Limits
    {
        int maximumConnections = 256;
        qint64 bodyBudget = 256 * 1024 * 1024;
        RequestGuard::Limits request;
    };

    GuardedTcpServer(const Limits& limits, QObject* parent = nullptr);

    // The cap in force: the configured one, or half the descriptors free at the start if less.
    int connectionCap() const;
    int openConnections() const { return int(m_guards.size()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    // Closes the quietest connection that is not being answered.
    bool makeRoom();
    void acceptFailed(QAbstractSocket::SocketError error);

    const Limits m_limits;
    std::shared_ptr<BodyBudget> m_budget;
    QSet<RequestGuard*> m_guards;
    int m_descriptorsAtStart = 0;
};
