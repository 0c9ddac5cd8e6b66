#include "LantoAPIClient.h"

#include "CancelToken.h"
#include "Log.h"
#include "MultipartUpload.h"
#include "ServiceOverrides.h"
#include "SessionTokenStore.h"
#include "UploadSession.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSet>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

#ifndef LANTO_SERVICE_BASE_URL
#error "LANTO_SERVICE_BASE_URL is set by the build"
#endif

namespace {

const QByteArray jsonType = "application/json"_ba;
const QByteArray clientName = "lanto-macos"_ba;
const QString notSignedIn = u"Not signed in"_s;
constexpr qsizetype categoryPageSize = 20;

template <typename T> QFuture<Result<T>> failed(ServiceError error)
{
    return QtFuture::makeReadyFuture(Result<T>(std::move(error)));
}

QString filesPath(const QString& wallpaperId, const QString& slot)
{
    return "me/wallpapers/"_L1 + wallpaperId + "/files/"_L1 + slot;
}

// The listing of one category, page by page, until a short page. A service
// that ignores "page" would answer the first page for ever: an empty page, a
// page of the same ids as the one before, or the page cap ends it too.
struct CategoryPaging
{
    LantoAPIClient* client;
    QString category;
    QPromise<Result<QList<APIWallpaper>>> promise;
    QList<APIWallpaper> wallpapers;
    QStringList previousIds;
    int page = 1;

    void finish(Result<QList<APIWallpaper>> result)
    {
        promise.addResult(std::move(result));
        promise.finish();
    }

    static void request(std::shared_ptr<CategoryPaging> state)
    {
        LantoAPIClient::QueryItems query { { u"category"_s, state->category } };
        if (state->page >= 2)
            query.append({ u"page"_s, QString::number(state->page) });
        state->client->publicGet<WallpapersResponse>(u"wallpapers"_s, query)
            .then([state](const Result<WallpapersResponse>& result) {
                if (!result)
                    return state->finish(result.error());
                const QList<APIWallpaper>& items = result.value().wallpapers;
                QStringList ids;
                for (const APIWallpaper& item : items)
                    ids.append(item.id);
                if (!ids.isEmpty() && ids == state->previousIds) {
                    Log::write("Lanto API: Category "_L1 + state->category + " repeated page "_L1
                        + QString::number(state->page - 1) + ", listing ends there"_L1);
                    return state->finish(state->wallpapers);
                }
                state->wallpapers.append(items);
                if (items.size() < categoryPageSize || state->page >= LantoAPIClient::maximumCategoryPages)
                    return state->finish(state->wallpapers);
                state->previousIds = ids;
                ++state->page;
                request(state);
            });
    }
};

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
        if (const std::optional<QUrl> override = ServiceOverrides::fromEnvironment("LANTO_SERVICE_URL")) {
            Log::write(u"Lanto API: Using the service address from LANTO_SERVICE_URL — "_s + override->toString());
            return *override;
        }
        return QUrl(QStringLiteral(LANTO_SERVICE_BASE_URL));
    }();
    return url;
}

QString LantoAPIClient::usageEventName(UsageEvent event)
{
    switch (event) {
    case UsageEvent::download:
        return u"download"_s;
    case UsageEvent::favorite:
        return u"favorite"_s;
    case UsageEvent::apply:
        return u"apply"_s;
    case UsageEvent::remove:
        break;
    }
    return u"remove"_s;
}

namespace {

ServiceTransfer::Limits limitsWith(
    std::chrono::milliseconds idleTimeout, std::optional<std::chrono::milliseconds> totalTimeout = std::nullopt)
{
    ServiceTransfer::Limits limits;
    limits.idleTimeout = idleTimeout;
    limits.totalTimeout = totalTimeout;
    return limits;
}

} // namespace

LantoAPIClient::LantoAPIClient(const QUrl& baseURL, QObject* parent) : LantoAPIClient(baseURL, Options(), parent) { }

LantoAPIClient::LantoAPIClient(const QUrl& baseURL, const Options& options, QObject* parent)
    : QObject(parent),
      m_baseURL(baseURL),
      m_limits(limitsWith(options.idleTimeout)),
      // The upload session gives each exchange 600 s in all.
      m_uploadLimits(limitsWith(options.idleTimeout, std::chrono::seconds(600))),
      m_retryScheduler(options.retryScheduler ? *options.retryScheduler : MainThreadScheduler::shared()),
      m_network(new QNetworkAccessManager(this)),
      m_uploadSession(new UploadSession(options.connectivity, this))
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

LantoAPIClient::BodySource LantoAPIClient::bytesBody(const QByteArray& bytes)
{
    return [bytes] {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        return std::unique_ptr<QIODevice>(std::move(buffer));
    };
}

