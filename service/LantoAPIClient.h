#pragma once

#include "APIModels.h"
#include "APIResponse.h"
#include "ServiceTransfer.h"
#include "UploadBody.h"

#include <QFuture>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class CancelToken;
class NetworkMonitor;
class QNetworkAccessManager;
class QNetworkRequest;
class Scheduler;
class UploadSession;

// The one client of the web service. Every operation may be called from any
// thread; its network traffic runs on the client's thread, and its future
// finishes there. Operations keep no state between calls: the session token
// is read afresh for every authorised request.
class LantoAPIClient : public QObject
{
    Q_OBJECT

public:
    using QueryItems = QList<std::pair<QString, QString>>;
    using TagCatalogue = QMap<QString, QList<APITag>>;
    using ProgressCallback = std::function<void(double)>;

    // The usage events the service counts.
    enum class UsageEvent { download, favorite, apply, remove };
    static QString usageEventName(UsageEvent event);

    struct Options
    {
        // How long a request may go without a byte moving before it fails as timed out.
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(60);
        // Where the waits between upload retries run; the main thread's by default.
        Scheduler* retryScheduler = nullptr;
        // What tells the upload session whether the network is up; the system's by default.
        NetworkMonitor* connectivity = nullptr;
    };

    // The client of the service at defaultBaseURL(), on the main thread, never released.
    static LantoAPIClient& shared();
    // The service address of this build, unless LANTO_SERVICE_URL names another
    // that ServiceOverrides accepts (logged once).
    static QUrl defaultBaseURL();

    explicit LantoAPIClient(const QUrl& baseURL, QObject* parent = nullptr);
    LantoAPIClient(const QUrl& baseURL, const Options& options, QObject* parent = nullptr);
    ~LantoAPIClient() override;

    QUrl baseURL() const { return m_baseURL; }
    // The base address with a relative endpoint path (and query items, in order) appended.
    QUrl endpointURL(const QString& path, const QueryItems& queryItems = {}) const;

    // The signed-in user's endpoints: bearer token, "Not signed in" before any traffic without one.
    template <typename T>
    QFuture<Result<T>> authorizedRequest(
        const QByteArray& method, const QString& path, const std::optional<QJsonObject>& body = std::nullopt)
    {
        return payloadOf<T>(sendJSON(Access::authorized, method, path, {}, body), QStringLiteral("Unknown error"));
    }

    // Public catalogue and profile reads; never carries the token.
    template <typename T> QFuture<Result<T>> publicGet(const QString& path, const QueryItems& queryItems = {})
    {
        return payloadOf<T>(
            sendJSON(Access::publicRead, "GET", path, queryItems, std::nullopt), QStringLiteral("Unknown error"));
    }

    // Public POST calls; never carries the token.
    template <typename T>
    QFuture<Result<T>> post(const QString& path, const std::optional<QJsonObject>& body = std::nullopt)
    {
        return payloadOf<T>(sendJSON(Access::publicWrite, "POST", path, {}, body), QStringLiteral("Unknown error"));
    }

    // Endpoints.
    QFuture<Result<AuthCodeExchangeResponse>> exchangeAuthCode(const QString& code);
    QFuture<Result<UserProfile>> fetchProfile();
    QFuture<Result<UserProfile>> updateProfile(const ProfileChanges& changes);
    // The new avatar's address.
    QFuture<Result<QString>> uploadAvatar(const QByteArray& imageData, const QString& contentType);
    QFuture<Result<HandleAvailability>> checkHandle(const QString& handle);
    QFuture<Result<DiscoverResponse>> fetchDiscover();
    QFuture<Result<TagCatalogue>> fetchTags();
    // Every page of a category, in page order; one failed page fails the listing.
    QFuture<Result<QList<APIWallpaper>>> fetchWallpapers(const QString& category);
    QFuture<Result<APIWallpaper>> fetchWallpaper(const QString& id);
    QFuture<Result<ProfileWallpapersResponse>> fetchProfileWallpapers(const QString& profileId, qint64 page);
    QFuture<Result<Done>> recordEvent(UsageEvent event, const QString& wallpaperId);
    QFuture<Result<Done>> addFavorite(const QString& wallpaperId);
    QFuture<Result<Done>> removeFavorite(const QString& wallpaperId);
    QFuture<Result<MyWallpapersResponse>> fetchMyWallpapers();
    QFuture<Result<SubmissionCreateResponse>> createSubmission(const SubmissionCreate& submission);
    QFuture<Result<Done>> submitSubmission(const QString& id);
    QFuture<Result<Done>> deleteSubmission(const QString& id);

