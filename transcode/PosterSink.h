#pragma once

#include "FrameSink.h"
#include "VideoOrientation.h"

#include <QByteArray>
#include <QString>

// The first frame as an upright, full-size PNG picture. The picture is made on the
// first frame and written whole at finish().
class PosterSink final : public FrameSink
{
public:
    PosterSink(QString destination, VideoOrientation orientation);

    bool push(const AVFrame& frame) override;
    // Throws TranscodeError::posterGenerationFailed when no picture could be made,
    // MediaError when it cannot be written.
    void finish() override;

    // The frame as an upright picture; a null image when it cannot be converted.
    static QImage picture(const AVFrame& frame, const VideoOrientation& orientation);

private:
    const QString m_destination;
    const VideoOrientation m_orientation;
    QByteArray m_png;
};
