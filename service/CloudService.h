#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

// The owner of what catalogue wallpapers leave on disk: one folder per
// wallpaper in "Downloads", named by its id, with its content file and
// "Poster.png", and the cached thumbnails in "Cache/thumbnails", one "<id>.jpg"
// each. The user's own imports share the downloads folder under their hex id.
//
// Until buildCache() has scanned the folders, every look-up checks the disk;
// afterwards they answer from memory only. Main thread only.
class CloudService : public QObject
{
    Q_OBJECT

public:
    // The instance over the application-support folder, made on first use.
    static CloudService& shared();

    // A service over cacheBase; creates its two folders (a failure is ignored).
    explicit CloudService(const QString& cacheBase, QObject* parent = nullptr);

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

private:
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
};
