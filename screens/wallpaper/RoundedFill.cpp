#include "RoundedFill.h"

#include <QPainter>
#include <QPainterPath>

void RoundedFill::paint(QPainter& painter, const QRectF& bounds, const QImage& picture, qreal radius)
{
    if (bounds.isEmpty() || picture.isNull())
        return;
    const QSizeF covered = QSizeF(picture.size()).scaled(bounds.size(), Qt::KeepAspectRatioByExpanding);
    const QRectF target(bounds.center() - QPointF(covered.width() / 2, covered.height() / 2), covered);
    // Filling the shape with the picture as its brush smooths the edges, which a clip path would not.
    QTransform place;
    place.translate(target.x(), target.y());
    place.scale(target.width() / picture.width(), target.height() / picture.height());
    QBrush brush(picture);
    brush.setTransform(place);
    QPainterPath shape;
    shape.addRoundedRect(bounds, radius, radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillPath(shape, brush);
    painter.restore();
}

QImage RoundedFill::render(const QImage& picture, QSize pixels, qreal radius)
{
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(pixels)), picture, radius);
    return image;
}
