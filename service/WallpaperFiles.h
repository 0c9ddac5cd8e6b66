#pragma once

#include "Wallpaper.h"

#include <QString>
#include <QUrl>

#include <initializer_list>
#include <optional>

class CloudService;

// Where a wallpaper's files lie on this machine. A catalogue item asks the
// download service first; an item without a cloud id, or one the service does
// not know, is looked up in its own folder below the downloads folder, by the
// same rules the desktop display uses (WallpaperFolder). None of them fails:
// an absent file gives no URL.
class WallpaperFiles
{
public:
    WallpaperFiles(const CloudService& cloud, QString downloadsDirectory);

    std::optional<QUrl> localPosterURL(const Wallpaper& wallpaper) const;
    std::optional<QUrl> localThumbnailURL(const Wallpaper& wallpaper) const;
    std::optional<QUrl> localContentURL(const Wallpaper& wallpaper) const;
    // The local content, else the remote preview clip, else the remote content;
    // each only when isPlayablePreview accepts it.
    std::optional<QUrl> previewVideoURL(const Wallpaper& wallpaper) const;
    // The same without the clip: what a large banner streams.
    std::optional<QUrl> contentPreviewURL(const Wallpaper& wallpaper) const;
    // An http(s) address, or a file inside the downloads folder: nothing else reaches the player.
    bool isPlayablePreview(const QUrl& url) const;
    // For a catalogue item the service alone decides.
    bool isDownloaded(const Wallpaper& wallpaper) const;

private:
    std::optional<QUrl> folderPoster(const Wallpaper& wallpaper) const;
    std::optional<QUrl> folderContent(const Wallpaper& wallpaper) const;
    std::optional<QUrl> firstPlayable(std::initializer_list<std::optional<QUrl>> candidates) const;

    const CloudService& m_cloud;
    QString m_downloadsDirectory;
};
