#include "RoundedPicture.h"

#include "PictureDecoding.h"
#include "RoundedFill.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QQuickWindow>

RoundedPicture::RoundedPicture(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(&m_loader, &ShownPictureLoader::loaded, this, &RoundedPicture::setLoaded);
    // A tile that grows in an animation is decoded once, at the size it ends at.
    m_growthSettled.setSingleShot(true);
    m_growthSettled.setInterval(200);
    connect(&m_growthSettled, &QTimer::timeout, this, [this] { loadIfNeeded(true); });
}

void RoundedPicture::setSource(const QUrl& source)
{
    if (m_source == source)
        return;
    m_source = source;
    emit sourceChanged();
    m_loader.cancel();
    m_growthSettled.stop();
    m_requestedPixels = QSize();
    setLoaded(QImage());
    loadIfNeeded();
}

void RoundedPicture::setImage(const QImage& image)
{
    if (m_image == image)
        return;
    const bool had = hasPicture();
    m_image = image;
    emit imageChanged();
    if (had != hasPicture())
        emit hasPictureChanged();
    update();
}

void RoundedPicture::setRadius(double radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    emit radiusChanged();
    update();
}

void RoundedPicture::setFallbackColors(const QVariantList& colors)
{
    if (m_fallbackColors == colors)
        return;
    m_fallbackColors = colors;
    emit fallbackColorsChanged();
    update();
}

void RoundedPicture::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    loadIfNeeded();
}

void RoundedPicture::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemSceneChange || change == ItemDevicePixelRatioHasChanged)
        loadIfNeeded();
}

void RoundedPicture::loadIfNeeded(bool growthSettled)
{
    if (m_source.isEmpty())
        return;
    const double ratio = window() ? window()->effectiveDevicePixelRatio() : qApp->devicePixelRatio();
    const QSize needed = PictureDecoding::pixelsShown(size(), ratio);
    if (needed.isEmpty())
        return; // laid out later
    if (m_requestedPixels.isEmpty())
        return load(needed);
    const bool covered = needed.width() <= m_requestedPixels.width() && needed.height() <= m_requestedPixels.height();
    if (covered || m_loadedWhole)
        return;
    if (growthSettled)
        load(needed);
    else
        m_growthSettled.start(); // restarted by each step of the growth
}

void RoundedPicture::load(QSize pixels)
{
    m_requestedPixels = pixels;
    m_loadedWhole = false;
    QQmlEngine* engine = qmlEngine(this);
    m_loader.load(m_source, pixels, engine ? engine->networkAccessManager() : nullptr);
}

void RoundedPicture::setLoaded(const QImage& image)
{
    const bool had = hasPicture();
    m_loaded = image;
    m_loadedWhole = !image.isNull()
        && (image.width() < m_requestedPixels.width() || image.height() < m_requestedPixels.height());
    if (had != hasPicture())
        emit hasPictureChanged();
    update();
}

void RoundedPicture::paint(QPainter* painter)
{
    const QRectF bounds = boundingRect();
    if (bounds.isEmpty())
        return;
    QPainterPath shape;
    shape.addRoundedRect(bounds, m_radius, m_radius);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    if (const QImage& picture = shownPicture(); !picture.isNull())
        return RoundedFill::paint(*painter, bounds, picture, m_radius);
    if (m_fallbackColors.isEmpty())
        return;
    QLinearGradient gradient(bounds.topLeft(), bounds.bottomRight());
    const qsizetype count = m_fallbackColors.size();
    for (qsizetype i = 0; i < count; ++i)
        gradient.setColorAt(count == 1 ? 0.0 : double(i) / double(count - 1), m_fallbackColors.at(i).value<QColor>());
    painter->fillPath(shape, gradient);
}
