#include "LantoAPIClient.h"

#include "Log.h"
#include "SessionTokenStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

#ifndef LANTO_SERVICE_BASE_URL
#error "LANTO_SERVICE_BASE_URL is set by the build"
#endif

namespace {

const QByteArray jsonType = "application/json"_ba;
const QByteArray clientName = "lanto-macos"_ba;

} // namespace

LantoAPIClient& LantoAPIClient::shared()
{
    static LantoAPIClient* const client = [] {
        auto* created = new LantoAPIClient(defaultBaseURL());
        if (auto* app = QCoreApplication::instance())
            created->moveToThread(app->thread());
        return created;
    }();
    return *client;
}

QUrl LantoAPIClient::defaultBaseURL()
{
    static const QUrl url = [] {
        const QUrl override = QUrl(qEnvironmentVariable("LANTO_SERVICE_URL"), QUrl::StrictMode);
        if (override.isValid() && !override.isRelative()) {
            Log::write("Lanto API: Using the service address from LANTO_SERVICE_URL — "_L1 + override.toString());
            return override;
        }
        return QUrl(QStringLiteral(LANTO_SERVICE_BASE_URL));
    }();
    return url;
}

LantoAPIClient::LantoAPIClient(const QUrl& baseURL, std::chrono::milliseconds idleTimeout, QObject* parent)
    : QObject(parent), m_baseURL(baseURL), m_limits { idleTimeout }, m_network(new QNetworkAccessManager(this))
{
}

LantoAPIClient::~LantoAPIClient() = default;

QUrl LantoAPIClient::endpointURL(const QString& path, const QueryItems& queryItems) const
{
    QUrl url = m_baseURL;
    QString basePath = url.path(QUrl::FullyDecoded);
    while (basePath.endsWith(u'/'))
        basePath.chop(1);
    // Decoded mode percent-encodes whatever a path cannot hold ("?", "#", "%").
    url.setPath(basePath + u'/' + path, QUrl::DecodedMode);
    if (!queryItems.isEmpty()) {
        QUrlQuery query;
        for (const auto& [name, value] : queryItems)
            query.addQueryItem(
                QString::fromUtf8(QUrl::toPercentEncoding(name)), QString::fromUtf8(QUrl::toPercentEncoding(value)));
        url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    }
    return url;
}

QFuture<Result<QByteArray>> LantoAPIClient::sendJSON(Access access, const QByteArray& method, const QString& path,
    const QueryItems& queryItems, const std::optional<QJsonObject>& body)
{
    std::optional<QString> token;
    if (access == Access::authorized) {
        token = SessionTokenStore::load();
        if (!token)
            return QtFuture::makeReadyFuture(Result<QByteArray>(APIError::serverError(u"Not signed in"_s)));
    }

    QNetworkRequest request(endpointURL(path, queryItems));
    request.setRawHeader("Accept"_ba, jsonType);
    request.setRawHeader("X-Lanto-Client"_ba, clientName);
    if (token) {
        request.setRawHeader("Authorization"_ba, "Bearer "_ba + token->toUtf8());
        // The token goes to the service's own origin only, never along a redirect elsewhere.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    }
    if (access == Access::publicRead)
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    std::unique_ptr<QIODevice> device;
    if (body) {
        request.setRawHeader("Content-Type"_ba, jsonType);
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(QJsonDocument(*body).toJson(QJsonDocument::Compact));
        device = std::move(buffer);
    }

    return send(request, method, std::move(device)).then([](const Result<HTTPReply>& reply) -> Result<QByteArray> {
        if (!reply)
            return reply.error();
        const int status = reply.value().statusCode;
        if (status < 200 || status > 299)
            return APIError::httpError(status);
        return reply.value().body;
    });
}

QFuture<Result<HTTPReply>> LantoAPIClient::send(
    const QNetworkRequest& request, const QByteArray& method, std::unique_ptr<QIODevice> body)
{
    // What the request needs once it runs on the client's thread.
    struct Pending
    {
        QPromise<Result<HTTPReply>> promise;
        std::unique_ptr<QIODevice> body;
    };
    auto pending = std::make_shared<Pending>(Pending { QPromise<Result<HTTPReply>>(), std::move(body) });
    QFuture<Result<HTTPReply>> future = pending->promise.future();
    pending->promise.start();
    QMetaObject::invokeMethod(m_network, [this, pending, request, method] {
        if (pending->body)
            pending->body->open(QIODevice::ReadOnly);
        QNetworkReply* reply = m_network->sendCustomRequest(request, method, pending->body.get());
        new ServiceTransfer(reply, std::move(pending->body), std::move(pending->promise), m_limits, m_network);
    });
    return future;
}
