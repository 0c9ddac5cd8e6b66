#pragma once

#include "Wallpaper.h"

#include <QCache>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QString>

#include <functional>
#include <optional>

class CloudService;
class WallpaperFiles;

// The downscaled card pictures of the whole process, keyed by the card key, so
// that scrolling back to a card shows its picture at once. Bounded by the bytes
// of its images: the least recently used go first. Safe from any thread.
class ThumbnailCache
{
public:
    // The longer side a card's picture is decoded at.
    static constexpr int cardPixelSize = 440;
    static constexpr qsizetype defaultCostLimit = 160 * 1024 * 1024;

    explicit ThumbnailCache(qsizetype costLimitBytes = defaultCostLimit);

    // The cache every card shares.
    static ThumbnailCache& shared();

    // The cloud id when there is one, else the hex id.
    static QString cardKey(const Wallpaper& wallpaper);

    std::optional<QImage> image(const QString& key) const;
    bool contains(const QString& key) const;
    // A null image is not stored.
    void insert(const QString& key, const QImage& image);
    qsizetype totalCost() const;
    qsizetype costLimit() const;

    // Loads the local pictures of the wallpapers not cached yet, in one task off
    // the main thread, in list order; nothing is downloaded. Returns at once.
    QFuture<void> prefetchThumbnails(const WallpaperFiles& files, const QList<Wallpaper>& wallpapers);

private:
    mutable QMutex m_mutex;
    QCache<QString, QImage> m_images;
};

// The picture of a file decoded so that its longer side is at most maxPixelSize
// (never enlarged), turned as its orientation tag says. Null when the file cannot
// be read. Any thread.
QImage loadDownsampledImage(const QString& path, int maxPixelSize);

// The library's start-up hook that fills the shared cache: a wallpaper manager's
// Services::prefetchCardThumbnails, over the files of that download service and
// downloads folder. cloud must outlive the hook.
std::function<void(const QList<Wallpaper>&)> cardThumbnailPrefetch(
    const CloudService& cloud, const QString& downloadsDirectory);
