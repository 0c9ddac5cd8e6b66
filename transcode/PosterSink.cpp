#include "PosterSink.h"

#include "FrameConverter.h"
#include "TranscodeError.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

PosterSink::PosterSink(QString destination, VideoOrientation orientation)
    : m_destination(std::move(destination)), m_orientation(orientation)
{
}

QImage PosterSink::picture(const AVFrame& frame, const VideoOrientation& orientation)
{
    if (frame.width <= 0 || frame.height <= 0)
        return {};
    FrameConverter converter(QSize(frame.width, frame.height), AV_PIX_FMT_RGB24);
    const AVFrame& rgb = converter.convert(frame);
    const QImage stored(rgb.data[0], rgb.width, rgb.height, rgb.linesize[0], QImage::Format_RGB888);
    // upright() may share the converter's pixels when nothing turns; copy before they go.
    return orientation.upright(stored).copy();
}

bool PosterSink::push(const AVFrame& frame)
{
    const QImage image = picture(frame, m_orientation);
    if (!image.isNull()) {
        QBuffer buffer(&m_png);
        buffer.open(QIODevice::WriteOnly);
        if (!QImageWriter(&buffer, "png").write(image))
            m_png.clear();
    }
    return false;
}

void PosterSink::finish()
{
    if (m_png.isEmpty())
        throw TranscodeError(TranscodeError::Kind::posterGenerationFailed);
    QSaveFile file(m_destination);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_png) != m_png.size() || !file.commit())
        throw MediaError(QStringLiteral("Could not write the poster"), file.errorString());
}
