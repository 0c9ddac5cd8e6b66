#pragma once

#include "ShownPictureLoader.h"

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// A picture clipped to a rounded rectangle (a circle when the radius is half the
// side), filled keeping its aspect ratio. An image handed in wins over the source
// address. The address, a local file or a web address, is loaded in the
// background once the item has a size, decoded at the pixels the item covers,
// and again when the item grows beyond them. Without a readable picture it
// paints the diagonal gradient of its fallback colours, or nothing when it has
// none, so the caller can lay a placeholder under it.
class RoundedPicture : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged)
    // A QImage; anything else (undefined, null) shows no picture of its own.
    Q_PROPERTY(QVariant image READ imageValue WRITE setImageValue NOTIFY imageChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(QVariantList fallbackColors READ fallbackColors WRITE setFallbackColors NOTIFY fallbackColorsChanged)
    Q_PROPERTY(bool hasPicture READ hasPicture NOTIFY hasPictureChanged)

public:
    explicit RoundedPicture(QQuickItem* parent = nullptr);

    QUrl source() const { return m_source; }
    void setSource(const QUrl& source);
    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    QVariant imageValue() const { return m_image; }
    void setImageValue(const QVariant& value) { setImage(value.value<QImage>()); }
    double radius() const { return m_radius; }
    void setRadius(double radius);
    QVariantList fallbackColors() const { return m_fallbackColors; }
    void setFallbackColors(const QVariantList& colors);
    bool hasPicture() const { return !shownPicture().isNull(); }
    // The picture loaded from the source, as decoded.
    QImage loadedPicture() const { return m_loaded; }

    // Whether a text is an address worth loading: absolute, with a scheme.
    static bool isLoadableAddress(const QString& text) { return ShownPictureLoader::isLoadableAddress(text); }

    void paint(QPainter* painter) override;

signals:
    void sourceChanged();
    void imageChanged();
    void radiusChanged();
    void fallbackColorsChanged();
    void hasPictureChanged();

protected:
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    const QImage& shownPicture() const { return m_image.isNull() ? m_loaded : m_image; }
    // Loads the source unless what was asked for already covers the item; a
    // picture that is already shown is loaded larger once the growing has settled.
    void loadIfNeeded(bool growthSettled = false);
    void load(QSize pixels);
    void setLoaded(const QImage& image);

    QUrl m_source;
    QImage m_image;
    QImage m_loaded;
    double m_radius = 0;
    QVariantList m_fallbackColors;
    ShownPictureLoader m_loader;
    // The pixels the latest load was decoded to cover; empty before the first.
    QSize m_requestedPixels;
    // The picture came out smaller than asked for, so it is whole: growing needs no new load.
    bool m_loadedWhole = false;
    QTimer m_growthSettled;
};
