#pragma once

#include "Wallpaper.h"

#include <QString>
#include <QUrl>

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
    // The local content, else the remote preview clip, else the remote content.
    std::optional<QUrl> previewVideoURL(const Wallpaper& wallpaper) const;
    // For a catalogue item the service alone decides.
    bool isDownloaded(const Wallpaper& wallpaper) const;

private:
    std::optional<QUrl> folderPoster(const Wallpaper& wallpaper) const;
    std::optional<QUrl> folderContent(const Wallpaper& wallpaper) const;

    const CloudService& m_cloud;
    QString m_downloadsDirectory;
};
