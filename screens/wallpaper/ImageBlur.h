#pragma once

#include <QImage>

#include <functional>

class QPainter;

namespace ImageBlur {

// Blurs a premultiplied 32-bit picture in place, close to a Gaussian blur of
// the radius (three box passes each way); outside the picture counts as
// transparent, so leave a margin of twice the radius for the blur to spread into.
void blur(QImage& image, qreal radius);

// How far a blur of radius spreads past a shape: the margin to leave around it.
int marginFor(qreal radius);

// A transparent picture of size plus the margin of radius on every side, drawn
// by paint (its painter antialiased and moved past the margin), then blurred.
QImage blurred(QSize size, qreal radius, const std::function<void(QPainter&)>& paint);

} // namespace ImageBlur
