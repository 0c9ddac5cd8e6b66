#include "ServiceTransfer.h"

#include "CancelToken.h"

#include <QIODevice>
#include <QNetworkReply>

ServiceTransfer::ServiceTransfer(QNetworkReply* reply, std::unique_ptr<QIODevice> body,
    QPromise<Result<HTTPReply>> promise, const Limits& limits, CancelToken* cancel, QObject* parent)
    : QObject(parent), m_reply(reply), m_body(std::move(body)), m_promise(std::move(promise)), m_limits(limits)
{
    m_reply->setParent(this);
    m_watch = new TransferWatch(
        m_limits, [this] { abort(NetworkError::timedOut()); }, this);
    if (cancel)
        connect(cancel, &CancelToken::cancelled, this, &ServiceTransfer::cancel);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &ServiceTransfer::noteProgress);
    connect(m_reply, &QNetworkReply::uploadProgress, m_watch, &TransferWatch::stamp);
    connect(m_reply, &QNetworkReply::finished, this, &ServiceTransfer::finish);
}

ServiceTransfer::~ServiceTransfer()
{
    // Destroyed with its network access manager before the reply came.
    settle(NetworkError::cancelled());
}

void ServiceTransfer::cancel() { abort(NetworkError::cancelled()); }

void ServiceTransfer::abort(ServiceError reason)
{
    if (m_settled || m_abortReason)
        return;
    m_abortReason = std::move(reason);
    m_reply->abort();
}

void ServiceTransfer::streamBodyTo(QIODevice* sink, std::function<void(qint64, qint64)> progress)
{
    m_sink = sink;
    m_sinkProgress = std::move(progress);
    connect(m_reply, &QNetworkReply::readyRead, this, &ServiceTransfer::drainToSink);
}

bool ServiceTransfer::streamsThisBody() const
{
    return m_sink && m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
}

void ServiceTransfer::drainToSink()
{
    if (!streamsThisBody()) {
        refuseUnstreamedBody();
        return;
    }
    const QByteArray chunk = m_reply->readAll();
    if (m_sink->write(chunk) != chunk.size())
        abort(FileError { m_sink->errorString() });
}

void ServiceTransfer::refuseUnstreamedBody()
{
    if (m_settled || m_abortReason)
        return;
    // The reply's buffer is kept small for streaming: a body left in it stops
    // the transfer until the idle time-out. Nobody reads a refusal's body, so
    // the answer is known now.
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        settle(HTTPReply { status.toInt(), {} });
    else
        settle(APIError::invalidResponse());
    m_reply->abort();
}

void ServiceTransfer::noteProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    m_watch->stamp();
    if (streamsThisBody()) {
        if (m_sinkProgress)
            m_sinkProgress(bytesReceived, bytesTotal);
    } else if (bytesReceived > m_limits.maximumBodySize) {
        abort(APIError::invalidResponse());
    }
}

void ServiceTransfer::finish()
{
    m_watch->stop();
    if (!m_abortReason && m_sink)
        drainToSink();
    if (m_abortReason) {
        settle(*m_abortReason);
    } else {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QNetworkReply::NetworkError error = m_reply->error();
        // Transport, proxy and protocol errors mean the exchange did not
        // complete, whatever status line came first; the others are statuses.
        // The network stack reports a plain 400 as an invalid operation.
        const bool badRequest = error == QNetworkReply::ProtocolInvalidOperationError && status.isValid();
        const bool transferFailed = (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
            || (error >= QNetworkReply::ProtocolUnknownError && error <= QNetworkReply::ProtocolFailure && !badRequest);
        if (transferFailed) {
            settle(NetworkError::fromReply(error, m_reply->errorString()));
        } else if (!status.isValid()) {
            settle(APIError::invalidResponse());
        } else {
            HTTPReply reply { status.toInt(), {} };
            if (!m_sink && reply.statusCode >= 200 && reply.statusCode <= 299)
                reply.body = m_reply->readAll();
            settle(std::move(reply));
        }
    }
    deleteLater();
}

void ServiceTransfer::settle(Result<HTTPReply> result)
{
    if (m_settled)
        return;
    m_settled = true;
    m_promise.addResult(std::move(result));
    m_promise.finish();
}
