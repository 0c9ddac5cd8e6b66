// The network half of CloudService: content downloads with their poster, and
// the thumbnail fetch.
#include "CloudService.h"

#include "DownloadTarget.h"
#include "Log.h"
#include "ServiceTransfer.h"
#include "SessionTokenStore.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Pictures are read into memory whole; nothing larger is one of ours.
constexpr qint64 maximumPosterSize = 64 << 20;
constexpr qint64 maximumThumbnailSize = 16 << 20;
// The body of a refused download is read only to be dropped.
constexpr qint64 maximumErrorPageSize = 1 << 20;
// How much of a download the network stack may hold before we write it out.
constexpr qint64 downloadReadBuffer = 1 << 20;

std::optional<QUrl> remoteURL(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid() || url.isRelative())
        return std::nullopt;
    return url;
}

bool isServiceOrigin(const QUrl& url, const QUrl& service)
{
    const int schemePort = url.scheme() == "https"_L1 ? 443 : 80;
    return service.isValid() && !service.host().isEmpty() && url.scheme() == service.scheme()
        && url.host().compare(service.host(), Qt::CaseInsensitive) == 0
        && url.port(schemePort) == service.port(schemePort);
}

bool writeWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

} // namespace

double CloudService::progressFraction(qint64 written, qint64 expected)
{
    if (expected >= 1)
        return double(written) / double(expected);
    return std::min(1.0 - std::exp(-double(written) / 30'000'000.0), 0.95);
}

QFuture<Result<HTTPReply>> CloudService::get(
    const QUrl& url, qint64 maximumBodySize, QIODevice* sink, std::function<void(qint64, qint64)> onProgress)
{
    QPromise<Result<HTTPReply>> promise;
    QFuture<Result<HTTPReply>> future = promise.future();
    promise.start();
    QNetworkRequest request(url);
    if (isServiceOrigin(url, m_serviceURL)) {
        if (const std::optional<QString> token = SessionTokenStore::load()) {
            request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
            // Never along a redirect to another origin.
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
        }
    }
    QNetworkReply* reply = m_network->get(request);
    ServiceTransfer::Limits limits;
    limits.idleTimeout = m_idleTimeout;
    limits.maximumBodySize = maximumBodySize;
    auto* transfer = new ServiceTransfer(reply, nullptr, std::move(promise), limits, nullptr, m_network);
    if (sink) {
        reply->setReadBufferSize(downloadReadBuffer);
        transfer->streamBodyTo(sink, std::move(onProgress));
    }
    return future;
}

void CloudService::markDownloading(const QString& id)
{
    m_downloadingIDs.insert(id);
    emit downloadingIDsChanged();
    m_downloadProgress.insert(id, 0.0);
    emit downloadProgressChanged();
    if (m_failedIDs.remove(id))
        emit failedIDsChanged();
}

void CloudService::clearDownloadState(const QString& id)
{
    if (m_downloadingIDs.remove(id))
        emit downloadingIDsChanged();
    if (m_downloadProgress.remove(id))
        emit downloadProgressChanged();
}

void CloudService::setProgress(const QString& id, double fraction)
{
    m_downloadProgress.insert(id, fraction);
    emit downloadProgressChanged();
}

QFuture<Result<QUrl>> CloudService::downloadContent(const QString& id, const QString& contentPath,
    const std::optional<QString>& posterPath, ProgressCallback onProgress)
{
    if (const std::optional<QUrl> existing = localContentURL(id))
        return QtFuture::makeReadyFuture(Result<QUrl>(*existing));
    // The id names a folder that a later removal deletes whole: only a plain name will do.
    const std::optional<QString> folder = folderOf(id);
    const std::optional<QUrl> url = remoteURL(contentPath);
    if (!folder || !url)
        return QtFuture::makeReadyFuture(Result<QUrl>(CloudError::downloadFailed(id)));

    markDownloading(id);
    const QString suffix = QFileInfo(url->path()).suffix();
    QString error;
    std::shared_ptr<DownloadTarget> target = DownloadTarget::open(*folder, "content."_L1 + suffix, &error);
    if (!target) {
        clearDownloadState(id);
        return QtFuture::makeReadyFuture(Result<QUrl>(FileError { error }));
    }

    QPointer<CloudService> self(this);
    auto relay = [self, id, onProgress](qint64 written, qint64 expected) {
        if (!self)
            return;
        const double fraction = progressFraction(written, expected);
        self->setProgress(id, fraction);
        if (onProgress)
            onProgress(fraction);
    };
    // The target lives as long as the chain: dropped unfinished (the service
    // going away mid-transfer), it takes its partial file and folder with it.
    return get(*url, maximumErrorPageSize, target->device(), relay)
        .then(this,
            [this, id, target, folder = *folder, posterPath](const Result<HTTPReply>& reply) -> QFuture<Result<QUrl>> {
                Result<QUrl> stored = finishContent(id, *target, reply);
                if (!stored)
                    return QtFuture::makeReadyFuture(stored);
                return fetchPosterIfMissing(id, folder, posterPath).then(this, [this, id, folder, stored] {
                    recordDownload(id, stored.value(), WallpaperFolder::posterURL(folder));
                    Log::write("Lanto CloudService: Downloaded "_L1 + id + " -> "_L1
                        + QFileInfo(stored.value().toLocalFile()).fileName());
                    clearDownloadState(id);
                    return stored;
                });
            })
        .unwrap();
}

