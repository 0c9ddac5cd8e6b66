#include "CloudService.h"

#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>

namespace {

const QString thumbnailExtension = QStringLiteral(".jpg");

std::optional<QUrl> lookUp(const QHash<QString, QUrl>& cache, const QString& id)
{
    const auto found = cache.constFind(id);
    if (found == cache.cend())
        return std::nullopt;
    return *found;
}

std::optional<QUrl> existingFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

// Whether a resolved path lies strictly below a resolved folder.
bool isInside(const QString& path, const QString& folder)
{
    return !path.isEmpty() && !folder.isEmpty() && path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

CloudService& CloudService::shared()
{
    static CloudService* service = [] {
        auto* made = new CloudService(LantoSettings::appSupportDirectory());
        made->setServiceURL(LantoAPIClient::shared().baseURL());
        return made;
    }();
    return *service;
}

CloudService::CloudService(const QString& cacheBase, QObject* parent, std::chrono::milliseconds idleTimeout)
    : QObject(parent),
      m_thumbnailsDir(QDir(cacheBase).filePath(QStringLiteral("Cache/thumbnails"))),
      m_contentDir(QDir(cacheBase).filePath(QStringLiteral("Downloads"))),
      m_network(new QNetworkAccessManager(this)),
      m_idleTimeout(idleTimeout)
{
    QDir().mkpath(m_thumbnailsDir);
    QDir().mkpath(m_contentDir);
}

CloudService::~CloudService() = default;

void CloudService::buildCache()
{
    scanThumbnails();
    scanContent();
    m_cacheBuilt = true;
}

void CloudService::scanThumbnails()
{
    const std::optional<QStringList> names = WallpaperFolder::fileNames(m_thumbnailsDir);
    if (!names)
        return;
    const QDir dir(m_thumbnailsDir);
    for (const QString& name : *names)
        m_thumbnailURLCache.insert(QFileInfo(name).completeBaseName(), QUrl::fromLocalFile(dir.filePath(name)));
}

void CloudService::scanContent()
{
    const QDir dir(m_contentDir);
    if (!dir.exists())
        return;
    const QStringList ids = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& id : ids) {
        const QString folder = dir.filePath(id);
        if (const auto poster = WallpaperFolder::posterURL(folder))
            m_posterURLCache.insert(id, *poster);
        if (const auto content = WallpaperFolder::contentFileURL(folder)) {
            m_contentURLCache.insert(id, *content);
            m_downloadedCache.insert(id);
        }
    }
}

std::optional<QString> CloudService::folderOf(const QString& id) const
{
    return WallpaperFolder::folderPath(m_contentDir, id);
}

std::optional<QUrl> CloudService::localThumbnailURL(const QString& id) const
{
    if (m_cacheBuilt)
        return lookUp(m_thumbnailURLCache, id);
    // The id names a file here, so it must be a plain name as well.
    if (!WallpaperFolder::folderPath(m_thumbnailsDir, id))
        return std::nullopt;
    return existingFile(QDir(m_thumbnailsDir).filePath(id + thumbnailExtension));
}

std::optional<QUrl> CloudService::localPosterURL(const QString& id) const
{
    if (m_cacheBuilt)
        return lookUp(m_posterURLCache, id);
    const std::optional<QString> folder = folderOf(id);
    return folder ? WallpaperFolder::posterURL(*folder) : std::nullopt;
}

std::optional<QUrl> CloudService::localContentURL(const QString& id) const
{
    if (m_cacheBuilt)
        return lookUp(m_contentURLCache, id);
    const std::optional<QString> folder = folderOf(id);
    return folder ? WallpaperFolder::contentFileURL(*folder) : std::nullopt;
}

bool CloudService::isDownloaded(const QString& id) const
{
    if (m_cacheBuilt)
        return m_downloadedCache.contains(id);
    return localContentURL(id).has_value();
}

void CloudService::recordDownload(const QString& id, const QUrl& contentURL, const std::optional<QUrl>& posterURL)
{
    m_contentURLCache.insert(id, contentURL);
    m_downloadedCache.insert(id);
    if (posterURL)
        m_posterURLCache.insert(id, *posterURL);
}

void CloudService::forgetCachedURLs(const QString& id)
{
    m_contentURLCache.remove(id);
    m_posterURLCache.remove(id);
    m_thumbnailURLCache.remove(id);
    m_downloadedCache.remove(id);
}

void CloudService::deleteContent(const QString& id)
{
    if (const std::optional<QString> folder = folderOf(id)) {
        // A link is removed itself: what it points at lies outside our folder.
        if (QFileInfo(*folder).isSymLink())
            QFile::remove(*folder);
        else if (isInside(QFileInfo(*folder).canonicalFilePath(), QFileInfo(m_contentDir).canonicalFilePath()))
            QDir(*folder).removeRecursively();
    }
    forgetCachedURLs(id);
}
