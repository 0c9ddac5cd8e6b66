#include "HevcSettings.h"

#include "VideoSource.h"

#include <algorithm>

namespace {

// 4:2:0 pictures need even sides.
QSize even(QSize size) { return QSize(std::max(2, size.width() & ~1), std::max(2, size.height() & ~1)); }

HevcSettings fromSource(QSize displayed, const VideoSource& source)
{
    const AVCodecContext& decoder = source.decoder();
    HevcSettings settings;
    settings.orientation = source.orientation();
    settings.size = even(settings.orientation.storedSize(displayed));
    settings.frameRate = source.frameRate();
    settings.timeBase = source.timeBase();
    settings.colorPrimaries = decoder.color_primaries;
    settings.colorTransfer = decoder.color_trc;
    settings.colorSpace = decoder.colorspace;
    settings.colorRange = decoder.color_range;
    settings.sampleAspectRatio = decoder.sample_aspect_ratio;
    return settings;
}

} // namespace

HevcSettings HevcSettings::main10(QSize displayed, const VideoSource& source)
{
    HevcSettings settings = fromSource(displayed, source);
    settings.pixelFormat = AV_PIX_FMT_YUV420P10LE;
    settings.profile = "main10";
    settings.bitRate = main10BitRate(displayed);
    return settings;
}

HevcSettings HevcSettings::preview(QSize displayed, const VideoSource& source)
{
    HevcSettings settings = fromSource(displayed, source);
    settings.pixelFormat = AV_PIX_FMT_YUV420P;
    settings.bitRate = previewBitRate(displayed);
    if (av_cmp_q(settings.frameRate, maxPreviewFrameRate) > 0)
        settings.frameRate = maxPreviewFrameRate;
    return settings;
}

int64_t HevcSettings::main10BitRate(QSize size)
{
    return std::min<int64_t>(int64_t(size.width()) * size.height() * 10, main10BitRateCap);
}

int64_t HevcSettings::previewBitRate(QSize size) { return int64_t(size.width()) * size.height() * 4; }

QSize HevcSettings::previewSize(QSize displayed, int maxHeight)
{
    QSize scaled = displayed;
    // Whole-number arithmetic, so that 1919 × 1079 scales to exactly 720 high.
    if (displayed.height() > maxHeight && displayed.height() > 0)
        scaled = QSize(int(int64_t(displayed.width()) * maxHeight / displayed.height()), maxHeight);
    return QSize(scaled.width() & ~1, scaled.height() & ~1);
}
