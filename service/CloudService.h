#pragma once

#include "Result.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QIODevice;
class QNetworkAccessManager;
class DownloadTarget;
struct HTTPReply;

// The owner of what catalogue wallpapers leave on disk: one folder per
// wallpaper in "Downloads", named by its id, with its content file and
// "Poster.png", and the cached thumbnails in "Cache/thumbnails", one "<id>.jpg"
// each. The user's own imports share the downloads folder under their hex id.
//
// Until buildCache() has scanned the folders, every look-up checks the disk;
// afterwards they answer from memory only. Main thread only.
//
// Downloads run on the main thread's event loop: the content streams to a
// temporary file beside its target, and every state change and progress
// report happens on the main thread.
class CloudService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantMap downloadProgress READ downloadProgressMap NOTIFY downloadProgressChanged)
    Q_PROPERTY(QStringList downloadingIDs READ downloadingIDList NOTIFY downloadingIDsChanged)
    Q_PROPERTY(QStringList failedIDs READ failedIDList NOTIFY failedIDsChanged)

public:
    using ProgressCallback = std::function<void(double)>;

    // The instance over the application-support folder, made on first use.
    static CloudService& shared();

    // A service over cacheBase; creates its two folders (a failure is ignored).
    explicit CloudService(const QString& cacheBase, QObject* parent = nullptr,
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(60));
    ~CloudService() override;

    // The service's address: files fetched from its origin (scheme, host and
    // port) carry the session token, as the service serves the files of drafts
    // only to their owner. Other hosts never see it.
    void setServiceURL(const QUrl& serviceURL) { m_serviceURL = serviceURL; }

    QString thumbnailsDirectory() const { return m_thumbnailsDir; }
    QString contentDirectory() const { return m_contentDir; }

    // The one start-up scan of both folders. It adds to what is known already.
    void buildCache();
    bool isCacheBuilt() const { return m_cacheBuilt; }

    // "<id>.jpg" in the thumbnails folder.
    std::optional<QUrl> localThumbnailURL(const QString& id) const;
    // "Poster.png" in the wallpaper's folder.
    std::optional<QUrl> localPosterURL(const QString& id) const;
    // The wallpaper's content file, by the folder rule of WallpaperFolder.
    std::optional<QUrl> localContentURL(const QString& id) const;
    // Whether the wallpaper's content is on disk.
    bool isDownloaded(const QString& id) const;

    // Remembers a finished download, whether or not the scan has run.
    void recordDownload(const QString& id, const QUrl& contentURL, const std::optional<QUrl>& posterURL);
    // Forgets every file known for the id; the files stay on disk.
    void forgetCachedURLs(const QString& id);
    // Removes the wallpaper's folder with everything in it and forgets its
    // files. The thumbnail file stays. Never fails.
    void deleteContent(const QString& id);

    // The content file on disk, downloaded first when it is not there, with
    // "Poster.png" fetched beside it when missing. Ids that are not a plain
    // folder name are refused. Progress is reported on the main thread.
    QFuture<Result<QUrl>> downloadContent(const QString& id, const QString& contentPath,
        const std::optional<QString>& posterPath, ProgressCallback onProgress = {});
    // The thumbnail file, fetched and stored first when it is not known; only
    // JPEG data is kept. Never fails: nothing when there is no thumbnail.
    QFuture<std::optional<QUrl>> fetchThumbnail(const QString& id, const QString& thumbnailPath);

    // The fraction a download reports: written / expected, or, when the size
    // is unknown (expected below 1), a curve that creeps towards 0.95.
    static double progressFraction(qint64 written, qint64 expected);

    QHash<QString, double> downloadProgress() const { return m_downloadProgress; }
    QSet<QString> downloadingIDs() const { return m_downloadingIDs; }
    QSet<QString> failedIDs() const { return m_failedIDs; }

signals:
    void downloadProgressChanged();
    void downloadingIDsChanged();
    void failedIDsChanged();

private:
    QVariantMap downloadProgressMap() const;
    QStringList downloadingIDList() const;
    QStringList failedIDList() const;

    // A plain GET; a sink takes a 200 body as it arrives instead of memory.
    QFuture<Result<HTTPReply>> get(const QUrl& url, qint64 maximumBodySize, QIODevice* sink = nullptr,
        std::function<void(qint64, qint64)> onProgress = {});
    void markDownloading(const QString& id);
    void clearDownloadState(const QString& id);
    void setProgress(const QString& id, double fraction);
    Result<QUrl> finishContent(const QString& id, DownloadTarget& target, const Result<HTTPReply>& reply);
    QFuture<void> fetchPosterIfMissing(
        const QString& id, const QString& folder, const std::optional<QString>& posterPath);

    std::optional<QString> folderOf(const QString& id) const;
    void scanThumbnails();
    void scanContent();

    QString m_thumbnailsDir;
    QString m_contentDir;
    QHash<QString, QUrl> m_thumbnailURLCache;
    QHash<QString, QUrl> m_posterURLCache;
    QHash<QString, QUrl> m_contentURLCache;
    QSet<QString> m_downloadedCache;
    bool m_cacheBuilt = false;

    QUrl m_serviceURL;
    QNetworkAccessManager* m_network;
    std::chrono::milliseconds m_idleTimeout;
    QHash<QString, double> m_downloadProgress;
    QSet<QString> m_downloadingIDs;
    QSet<QString> m_failedIDs;
};
