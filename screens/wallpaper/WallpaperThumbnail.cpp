#include "WallpaperThumbnail.h"

#include "FutureDelivery.h"
#include "PictureNode.h"
#include "RoundedFill.h"
#include "ThumbnailCache.h"
#include "ThumbnailSource.h"
#include "WallpaperManager.h"

#include <QQuickWindow>

WallpaperThumbnail::WallpaperThumbnail(QQuickItem* parent)
    : QQuickItem(parent), m_maximumPixelSize(ThumbnailCache::cardPixelSize)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
}

void WallpaperThumbnail::setManager(WallpaperManager* manager)
{
    if (m_manager == manager)
        return;
    m_manager = manager;
    emit managerChanged();
    reload();
}

void WallpaperThumbnail::setWallpaper(const Wallpaper& wallpaper)
{
    // A record renamed in place keeps its picture.
    const bool sameWallpaper = m_wallpaper.id == wallpaper.id;
    m_wallpaper = wallpaper;
    if (sameWallpaper)
        return;
    emit wallpaperChanged();
    reload();
}

void WallpaperThumbnail::setMaximumPixelSize(int pixels)
{
    if (m_maximumPixelSize == pixels)
        return;
    m_maximumPixelSize = pixels;
    emit maximumPixelSizeChanged();
    reload();
}

void WallpaperThumbnail::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    emit radiusChanged();
    shownChanged();
}

void WallpaperThumbnail::componentComplete()
{
    QQuickItem::componentComplete();
    reload();
}

void WallpaperThumbnail::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        shownChanged(); // the crop follows the proportions
}

void WallpaperThumbnail::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || (change == ItemSceneChange && value.window))
        shownChanged();
}

void WallpaperThumbnail::shownChanged()
{
    if (m_radius > 0)
        polish(); // several changes in one turn of the event loop round once
    else
        m_rounded = QImage();
    m_imageChanged = true;
    update();
}

void WallpaperThumbnail::updatePolish()
{
    const double ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (size() * ratio).toSize();
    m_rounded = m_radius > 0 && !m_image.isNull() && !pixels.isEmpty()
        ? RoundedFill::render(m_image, pixels, m_radius * ratio)
        : QImage();
    m_imageChanged = true;
    update();
}

bool WallpaperThumbnail::usesCardCache() const { return m_maximumPixelSize == ThumbnailCache::cardPixelSize; }

void WallpaperThumbnail::reload()
{
    if (!isComponentComplete())
        return;
    ++m_generation;
    setImage({});
    if (!m_manager || !m_wallpaper.isValid())
        return;
    if (usesCardCache()) {
        if (std::optional<QImage> cached = ThumbnailCache::shared().image(ThumbnailCache::cardKey(m_wallpaper))) {
            setImage(*cached);
            return;
        }
    }
    if (const std::optional<QUrl> local = m_manager->files().localThumbnailURL(m_wallpaper))
        loadFile(*local, [this] { fetchRemote(); });
    else
        fetchRemote();
}

void WallpaperThumbnail::loadFile(const QUrl& file, std::function<void()> otherwise)
{
    const quint64 generation = m_generation;
    const int pixels = m_maximumPixelSize;
    runDeliveredTo(this, [path = file.toLocalFile(), pixels] { return loadDownsampledImage(path, pixels); })
        .then(this, [this, generation, otherwise = std::move(otherwise)](const QImage& image) {
            if (generation != m_generation)
                return;
            if (image.isNull()) {
                if (otherwise)
                    otherwise();
                return;
            }
            if (usesCardCache())
                ThumbnailCache::shared().insert(ThumbnailCache::cardKey(m_wallpaper), image);
            setImage(image);
        });
}

void WallpaperThumbnail::fetchRemote()
{
    if (!m_manager || !m_wallpaper.cloudID() || !m_wallpaper.remoteThumbnailURL())
        return;
    const quint64 generation = m_generation;
    m_manager->thumbnailSource()
        .fetchThumbnail(*m_wallpaper.cloudID(), *m_wallpaper.remoteThumbnailURL())
        .then(this, [this, generation](const std::optional<QUrl>& file) {
            if (generation == m_generation && file)
                loadFile(*file, {});
        });
}

void WallpaperThumbnail::setImage(const QImage& image)
{
    if (image.isNull() && m_image.isNull())
        return;
    const bool had = hasImage();
    m_image = image;
    shownChanged();
    if (had != hasImage())
        emit hasImageChanged();
}

QSGNode* WallpaperThumbnail::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    // A rounded picture is drawn at the item's pixels, so it is shown whole.
    const bool rounded = m_radius > 0;
    const QImage& shown = rounded ? m_rounded : m_image;
    // Aspect fill: the middle of the picture at the item's proportions.
    const QSizeF picture = shown.size();
    const QSizeF cropped = rounded ? picture : size().scaled(picture, Qt::KeepAspectRatio);
    const QRectF source(
        QPointF((picture.width() - cropped.width()) / 2, (picture.height() - cropped.height()) / 2), cropped);
    return PictureNode::update(*this, oldNode, shown, m_imageChanged, boundingRect(), source);
}