    // Submission files. One PUT of the bytes, not retried by itself.
    QFuture<Result<Done>> putSubmissionFile(
        const QString& wallpaperId, const QString& slot, const QString& contentType, const QByteArray& data);
    // A file read from disk as it is sent: one PUT below 5 MiB, else the
    // multipart sequence with three parts in flight; each PUT is retried on
    // transient failures. onProgress gets the fraction of parts done, on the client's thread.
    QFuture<Result<Done>> uploadSubmissionFile(const QString& wallpaperId, const QString& slot, const QString& fileURL,
        const QString& contentType, ProgressCallback onProgress = {});

    // Retries an operation on transient network failures (see TransientRetry.h), waiting on the client's scheduler.
    template <typename T>
    QFuture<Result<T>> withTransientRetry(std::function<QFuture<Result<T>>()> operation, CancelToken* cancel = nullptr);

    static constexpr qint64 multipartThreshold = 5 * 1024 * 1024;
    static constexpr qint64 partSize = multipartThreshold;
    static constexpr int partsInFlight = 3;
    // A service that never sends a short page still ends the listing here.
    static constexpr int maximumCategoryPages = 500;

private:
    friend class MultipartUpload;
    enum class Access { authorized, publicRead, publicWrite };
    using BodySource = std::function<std::unique_ptr<QIODevice>()>;

    QFuture<Result<HTTPReply>> sendJSON(Access access, const QByteArray& method, const QString& path,
        const QueryItems& queryItems, const std::optional<QJsonObject>& body);
    // A request of the upload kind: Content-Type, Authorization, Accept, client name, in that order.
    QNetworkRequest fileRequest(const QUrl& url, const QString& contentType, const QString& token) const;
    // One upload-session PUT, sent from any thread on the client's thread.
    QFuture<Result<HTTPReply>> putFile(
        const QUrl& url, const QString& contentType, const UploadBody& body, CancelToken* cancel);
    // A single PUT of the body, judged as the single upload.
    QFuture<Result<Done>> putSubmissionBody(
        const QString& wallpaperId, const QString& slot, const QString& contentType, const UploadBody& body);

    // Sends a request from any thread on the client's thread. A null body
    // source sends no body; a source that gives no device, or one that cannot
    // open, fails as a FileError.
    QFuture<Result<HTTPReply>> send(const QNetworkRequest& request, const QByteArray& method, BodySource body,
        const ServiceTransfer::Limits& limits);

    // 2xx bodies decoded as an envelope of T; every other status is httpError, its body unread.
    template <typename T> static QFuture<Result<T>> payloadOf(QFuture<Result<HTTPReply>> reply, const QString& fallback)
    {
        return reply.then([fallback](const Result<HTTPReply>& r) -> Result<T> {
            const Result<QByteArray> body = successBody(r);
            if (!body)
                return body.error();
            return decodePayload<T>(body.value(), fallback);
        });
    }

    // As payloadOf, but the service's ok alone is success, with or without a payload.
    template <typename T>
    static QFuture<Result<Done>> outcomeOf(QFuture<Result<HTTPReply>> reply, const QString& fallback)
    {
        return reply.then([fallback](const Result<HTTPReply>& r) -> Result<Done> {
            const Result<QByteArray> body = successBody(r);
            if (!body)
                return body.error();
            const Result<APIResponse<T>> envelope = APIResponse<T>::decode(body.value());
            if (!envelope)
                return envelope.error();
            return envelope.value().outcome(fallback);
        });
    }

    template <typename T> static QFuture<Result<Done>> dropped(QFuture<Result<T>> future)
    {
        return future.then([](const Result<T>& r) { return r.map([](const T&) { return Done {}; }); });
    }

    static Result<QByteArray> successBody(const Result<HTTPReply>& reply);
    static BodySource bytesBody(const QByteArray& bytes);

    const QUrl m_baseURL;
    const ServiceTransfer::Limits m_limits;
    const ServiceTransfer::Limits m_uploadLimits;
    Scheduler& m_retryScheduler;
    QNetworkAccessManager* m_network;
    UploadSession* m_uploadSession;
};

#include "TransientRetry.h"

template <typename T>
QFuture<Result<T>> LantoAPIClient::withTransientRetry(
    std::function<QFuture<Result<T>>()> operation, CancelToken* cancel)
{
    return ::withTransientRetry<T>(m_retryScheduler, std::move(operation), cancel);
}
