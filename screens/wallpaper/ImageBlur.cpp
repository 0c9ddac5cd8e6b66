#include "ImageBlur.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

// One pass of a box blur of the given radius along rows (step 1) or columns,
// over premultiplied pixels; outside the picture counts as transparent.
void boxPass(QImage& image, int radius, bool alongRows)
{
    const int lines = alongRows ? image.height() : image.width();
    const int length = alongRows ? image.width() : image.height();
    const int window = 2 * radius + 1;
    std::vector<std::array<int, 4>> line(size_t(length) + 0);
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> QRgb& {
            return alongRows ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                             : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i) {
            const QRgb p = pixel(i);
            line[size_t(i)] = { qAlpha(p), qRed(p), qGreen(p), qBlue(p) };
        }
        std::array<int, 4> sum {};
        for (int i = 0; i <= std::min(radius, length - 1); ++i)
            for (int c = 0; c < 4; ++c)
                sum[size_t(c)] += line[size_t(i)][size_t(c)];
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            const int entering = i + radius + 1;
            const int leaving = i - radius;
            for (int c = 0; c < 4; ++c) {
                if (entering < length)
                    sum[size_t(c)] += line[size_t(entering)][size_t(c)];
                if (leaving >= 0)
                    sum[size_t(c)] -= line[size_t(leaving)][size_t(c)];
            }
        }
    }
}

} // namespace

void ImageBlur::blur(QImage& image, qreal radius)
{
    const int box = int(std::lround(radius / 2.0));
    if (box < 1)
        return;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(image, box, true);
        boxPass(image, box, false);
    }
}

int ImageBlur::marginFor(qreal radius) { return int(std::ceil(std::max(0.0, radius) * 2)); }

QImage ImageBlur::blurred(QSize size, qreal radius, const std::function<void(QPainter&)>& paint)
{
    const int margin = marginFor(radius);
    QImage picture(size + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    if (size.isEmpty())
        return picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(margin, margin);
    paint(painter);
    painter.end();
    blur(picture, radius);
    return picture;
}
