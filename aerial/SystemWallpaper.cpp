#include "SystemWallpaper.h"

#include "UserHome.h"

#include <QDir>

namespace SystemWallpaper {

Paths Paths::forHome(const QString& home)
{
    const QDir base(QDir(home).filePath(QStringLiteral("Library/Application Support/com.apple.wallpaper")));
    const QDir aerials(base.filePath(QStringLiteral("aerials")));
    return Paths {
        base.path(),
        aerials.filePath(QStringLiteral("manifest/entries.json")),
        aerials.filePath(QStringLiteral("videos")),
        aerials.filePath(QStringLiteral("thumbnails")),
        base.filePath(QStringLiteral("Store/Index.plist")),
    };
}

Paths Paths::current() { return forHome(UserHome::path()); }

QString Paths::videoFile(const QString& assetID, const QString& extension) const
{
    return QDir(videosDirectory).filePath(assetID + QLatin1Char('.') + extension);
}

QString Paths::thumbnailFile(const QString& assetID, const QString& extension) const
{
    return QDir(thumbnailsDirectory).filePath(assetID + QLatin1Char('.') + extension);
}

} // namespace SystemWallpaper
