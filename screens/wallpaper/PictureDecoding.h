#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Decoding of pictures at the size they are shown. A picture is scaled down
// (never up) so that it still covers the given pixels once it is turned upright
// as its orientation tag says; a picture beyond the reader's allocation limit,
// or one that cannot be read, gives a null image. An empty size decodes the
// picture as it is. Any thread.
namespace PictureDecoding {

QImage decodeFile(const QString& path, QSize coverPixels);
QImage decodeBytes(const QByteArray& bytes, QSize coverPixels);

// The pixels an item of the given size covers at a device pixel ratio, rounded up.
QSize pixelsShown(QSizeF itemSize, double devicePixelRatio);

} // namespace PictureDecoding
