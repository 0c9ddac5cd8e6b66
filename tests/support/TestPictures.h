#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QString>
#include <QUrl>

// Pictures made by the tests themselves.
namespace TestPictures {

// A picture of equal vertical stripes in the given colours, left to right,
// saved as PNG under directory; gives its file URL.
inline QUrl stripes(const QDir& directory, const QString& name, QSize size, const QList<QColor>& colours)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int stripe = size.width() / int(colours.size());
    for (int i = 0; i < colours.size(); ++i)
        painter.fillRect(QRect(i * stripe, 0, stripe, size.height()), colours[i]);
    painter.end();
    const QString path = directory.filePath(name);
    image.save(path, "PNG");
    return QUrl::fromLocalFile(path);
}

// Whether two colours are the same within what scaling and filtering may change.
inline bool near(QColor a, QColor b, int tolerance = 8)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

// How many pixels of image inside area are near colour.
inline int count(const QImage& image, const QRect& area, QColor colour)
{
    int found = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (near(image.pixelColor(x, y), colour))
                ++found;
        }
    }
    return found;
}

// A JPEG of a plain picture whose orientation tag says how to turn it upright
// (1 as stored, 6 a quarter turn clockwise, 8 a quarter turn back).
inline QByteArray jpegWithOrientation(QSize stored, quint16 orientation)
{
    QImage image(stored, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    // A big-endian TIFF header and one directory entry: tag 0x0112, one SHORT.
    QByteArray exif = QByteArray("Exif\0\0", 6) + QByteArray::fromHex("4d4d002a0000000800010112000300000001");
    exif += char(orientation >> 8);
    exif += char(orientation & 0xff);
    exif += QByteArray(6, '\0'); // value padding, then no further directory
    const int length = int(exif.size()) + 2;
    const QByteArray segment = QByteArray::fromHex("ffe1") + char(length >> 8) + char(length & 0xff) + exif;
    return jpeg.insert(2, segment); // right after the start-of-image marker
}

} // namespace TestPictures
