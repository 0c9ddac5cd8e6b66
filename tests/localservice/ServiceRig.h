#pragma once

#include "AwaitFuture.h"
#include "LantoAPIClient.h"
#include "LocalService.h"
#include "TemporaryHome.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A local service in this process, on a free port, over a data folder that
// outlives restart(), with a client pointed at it and a home for its token.
// The options may be adjusted from their defaults (limits, disk space).
class ServiceRig
{
public:
    using Adjust = std::function<void(LocalService::Options&)>;

    explicit ServiceRig(Adjust adjust = {}) : m_adjust(std::move(adjust)) { start(); }

    void start()
    {
        LocalService::Options options { data.path() };
        // A roomy volume, whatever this machine's disk holds; tests of the floor set their own.
        options.diskSpace = [](const QString&) { return std::optional(DiskFloor::Space { qint64(1) << 40, qint64(1) << 41 }); };
        if (m_adjust)
            m_adjust(options);
        service = std::make_unique<LocalService>(options);
        port = service->listen(0);
        client = std::make_unique<LantoAPIClient>(QUrl(service->origin() + QStringLiteral("/api/v1")));
    }
    // Stops the service as a killed one would stop, and starts it again on the same data.
    void restart()
    {
        client.reset();
        service.reset();
        start();
    }

    struct Answer
    {
        int status = 0;
        QByteArray body;
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        QList<QNetworkReply::RawHeaderPair> headers;
        QByteArray header(const QByteArray& name) const
        {
            for (const auto& [key, value] : headers) {
                if (key.compare(name, Qt::CaseInsensitive) == 0)
                    return value;
            }
            return {};
        }
    };

    // One plain request to the service; the path is absolute ("/api/v1/...").
    Answer fetch(const QByteArray& method, const QString& path, const QByteArray& body = {},
        const QList<std::pair<QByteArray, QByteArray>>& headers = {})
    {
        QNetworkRequest request(QUrl(service->origin() + path));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        // A custom "HEAD" would wait for the body its Content-Length announces.
        QNetworkReply* reply
            = method == "HEAD" ? network.head(request) : network.sendCustomRequest(request, method, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        Answer answer { reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->error(), reply->rawHeaderPairs() };
        reply->deleteLater();
        return answer;
    }

    template <typename T> T await(QFuture<Result<T>> future)
    {
        const std::optional<Result<T>> result = awaitFuture(future, std::chrono::seconds(30));
        if (!result)
            qFatal("the request did not finish");
        if (!*result)
            qFatal("the request failed: %s", qPrintable(result->error().description()));
        return result->value();
    }

    TemporaryHome home;
    QTemporaryDir data;
    std::unique_ptr<LocalService> service;
    std::unique_ptr<LantoAPIClient> client;
    QNetworkAccessManager network;
    quint16 port = 0;

private:
    Adjust m_adjust;
};