Result<QUrl> CloudService::finishContent(const QString& id, DownloadTarget& target, const Result<HTTPReply>& reply)
{
    const APIError* notHTTP = reply ? nullptr : reply.error().as<APIError>();
    if (!reply && !(notHTTP && notHTTP->kind() == APIError::Case::invalidResponse)) {
        target.discard();
        clearDownloadState(id);
        return reply.error();
    }
    // An answer that is not HTTP is a refusal as much as a status other than 200.
    if (!reply || reply.value().statusCode != 200) {
        target.discard();
        m_failedIDs.insert(id);
        emit failedIDsChanged();
        clearDownloadState(id);
        return CloudError::downloadFailed(id);
    }
    QString error;
    if (!target.commit(&error)) {
        clearDownloadState(id);
        return FileError { error };
    }
    return QUrl::fromLocalFile(target.filePath());
}

QFuture<void> CloudService::fetchPosterIfMissing(
    const QString& id, const QString& folder, const std::optional<QString>& posterPath)
{
    const std::optional<QUrl> url = posterPath ? remoteURL(*posterPath) : std::nullopt;
    const QString path = QDir(folder).filePath(WallpaperFolder::posterFileName);
    if (!url || QFileInfo::exists(path))
        return QtFuture::makeReadyFuture();
    return get(*url, maximumPosterSize).then(this, [id, path](const Result<HTTPReply>& reply) {
        const QString failed = "Lanto CloudService: Failed to download poster for "_L1 + id + u" — "_s;
        if (!reply)
            return Log::write(failed + reply.error().description());
        // An error page is no poster: it would stand in for one for good.
        if (reply.value().statusCode != 200)
            return Log::write(failed + APIError::httpError(reply.value().statusCode).description());
        QString error;
        if (!writeWhole(path, reply.value().body, &error))
            return Log::write(failed + error);
        Log::write("Lanto CloudService: Downloaded poster for "_L1 + id);
    });
}

QFuture<std::optional<QUrl>> CloudService::fetchThumbnail(const QString& id, const QString& thumbnailPath)
{
    using Answer = std::optional<QUrl>;
    if (const auto known = m_thumbnailURLCache.constFind(id); known != m_thumbnailURLCache.cend())
        return QtFuture::makeReadyFuture(Answer(*known));
    // The id names a file here, so it must be a plain name.
    if (!WallpaperFolder::folderPath(m_thumbnailsDir, id))
        return QtFuture::makeReadyFuture(Answer());
    const QString path = QDir(m_thumbnailsDir).filePath(id + ".jpg"_L1);
    if (QFileInfo::exists(path)) {
        m_thumbnailURLCache.insert(id, QUrl::fromLocalFile(path));
        return QtFuture::makeReadyFuture(Answer(QUrl::fromLocalFile(path)));
    }
    const std::optional<QUrl> url = remoteURL(thumbnailPath);
    if (!url) {
        Log::write("Lanto CloudService: Invalid thumbnail URL for "_L1 + id + ": "_L1 + thumbnailPath);
        return QtFuture::makeReadyFuture(Answer());
    }
    return get(*url, maximumThumbnailSize).then(this, [this, id, path](const Result<HTTPReply>& reply) -> Answer {
        const QString failed = "Lanto CloudService: Failed to download thumbnail for "_L1 + id + u" — "_s;
        if (!reply) {
            Log::write(failed + reply.error().description());
            return std::nullopt;
        }
        const QByteArray& bytes = reply.value().body;
        // Only JPEG data: its start-of-image marker, and something after it.
        if (reply.value().statusCode != 200 || bytes.size() < 3 || quint8(bytes[0]) != 0xFF || quint8(bytes[1]) != 0xD8)
            return std::nullopt;
        QString error;
        if (!writeWhole(path, bytes, &error)) {
            Log::write(failed + error);
            return std::nullopt;
        }
        const QUrl file = QUrl::fromLocalFile(path);
        m_thumbnailURLCache.insert(id, file);
        return file;
    });
}

QVariantMap CloudService::downloadProgressMap() const
{
    QVariantMap map;
    for (auto it = m_downloadProgress.cbegin(); it != m_downloadProgress.cend(); ++it)
        map.insert(it.key(), it.value());
    return map;
}

QStringList CloudService::downloadingIDList() const
{
    return QStringList(m_downloadingIDs.cbegin(), m_downloadingIDs.cend());
}

QStringList CloudService::failedIDList() const { return QStringList(m_failedIDs.cbegin(), m_failedIDs.cend()); }
