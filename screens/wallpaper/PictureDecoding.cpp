#include "PictureDecoding.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace PictureDecoding {

namespace {

QImage decode(QImageReader& reader, QSize coverPixels)
{
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return {};
    if (!coverPixels.isEmpty()) {
        // The scaled size applies to the picture as stored, before it is turned.
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize cover = turned ? coverPixels.transposed() : coverPixels;
        const QSize scaled = stored.scaled(cover, Qt::KeepAspectRatioByExpanding);
        if (scaled.width() < stored.width() && scaled.height() < stored.height())
            reader.setScaledSize(scaled);
    }
    return reader.read();
}

} // namespace

QImage decodeFile(const QString& path, QSize coverPixels)
{
    QImageReader reader(path);
    return decode(reader, coverPixels);
}

QImage decodeBytes(const QByteArray& bytes, QSize coverPixels)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    return decode(reader, coverPixels);
}

QSize pixelsShown(QSizeF itemSize, double devicePixelRatio)
{
    // No picture is shown larger than the largest texture any GPU takes.
    constexpr double largest = 16384;
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const auto pixels = [&](double points) { return int(std::ceil(std::clamp(points * ratio, 0.0, largest))); };
    return QSize(pixels(itemSize.width()), pixels(itemSize.height()));
}

} // namespace PictureDecoding
