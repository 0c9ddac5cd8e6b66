#pragma once

#include "Creator.h"
#include "LocaleName.h"
#include "WallpaperCategory.h"
#include "WallpaperType.h"

#include <QColor>
#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QMap>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

struct APIWallpaper;

// One wallpaper, from the catalogue or the local library, passed by value.
// Identity is the id alone: two records with the same id are equal whatever
// else they hold.
struct Wallpaper
{
    QUuid id; // uuidFromHexID(hexID) for items with a hex id
    QString hexID; // also the name of the item's folder under the downloads folder
    QString title;
    Creator creator;
    WallpaperCategory category = WallpaperCategory::digitalArt;
    QStringList tags; // ids of the service's tag catalogue
    QList<QColor> previewColors; // dominant colours, in the service's order
    QSizeF resolution; // pixels
    qint64 fileSize = 0; // bytes
    bool isFeatured = false;
    bool isNew = false;
    qint64 downloadCount = 0;
    qint64 favoriteCount = 0;
    QDateTime dateAdded;
    WallpaperType wallpaperType = WallpaperType::image;
    std::optional<QString> cloudID; // absent for items that exist only on this machine
    std::optional<QString> remoteThumbnailURL;
    std::optional<QString> remotePosterURL;
    std::optional<QString> remoteContentURL;
    std::optional<QString> remotePreviewClipURL;
    // Keyed by a language code alone, or joined by "-" with a region or script code.
    std::optional<QMap<QString, QString>> localizedTitles;
    // The user's own upload: "uploading", "pending", "approved" or "rejected".
    std::optional<QString> submissionStatus;
    std::optional<QString> serverWallpaperId; // the service's id of the user's own upload

    // A catalogue item as the service describes it; never fails.
    static Wallpaper fromAPIWallpaper(const APIWallpaper& record);

    // Width and height as whole numbers, e.g. "3840x2160".
    QString resolutionText() const;
    // A pixel size truncated toward zero; sizes that are not finite or do not
    // fit read as 0 rather than overflowing.
    static qint64 wholePixels(double value);

    // The title in the locale's language: by language with region, language
    // with script, language alone, then English; the plain title otherwise.
    // Only the parts the locale names are tried.
    QString localizedTitle(const LocaleName& locale) const;

    friend bool operator==(const Wallpaper& a, const Wallpaper& b) noexcept { return a.id == b.id; }
};

inline size_t qHash(const Wallpaper& wallpaper, size_t seed = 0) noexcept
{
    return qHash(wallpaper.id, seed);
}
