#include "StillPicture.h"

#include "RegularFile.h"

#include <QBuffer>
#include <QImageReader>

QImage StillPicture::load(const QString& path)
{
    std::optional<QByteArray> bytes = RegularFile::readAll(path, maximumBytes);
    if (!bytes)
        return QImage();
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}
