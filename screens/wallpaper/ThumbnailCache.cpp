#include "ThumbnailCache.h"

#include "WallpaperFiles.h"

#include <QImageReader>
#include <QMutexLocker>
#include <QUrl>
#include <QtConcurrent>

ThumbnailCache::ThumbnailCache(qsizetype costLimitBytes) { m_images.setMaxCost(costLimitBytes); }

ThumbnailCache& ThumbnailCache::shared()
{
    static ThumbnailCache cache;
    return cache;
}

QString ThumbnailCache::cardKey(const Wallpaper& wallpaper) { return wallpaper.cloudID().value_or(wallpaper.hexID()); }

std::optional<QImage> ThumbnailCache::image(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    if (const QImage* image = m_images.object(key))
        return *image;
    return std::nullopt;
}

bool ThumbnailCache::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_images.contains(key);
}

void ThumbnailCache::insert(const QString& key, const QImage& image)
{
    if (image.isNull())
        return;
    QMutexLocker lock(&m_mutex);
    m_images.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes()));
}

qsizetype ThumbnailCache::totalCost() const
{
    QMutexLocker lock(&m_mutex);
    return m_images.totalCost();
}

qsizetype ThumbnailCache::costLimit() const
{
    QMutexLocker lock(&m_mutex);
    return m_images.maxCost();
}

QFuture<void> ThumbnailCache::prefetchThumbnails(const WallpaperFiles& files, const QList<Wallpaper>& wallpapers)
{
    QList<std::pair<QString, QString>> pending; // key, file
    for (const Wallpaper& wallpaper : wallpapers) {
        const QString key = cardKey(wallpaper);
        if (contains(key))
            continue;
        if (const std::optional<QUrl> file = files.localThumbnailURL(wallpaper))
            pending.append({ key, file->toLocalFile() });
    }
    if (pending.isEmpty())
        return QtFuture::makeReadyFuture();
    return QtConcurrent::run([this, pending] {
        for (const auto& [key, path] : pending)
            insert(key, loadDownsampledImage(path, cardPixelSize));
    });
}

QImage loadDownsampledImage(const QString& path, int maxPixelSize)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    // Sizes are those of the file as stored; a turned picture swaps them alike.
    if (qMax(size.width(), size.height()) > maxPixelSize)
        reader.setScaledSize(size.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio));
    return reader.read();
}

std::function<void(const QList<Wallpaper>&)> cardThumbnailPrefetch(
    const CloudService& cloud, const QString& downloadsDirectory)
{
    auto files = std::make_shared<WallpaperFiles>(cloud, downloadsDirectory);
    return [files](const QList<Wallpaper>& wallpapers) {
        ThumbnailCache::shared().prefetchThumbnails(*files, wallpapers);
    };
}
