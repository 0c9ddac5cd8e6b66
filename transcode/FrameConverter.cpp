#include "FrameConverter.h"

#include "TranscodeError.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace {

bool isRGB(int format)
{
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(AVPixelFormat(format));
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB);
}

// Full-range "J" formats are the same layout as their plain ones, tagged by range.
AVPixelFormat withoutFullRangeAlias(int format, bool& fullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        fullRange = true;
        return AV_PIX_FMT_YUV444P;
    default:
        return AVPixelFormat(format);
    }
}

} // namespace

FrameConverter::FrameConverter(QSize size, AVPixelFormat format) : m_size(size), m_format(format) { }

const AVFrame& FrameConverter::convert(const AVFrame& frame)
{
    if (frame.width == m_size.width() && frame.height == m_size.height() && frame.format == m_format)
        return frame;
    prepare(frame);
    checkAV(av_frame_make_writable(m_output.get()), "Could not convert the video");
    checkAV(sws_scale_frame(m_scaler.get(), m_output.get(), &frame), "Could not convert the video");
    checkAV(av_frame_copy_props(m_output.get(), &frame), "Could not convert the video");
    return *m_output;
}

void FrameConverter::prepare(const AVFrame& frame)
{
    if (m_scaler && frame.width == m_sourceWidth && frame.height == m_sourceHeight && frame.format == m_sourceFormat)
        return;
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = withoutFullRangeAlias(frame.format, fullRange);

    m_scaler.reset(sws_alloc_context());
    if (!m_scaler)
        throw std::bad_alloc();
    SwsContext* scaler = m_scaler.get();
    av_opt_set_int(scaler, "srcw", frame.width, 0);
    av_opt_set_int(scaler, "srch", frame.height, 0);
    av_opt_set_int(scaler, "src_format", source, 0);
    av_opt_set_int(scaler, "dstw", m_size.width(), 0);
    av_opt_set_int(scaler, "dsth", m_size.height(), 0);
    av_opt_set_int(scaler, "dst_format", m_format, 0);
    av_opt_set_int(scaler, "sws_flags", SWS_BICUBIC, 0);
    av_opt_set_int(scaler, "threads", 0, 0); // one slice per core
    checkAV(sws_init_context(scaler, nullptr, nullptr), "Could not convert the video");

    // Pictures for people are full range RGB; between YUV formats the range is kept as is.
    const bool toRGB = isRGB(m_format);
    const int colorspace = frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame.colorspace);
    const int* coefficients = sws_getCoefficients(colorspace);
    sws_setColorspaceDetails(scaler, coefficients, fullRange, coefficients, toRGB ? 1 : fullRange, 0, 1 << 16, 1 << 16);

    m_output = FFmpeg::makeFrame();
    m_output->width = m_size.width();
    m_output->height = m_size.height();
    m_output->format = m_format;
    checkAV(av_frame_get_buffer(m_output.get(), 0), "Could not convert the video");
    m_sourceWidth = frame.width;
    m_sourceHeight = frame.height;
    m_sourceFormat = frame.format;
}
