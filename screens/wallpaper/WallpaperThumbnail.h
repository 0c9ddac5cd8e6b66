#pragma once

#include "Wallpaper.h"
#include "WallpaperManager.h"

#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>


// A wallpaper's still picture, filling the item and cropped to it. It comes
// from the shared card cache when it is there (so it shows on the first frame),
// else from the local thumbnail or poster, else from the service's thumbnail,
// each decoded downscaled off the main thread; until then, or when there is
// none, the item is empty and what lies beneath shows. With a radius the
// corners are rounded: the picture is then drawn once, rounded, at the pixels
// the item covers, so any renderer shows it as a plain image. Takes no input.
class WallpaperThumbnail : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(Wallpaper wallpaper READ wallpaper WRITE setWallpaper NOTIFY wallpaperChanged)
    // The longer side the picture is decoded at; at the card's size the shared cache is used.
    Q_PROPERTY(int maximumPixelSize READ maximumPixelSize WRITE setMaximumPixelSize NOTIFY maximumPixelSizeChanged)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)

public:
    explicit WallpaperThumbnail(QQuickItem* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    Wallpaper wallpaper() const { return m_wallpaper; }
    void setWallpaper(const Wallpaper& wallpaper);
    int maximumPixelSize() const { return m_maximumPixelSize; }
    void setMaximumPixelSize(int pixels);
    bool hasImage() const { return !m_image.isNull(); }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QImage image() const { return m_image; }

    bool contains(const QPointF&) const override { return false; }

signals:
    void managerChanged();
    void wallpaperChanged();
    void maximumPixelSizeChanged();
    void hasImageChanged();
    void radiusChanged();

protected:
    void componentComplete() override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*) override;
    void updatePolish() override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    bool usesCardCache() const;
    // Starts over for the current wallpaper; results of an earlier start are dropped.
    void reload();
    void loadFile(const QUrl& file, std::function<void()> otherwise);
    void fetchRemote();
    void setImage(const QImage& image);
    // The picture as shown changed: rounded pictures are made again before the next frame.
    void shownChanged();

    QPointer<WallpaperManager> m_manager;
    Wallpaper m_wallpaper;
    int m_maximumPixelSize;
    QImage m_image;
    qreal m_radius = 0;
    // The rounded picture at the item's pixels; null without a radius.
    QImage m_rounded;
    bool m_imageChanged = false;
    quint64 m_generation = 0;
};
