#pragma once

#include "CurlTransfer.h"

#include <QFuture>
#include <QObject>
#include <QPointer>

#include <memory>

class CancelToken;
class NetworkMonitor;
class UploadWorker;

// The client's session for submission files: each request goes out on
// libcurl from a thread of the session's own, and its future finishes on the
// session's thread. While the network is down a request waits for it to come
// back, within its overall time-out, instead of failing at once; a request
// to this machine's own service never waits.
class UploadSession : public QObject
{
public:
    // connectivity: what tells whether the network is up; null follows the system's.
    explicit UploadSession(NetworkMonitor* connectivity = nullptr, QObject* parent = nullptr);
    ~UploadSession() override;

    // From any thread; the request runs from the session's thread. A cancel
    // token (of the session's thread), when given, ends the request wherever
    // it is, and its result is the cancellation error.
    QFuture<Result<HTTPReply>> send(UploadRequest request, CancelToken* cancel = nullptr);

private:
    struct Pending;
    void begin(const std::shared_ptr<Pending>& pending);
    void whenConnected(const std::shared_ptr<Pending>& pending);
    void start(const std::shared_ptr<Pending>& pending);
    NetworkMonitor& connectivity();

    QPointer<NetworkMonitor> m_connectivity;
    bool m_followsSystem;
    std::unique_ptr<UploadWorker> m_worker;
};
