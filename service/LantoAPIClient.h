#pragma once

#include "APIModels.h"
#include "APIResponse.h"
#include "ServiceTransfer.h"

#include <QFuture>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

class QNetworkAccessManager;
class QNetworkRequest;

// The one client of the web service. Every operation may be called from any
// thread; its network traffic runs on the client's thread, and its future
// finishes there. Operations keep no state between calls: the session token
// is read afresh for every authorised request.
class LantoAPIClient : public QObject
{
    Q_OBJECT

public:
    using QueryItems = QList<std::pair<QString, QString>>;

    // The client of the service at defaultBaseURL(), on the main thread, never released.
    static LantoAPIClient& shared();
    // The service address of this build, unless LANTO_SERVICE_URL names another (logged once).
    static QUrl defaultBaseURL();

    // idleTimeout: how long a request may go without a byte moving before it fails as timed out.
    explicit LantoAPIClient(const QUrl& baseURL, std::chrono::milliseconds idleTimeout = std::chrono::seconds(60),
        QObject* parent = nullptr);
    ~LantoAPIClient() override;

    QUrl baseURL() const { return m_baseURL; }
    // The base address with a relative endpoint path (and query items, in order) appended.
    QUrl endpointURL(const QString& path, const QueryItems& queryItems = {}) const;

    // The signed-in user's endpoints: bearer token, "Not signed in" before any traffic without one.
    template <typename T>
    QFuture<Result<T>> authorizedRequest(
        const QByteArray& method, const QString& path, const std::optional<QJsonObject>& body = std::nullopt)
    {
        return payloadOf<T>(sendJSON(Access::authorized, method, path, {}, body));
    }

    // Public catalogue and profile reads; never carries the token.
    template <typename T> QFuture<Result<T>> publicGet(const QString& path, const QueryItems& queryItems = {})
    {
        return payloadOf<T>(sendJSON(Access::publicRead, "GET", path, queryItems, std::nullopt));
    }

    // Public POST calls; never carries the token.
    template <typename T>
    QFuture<Result<T>> post(const QString& path, const std::optional<QJsonObject>& body = std::nullopt)
    {
        return payloadOf<T>(sendJSON(Access::publicWrite, "POST", path, {}, body));
    }

private:
    enum class Access { authorized, publicRead, publicWrite };

    // The 2xx body of a JSON call, or its failure: 401 and every other
    // status outside 2xx become httpError, without reading the body.
    QFuture<Result<QByteArray>> sendJSON(Access access, const QByteArray& method, const QString& path,
        const QueryItems& queryItems, const std::optional<QJsonObject>& body);

    // Sends a request from any thread on the client's thread.
    QFuture<Result<HTTPReply>> send(
        const QNetworkRequest& request, const QByteArray& method, std::unique_ptr<QIODevice> body);

    template <typename T> static QFuture<Result<T>> payloadOf(QFuture<Result<QByteArray>> body)
    {
        return body.then([](const Result<QByteArray>& reply) -> Result<T> {
            if (!reply)
                return reply.error();
            return decodePayload<T>(reply.value(), QStringLiteral("Unknown error"));
        });
    }

    const QUrl m_baseURL;
    const ServiceTransfer::Limits m_limits;
    QNetworkAccessManager* m_network;
};
