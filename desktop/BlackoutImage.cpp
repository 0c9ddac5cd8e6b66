#include "BlackoutImage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

bool BlackoutImage::write(const QString& path)
{
    QImage image(2, 2, QImage::Format_RGBA8888);
    if (image.isNull())
        return false;
    image.fill(Qt::black);

    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;

    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.commit();
}

void BlackoutImage::ensure(const QString& path)
{
    if (!QFileInfo::exists(path))
        write(path);
}
