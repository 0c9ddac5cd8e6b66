#include "WallpaperFiles.h"

#include "CloudService.h"
#include "PreviewAddress.h"
#include "WallpaperFolder.h"

namespace {

std::optional<QUrl> remoteURL(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

WallpaperFiles::WallpaperFiles(const CloudService& cloud, QString downloadsDirectory)
    : m_cloud(cloud), m_downloadsDirectory(std::move(downloadsDirectory))
{
}

std::optional<QUrl> WallpaperFiles::folderPoster(const Wallpaper& wallpaper) const
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_downloadsDirectory, wallpaper.hexID());
    return folder ? WallpaperFolder::posterURL(*folder) : std::nullopt;
}

std::optional<QUrl> WallpaperFiles::folderContent(const Wallpaper& wallpaper) const
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_downloadsDirectory, wallpaper.hexID());
    return folder ? WallpaperFolder::contentFileURL(*folder) : std::nullopt;
}

std::optional<QUrl> WallpaperFiles::localPosterURL(const Wallpaper& wallpaper) const
{
    if (wallpaper.cloudID()) {
        if (auto poster = m_cloud.localPosterURL(*wallpaper.cloudID()))
            return poster;
    }
    return folderPoster(wallpaper);
}

std::optional<QUrl> WallpaperFiles::localThumbnailURL(const Wallpaper& wallpaper) const
{
    if (wallpaper.cloudID()) {
        if (auto thumbnail = m_cloud.localThumbnailURL(*wallpaper.cloudID()))
            return thumbnail;
        if (auto poster = m_cloud.localPosterURL(*wallpaper.cloudID()))
            return poster;
    }
    return folderPoster(wallpaper);
}

std::optional<QUrl> WallpaperFiles::localContentURL(const Wallpaper& wallpaper) const
{
    if (wallpaper.cloudID()) {
        if (auto content = m_cloud.localContentURL(*wallpaper.cloudID()))
            return content;
    }
    return folderContent(wallpaper);
}

std::optional<QUrl> WallpaperFiles::previewVideoURL(const Wallpaper& wallpaper) const
{
    return firstPlayable(
        { localContentURL(wallpaper), remoteURL(wallpaper.remotePreviewClipURL()), remoteURL(wallpaper.remoteContentURL()) });
}

std::optional<QUrl> WallpaperFiles::contentPreviewURL(const Wallpaper& wallpaper) const
{
    return firstPlayable({ localContentURL(wallpaper), remoteURL(wallpaper.remoteContentURL()) });
}

std::optional<QUrl> WallpaperFiles::firstPlayable(std::initializer_list<std::optional<QUrl>> candidates) const
{
    for (const std::optional<QUrl>& candidate : candidates) {
        if (candidate && isPlayablePreview(*candidate))
            return candidate;
    }
    return std::nullopt;
}

bool WallpaperFiles::isPlayablePreview(const QUrl& url) const
{
    return isAcceptedPreviewAddress(url, { m_downloadsDirectory, m_cloud.contentDirectory() });
}

bool WallpaperFiles::isDownloaded(const Wallpaper& wallpaper) const
{
    if (wallpaper.cloudID())
        return m_cloud.isDownloaded(*wallpaper.cloudID());
    return localContentURL(wallpaper).has_value();
}
