#pragma once

#include "Result.h"
#include "TransferWatch.h"

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QPromise>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CancelToken;
class QIODevice;
class QNetworkReply;

// The status and body of one HTTP exchange. The body is read only for 2xx
// statuses: callers never look at the body of a failure.
struct HTTPReply
{
    int statusCode = 0;
    QByteArray body;
};

// One request in flight: owns its reply, gives up when no byte moves for the
// idle time-out, and settles its promise exactly once. Lives on the thread of
// the network access manager that made the reply (its parent), and deletes
// itself when done.
class ServiceTransfer : public QObject
{
    Q_OBJECT

public:
    using Limits = TransferLimits;

    // Takes ownership of the reply and of the body device it reads from. A
    // cancel token, when given, aborts the request.
    ServiceTransfer(QNetworkReply* reply, std::unique_ptr<QIODevice> body, QPromise<Result<HTTPReply>> promise,
        const Limits& limits, CancelToken* cancel, QObject* parent);
    ~ServiceTransfer() override;

    // Ends the request; its result is the cancellation error. Idempotent.
    void cancel();

    // Writes a 200 body to the sink as it arrives instead of holding it; the
    // reply then carries no body. Progress gets bytes written and expected
    // (below 1 when the size is unknown). Call right after construction.
    void streamBodyTo(QIODevice* sink, std::function<void(qint64, qint64)> progress);

private:
    void abort(ServiceError reason);
    void noteProgress(qint64 bytesReceived, qint64 bytesTotal);
    bool streamsThisBody() const;
    void drainToSink();
    // Settles a streaming transfer whose answer is not a 200 as soon as its body starts.
    void refuseUnstreamedBody();
    void finish();
    void settle(Result<HTTPReply> result);

    QNetworkReply* m_reply;
    std::unique_ptr<QIODevice> m_body;
    QPromise<Result<HTTPReply>> m_promise;
    Limits m_limits;
    TransferWatch* m_watch;
    QIODevice* m_sink = nullptr;
    std::function<void(qint64, qint64)> m_sinkProgress;
    std::optional<ServiceError> m_abortReason;
    bool m_settled = false;
};