Result<QByteArray> LantoAPIClient::successBody(const Result<HTTPReply>& reply)
{
    if (!reply)
        return reply.error();
    const int status = reply.value().statusCode;
    if (status < 200 || status > 299)
        return APIError::httpError(status);
    return reply.value().body;
}

QFuture<Result<HTTPReply>> LantoAPIClient::sendJSON(Access access, const QByteArray& method, const QString& path,
    const QueryItems& queryItems, const std::optional<QJsonObject>& body)
{
    std::optional<QString> token;
    if (access == Access::authorized) {
        token = SessionTokenStore::load();
        if (!token)
            return failed<HTTPReply>(APIError::serverError(notSignedIn));
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

    BodySource source;
    if (body) {
        request.setRawHeader("Content-Type"_ba, jsonType);
        source = bytesBody(QJsonDocument(*body).toJson(QJsonDocument::Compact));
    }
    return send(request, method, source, m_limits);
}

QNetworkRequest LantoAPIClient::fileRequest(const QUrl& url, const QString& contentType, const QString& token) const
{
    QNetworkRequest request(url);
    request.setRawHeader("Content-Type"_ba, contentType.toUtf8());
    request.setRawHeader("Authorization"_ba, "Bearer "_ba + token.toUtf8());
    request.setRawHeader("Accept"_ba, jsonType);
    request.setRawHeader("X-Lanto-Client"_ba, clientName);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    return request;
}

QFuture<Result<HTTPReply>> LantoAPIClient::send(const QNetworkRequest& request, const QByteArray& method,
    BodySource body, const ServiceTransfer::Limits& limits)
{
    // What the request needs once it runs on the client's thread.
    struct Pending
    {
        QPromise<Result<HTTPReply>> promise;
        BodySource body;
    };
    auto pending = std::make_shared<Pending>(Pending { QPromise<Result<HTTPReply>>(), std::move(body) });
    QFuture<Result<HTTPReply>> future = pending->promise.future();
    pending->promise.start();
    QMetaObject::invokeMethod(this, [this, pending, request, method, limits] {
        std::unique_ptr<QIODevice> device;
        QNetworkRequest sent = request;
        if (pending->body) {
            device = pending->body();
            if (!device || !device->open(QIODevice::ReadOnly)) {
                pending->promise.addResult(FileError { u"The file could not be read."_s });
                pending->promise.finish();
                return;
            }
            sent.setHeader(QNetworkRequest::ContentLengthHeader, device->size());
        }
        QNetworkReply* reply = m_network->sendCustomRequest(sent, method, device.get());
        new ServiceTransfer(reply, std::move(device), std::move(pending->promise), limits, nullptr, m_network);
    });
    return future;
}

QFuture<Result<AuthCodeExchangeResponse>> LantoAPIClient::exchangeAuthCode(const QString& code)
{
    return post<AuthCodeExchangeResponse>(u"auth/exchange"_s, QJsonObject { { u"code"_s, code } });
}

QFuture<Result<UserProfile>> LantoAPIClient::fetchProfile() { return authorizedRequest<UserProfile>("GET", u"me"_s); }

QFuture<Result<UserProfile>> LantoAPIClient::updateProfile(const ProfileChanges& changes)
{
    return authorizedRequest<UserProfile>("PATCH", u"me"_s, changes.toJson());
}

QFuture<Result<QString>> LantoAPIClient::uploadAvatar(const QByteArray& imageData, const QString& contentType)
{
    const std::optional<QString> token = SessionTokenStore::load();
    if (!token)
        return failed<QString>(APIError::serverError(notSignedIn));
    // Only these two headers: the avatar upload carries neither Accept nor the client name.
    QNetworkRequest request(endpointURL(u"me/avatar"_s));
    request.setRawHeader("Content-Type"_ba, contentType.toUtf8());
    request.setRawHeader("Authorization"_ba, "Bearer "_ba + token->toUtf8());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    return payloadOf<AvatarResponse>(send(request, "POST", bytesBody(imageData), m_limits), u"Upload failed"_s)
        .then([](const Result<AvatarResponse>& avatar) {
            return avatar.map([](const AvatarResponse& answer) { return answer.avatarUrl; });
        });
}

QFuture<Result<HandleAvailability>> LantoAPIClient::checkHandle(const QString& handle)
{
    return publicGet<HandleAvailability>(u"handles/check"_s, { { u"handle"_s, handle } });
}

QFuture<Result<DiscoverResponse>> LantoAPIClient::fetchDiscover() { return publicGet<DiscoverResponse>(u"discover"_s); }

QFuture<Result<LantoAPIClient::TagCatalogue>> LantoAPIClient::fetchTags() { return publicGet<TagCatalogue>(u"tags"_s); }

QFuture<Result<QList<APIWallpaper>>> LantoAPIClient::fetchWallpapers(const QString& category)
{
    auto state = std::make_shared<CategoryPaging>();
    state->client = this;
    state->category = category;
    QFuture<Result<QList<APIWallpaper>>> future = state->promise.future();
    state->promise.start();
    CategoryPaging::request(state);
    return future;
}

QFuture<Result<APIWallpaper>> LantoAPIClient::fetchWallpaper(const QString& id)
{
    return publicGet<APIWallpaper>("wallpapers/"_L1 + id);
}

QFuture<Result<ProfileWallpapersResponse>> LantoAPIClient::fetchProfileWallpapers(const QString& profileId, qint64 page)
{
    return publicGet<ProfileWallpapersResponse>(
        "profiles/"_L1 + profileId + "/wallpapers"_L1, { { u"page"_s, QString::number(page) } });
}

QFuture<Result<Done>> LantoAPIClient::recordEvent(UsageEvent event, const QString& wallpaperId)
{
    using Flags = QMap<QString, bool>;
    return dropped(post<Flags>("wallpapers/"_L1 + wallpaperId + u'/' + usageEventName(event)));
}

QFuture<Result<Done>> LantoAPIClient::addFavorite(const QString& wallpaperId)
{
    using Flags = QMap<QString, bool>;
    return dropped(authorizedRequest<Flags>("POST", "me/favorites/"_L1 + wallpaperId));
}

QFuture<Result<Done>> LantoAPIClient::removeFavorite(const QString& wallpaperId)
{
    using Flags = QMap<QString, bool>;
    return dropped(authorizedRequest<Flags>("DELETE", "me/favorites/"_L1 + wallpaperId));
}

QFuture<Result<MyWallpapersResponse>> LantoAPIClient::fetchMyWallpapers()
{
    return authorizedRequest<MyWallpapersResponse>("GET", u"me/wallpapers"_s);
}

QFuture<Result<SubmissionCreateResponse>> LantoAPIClient::createSubmission(const SubmissionCreate& submission)
{
    return authorizedRequest<SubmissionCreateResponse>("POST", u"me/wallpapers"_s, submission.toJson());
}

QFuture<Result<Done>> LantoAPIClient::submitSubmission(const QString& id)
{
    return dropped(authorizedRequest<SubmissionSubmitResponse>("POST", "me/wallpapers/"_L1 + id + "/submit"_L1));
}

QFuture<Result<Done>> LantoAPIClient::deleteSubmission(const QString& id)
{
    return dropped(authorizedRequest<SubmissionDeleteResponse>("DELETE", "me/wallpapers/"_L1 + id));
}

QFuture<Result<HTTPReply>> LantoAPIClient::putFile(
    const QUrl& url, const QString& contentType, const UploadBody& body, CancelToken* cancel)
{
    const std::optional<QString> token = SessionTokenStore::load();
    if (!token)
        return failed<HTTPReply>(APIError::serverError(notSignedIn));
    const QNetworkRequest headers = fileRequest(url, contentType, *token);
    UploadRequest request { url, "PUT", {}, body, m_uploadLimits };
    for (const QByteArray& name : headers.rawHeaderList())
        request.headers.append({ name, headers.rawHeader(name) });
    return m_uploadSession->send(std::move(request), cancel);
}

QFuture<Result<Done>> LantoAPIClient::putSubmissionBody(
    const QString& wallpaperId, const QString& slot, const QString& contentType, const UploadBody& body)
{
    return outcomeOf<SubmissionUploadResponse>(
        putFile(endpointURL(filesPath(wallpaperId, slot)), contentType, body, nullptr), u"Upload failed"_s);
}

QFuture<Result<Done>> LantoAPIClient::putSubmissionFile(
    const QString& wallpaperId, const QString& slot, const QString& contentType, const QByteArray& data)
{
    return putSubmissionBody(wallpaperId, slot, contentType, UploadBody::bytes(data));
}

QFuture<Result<Done>> LantoAPIClient::uploadSubmissionFile(const QString& wallpaperId, const QString& slot,
    const QString& fileURL, const QString& contentType, ProgressCallback onProgress)
{
    const QFileInfo file(fileURL);
    if (!file.isFile() || !file.isReadable())
        return failed<Done>(FileError { "The file "_L1 + file.fileName() + " could not be read."_L1 });
    const QString path = file.absoluteFilePath();
    const qint64 size = file.size();
    if (size < multipartThreshold) {
        return withTransientRetry<Done>([=, this] {
            return putSubmissionBody(wallpaperId, slot, contentType, UploadBody::fileSlice(path, 0, size));
        });
    }
    return MultipartUpload::start(*this, filesPath(wallpaperId, slot), path, size, contentType, std::move(onProgress));
}
