#pragma once

#include "FFmpegHandles.h"

#include <QSize>

// Scales frames and changes their pixel format, on several threads for large
// pictures. Frames that already fit pass through untouched.
class FrameConverter
{
public:
    FrameConverter(QSize size, AVPixelFormat format);

    // The frame at the converter's size and format, valid until the next call.
    // Throws MediaError when the conversion fails.
    const AVFrame& convert(const AVFrame& frame);

private:
    void prepare(const AVFrame& frame);

    const QSize m_size;
    const AVPixelFormat m_format;
    FFmpeg::ScalerPtr m_scaler;
    FFmpeg::FramePtr m_output = FFmpeg::makeFrame();
    // What the scaler was made for.
    int m_sourceWidth = 0;
    int m_sourceHeight = 0;
    int m_sourceFormat = AV_PIX_FMT_NONE;
};
