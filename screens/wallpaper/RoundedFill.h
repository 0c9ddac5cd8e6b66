#pragma once

#include <QImage>
#include <QRectF>

class QPainter;

namespace RoundedFill {

// Paints picture into bounds as a rounded rectangle of radius: scaled to
// cover it, centred, what overhangs cut off, with smoothed edges.
void paint(QPainter& painter, const QRectF& bounds, const QImage& picture, qreal radius);

// The picture filled into a transparent image of pixels that way, the radius
// in the same pixels; what is drawn at that size needs no scaling when shown.
QImage render(const QImage& picture, QSize pixels, qreal radius);

} // namespace RoundedFill
