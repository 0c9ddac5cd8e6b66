#pragma once

#include <QImage>

namespace ImageBlur {

// Blurs a premultiplied 32-bit picture in place, close to a Gaussian blur of
// the radius (three box passes each way); outside the picture counts as
// transparent, so leave a margin of twice the radius for the blur to spread into.
void blur(QImage& image, qreal radius);

} // namespace ImageBlur
