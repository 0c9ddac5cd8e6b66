#pragma once

#include "ServiceTransfer.h"
#include "TransferWatch.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QPromise>

#include <memory>
#include <optional>

class CancelToken;
class QIODevice;
class QTcpSocket;

// One file PUT of the upload session, written straight to its own connection
// in large chunks read from the body device as the socket drains. The general
// network stack hands upload bytes between threads 16 KiB at a time, which
// held uploads to a fraction of what the link carries. Sends the request's
// headers in their order, never follows a redirect (a 3xx is the answer),
// and reads at most a small answer. Deletes itself when done.
class UploadExchange : public QObject
{
public:
    // The body device must be open; it is read from its start.
    UploadExchange(const QNetworkRequest& request, const QByteArray& method, std::unique_ptr<QIODevice> body,
        QPromise<Result<HTTPReply>> promise, const TransferLimits& limits, CancelToken* cancel, QObject* parent);
    ~UploadExchange() override;

private:
    void sendHead();
    void pump();
    void readAnswer();
    void parseAnswer();
    void fail(ServiceError error);
    void settle(Result<HTTPReply> result);

    QNetworkRequest m_request;
    QByteArray m_method;
    std::unique_ptr<QIODevice> m_body;
    QPromise<Result<HTTPReply>> m_promise;
    qint64 m_maximumAnswer;
    QTcpSocket* m_socket;
    TransferWatch* m_watch;
    QByteArray m_answer;
    bool m_settled = false;
};
