#pragma once

#include <QLatin1String>
#include <QString>

// What both programs know of the operating system's wallpaper machinery: where
// its files lie under the user's real home, the processes that are restarted to
// make it read them again, and the names this system writes into them.
namespace SystemWallpaper {

// The wallpaper processes, restarted by ending them.
inline constexpr QLatin1String wallpaperAgent("WallpaperAgent");
inline constexpr QLatin1String aerialsExtension("WallpaperAerialsExtension");

// The choice providers of the wallpaper store.
inline constexpr QLatin1String aerialProvider("com.apple.wallpaper.choice.aerials");
inline constexpr QLatin1String imageProvider("com.apple.wallpaper.choice.image");

// This system's own category and subcategory in the aerials manifest.
inline constexpr QLatin1String lantoCategoryID("DA000000-0000-4000-8000-000000000001");
inline constexpr QLatin1String lantoSubcategoryID("DA000000-0000-4000-8000-000000000002");

// The machinery's files, computed from the home folder.
struct Paths
{
    QString base; // "Library/Application Support/com.apple.wallpaper"
    QString manifest; // aerials/manifest/entries.json
    QString videosDirectory; // aerials/videos
    QString thumbnailsDirectory; // aerials/thumbnails
    QString indexPlist; // Store/Index.plist

    static Paths forHome(const QString& home);
    // Below UserHome::path(), the user's real home.
    static Paths current();

    QString videoFile(const QString& assetID, const QString& extension = QStringLiteral("mov")) const;
    QString thumbnailFile(const QString& assetID, const QString& extension = QStringLiteral("png")) const;
};

} // namespace SystemWallpaper
