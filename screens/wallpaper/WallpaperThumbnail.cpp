#include "WallpaperThumbnail.h"

#include "FutureDelivery.h"
#include "ThumbnailCache.h"
#include "ThumbnailSource.h"
#include "WallpaperManager.h"

#include <QQuickWindow>
#include <QSGImageNode>

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

void WallpaperThumbnail::componentComplete()
{
    QQuickItem::componentComplete();
    reload();
}

void WallpaperThumbnail::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    update(); // the crop follows the proportions
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
    if (!m_manager || !m_wallpaper.cloudID || !m_wallpaper.remoteThumbnailURL)
        return;
    const quint64 generation = m_generation;
    m_manager->thumbnailSource()
        .fetchThumbnail(*m_wallpaper.cloudID, *m_wallpaper.remoteThumbnailURL)
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
    m_imageChanged = true;
    update();
    if (had != hasImage())
        emit hasImageChanged();
}

QSGNode* WallpaperThumbnail::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    auto* node = static_cast<QSGImageNode*>(oldNode);
    if (m_image.isNull() || width() <= 0 || height() <= 0) {
        delete node;
        m_imageChanged = true; // a new node needs its texture
        return nullptr;
    }
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        m_imageChanged = true;
    }
    if (std::exchange(m_imageChanged, false))
        node->setTexture(window()->createTextureFromImage(m_image));
    // Aspect fill: the middle of the picture at the item's proportions.
    const QSizeF picture = m_image.size();
    const QSizeF shown = size().scaled(picture, Qt::KeepAspectRatio);
    node->setSourceRect(QRectF(QPointF((picture.width() - shown.width()) / 2, (picture.height() - shown.height()) / 2), shown));
    node->setRect(boundingRect());
    return node;
}
