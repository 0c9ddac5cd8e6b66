#include "SoftShadow.h"

#include "ImageBlur.h"
#include "PictureNode.h"

#include <QCache>
#include <QPainter>

#include <cmath>

namespace {

// Cards of a grid share one size and look: one picture serves them all.
QImage sharedPicture(QSize size, qreal radius, qreal blur, const QColor& color)
{
    static QCache<QString, QImage> pictures(16);
    const QString key = QStringLiteral("%1x%2 %3 %4 %5")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(radius)
                            .arg(blur)
                            .arg(color.rgba(), 0, 16);
    if (const QImage* picture = pictures.object(key))
        return *picture;
    QImage picture = SoftShadow::render(size, radius, blur, color);
    pictures.insert(key, new QImage(picture));
    return picture;
}

} // namespace

SoftShadow::SoftShadow(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
}

QImage SoftShadow::render(QSize size, qreal radius, qreal blur, const QColor& color)
{
    return ImageBlur::blurred(size, blur, [&](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(QPointF(), size), radius, radius);
    });
}

void SoftShadow::setColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit colorChanged();
    polish();
}

void SoftShadow::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    emit radiusChanged();
    polish();
}

void SoftShadow::setBlur(qreal blur)
{
    if (qFuzzyCompare(m_blur, blur))
        return;
    m_blur = blur;
    emit blurChanged();
    polish();
}

void SoftShadow::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        polish();
}

void SoftShadow::updatePolish()
{
    const QSize size(int(std::lround(width())), int(std::lround(height())));
    m_picture = size.isEmpty() || m_color.alpha() == 0 ? QImage() : sharedPicture(size, m_radius, m_blur, m_color);
    m_pictureChanged = true;
    update();
}

QSGNode* SoftShadow::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    // The picture was made for the rounded size; a fraction of a pixel more or less stretches it.
    const qreal margin = ImageBlur::marginFor(m_blur);
    return PictureNode::update(
        *this, old, m_picture, m_pictureChanged, boundingRect().adjusted(-margin, -margin, margin, margin));
}
