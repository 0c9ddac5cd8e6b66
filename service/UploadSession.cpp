#include "UploadSession.h"

#include "CancelToken.h"
#include "NetworkMonitor.h"
#include "UploadWorker.h"

#include <QPromise>
#include <QTimer>

// One request from send() to its result, shared by the session's thread and the worker's.
struct UploadSession::Pending
{
    UploadRequest request;
    CurlTransfer::Clock::time_point deadline;
    QPointer<CancelToken> cancel;
    QPromise<Result<HTTPReply>> promise;
    std::shared_ptr<CurlTransfer> transfer;
    bool settled = false;

    void settle(Result<HTTPReply> result)
    {
        if (std::exchange(settled, true))
            return;
        promise.addResult(std::move(result));
        promise.finish();
    }
    // A result that never came back (the session went first) is a cancellation.
    ~Pending() { settle(NetworkError::cancelled()); }
};

UploadSession::UploadSession(NetworkMonitor* connectivity, QObject* parent)
    : QObject(parent),
      m_connectivity(connectivity),
      m_followsSystem(!connectivity),
      m_worker(std::make_unique<UploadWorker>())
{
}

UploadSession::~UploadSession()
{
    // Stops the thread first: what still runs fails, and its results, posted to
    // this object, are dropped with it; their futures finish as cancelled.
    m_worker.reset();
}

NetworkMonitor& UploadSession::connectivity()
{
    // The system's monitor is made on first use, on this (the main) thread.
    if (m_followsSystem && !m_connectivity)
        m_connectivity = &NetworkMonitor::shared();
    return *m_connectivity;
}

QFuture<Result<HTTPReply>> UploadSession::send(UploadRequest request, CancelToken* cancel)
{
    auto pending = std::make_shared<Pending>();
    const auto total = request.limits.totalTimeout.value_or(std::chrono::hours(24));
    pending->deadline = CurlTransfer::Clock::now() + total;
    pending->request = std::move(request);
    pending->cancel = cancel;
    QFuture<Result<HTTPReply>> future = pending->promise.future();
    pending->promise.start();
    QMetaObject::invokeMethod(this, [this, pending] { begin(pending); });
    return future;
}

// This machine's own service answers whatever the network does: no waiting for it.
void UploadSession::begin(const std::shared_ptr<Pending>& pending)
{
    if (pending->cancel && pending->cancel->isCancelled())
        pending->settle(NetworkError::cancelled());
    else if (CurlTransfer::isLoopback(pending->request.url) || connectivity().isConnected())
        start(pending);
    else
        whenConnected(pending);
}

void UploadSession::whenConnected(const std::shared_ptr<Pending>& pending)
{
    // The waiting ends with the network back, the overall time-out, or a cancel.
    auto* waiting = new QObject(this);
    const auto stopWaiting = [waiting, pending](std::optional<ServiceError> failure) {
        waiting->disconnect();
        waiting->deleteLater();
        if (failure)
            pending->settle(*failure);
    };
    connect(&connectivity(), &NetworkMonitor::isConnectedChanged, waiting, [this, pending, stopWaiting](bool up) {
        if (!up)
            return;
        stopWaiting(std::nullopt);
        start(pending);
    });
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending->deadline - CurlTransfer::Clock::now());
    QTimer::singleShot(left, waiting, [stopWaiting] { stopWaiting(NetworkError::timedOut()); });
    if (pending->cancel)
        connect(pending->cancel, &CancelToken::cancelled, waiting,
            [stopWaiting] { stopWaiting(NetworkError::cancelled()); });
}

void UploadSession::start(const std::shared_ptr<Pending>& pending)
{
    if (pending->settled)
        return;
    // The worker calls back on its thread; the result is handed over on ours. The
    // session outlives the worker, so it is there to post to.
    pending->transfer = std::make_shared<CurlTransfer>(
        pending->request, pending->deadline, [session = this, pending](Result<HTTPReply> result) {
            QMetaObject::invokeMethod(session, [pending, result = std::move(result)] {
                pending->settle(result);
                pending->transfer.reset();
            });
        });
    if (pending->cancel) {
        const std::weak_ptr<CurlTransfer> transfer = pending->transfer;
        UploadWorker* worker = m_worker.get();
        connect(pending->cancel, &CancelToken::cancelled, this, [transfer, worker] {
            if (const auto running = transfer.lock()) {
                running->cancel();
                worker->wake();
            }
        });
    }
    m_worker->add(pending->transfer);
}
