#pragma once

#include "VideoOrientation.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QSize>

class VideoSource;

// What one HEVC movie is encoded with.
struct HevcSettings
{
    // x265's preset for every movie: "fast" keeps rate-distortion optimisation and
    // three reference frames, clearly better than the faster presets for a file that
    // plays for hours, in about a fifth less time than "medium".
    static constexpr const char* preset = "fast";
    static constexpr int64_t main10BitRateCap = 20'000'000;

    QSize size; // stored (encoded) frame size, even in both directions
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P10LE;
    int64_t bitRate = 0; // average, bits per second
    const char* profile = nullptr; // x265 profile name; null for the encoder's default
    AVRational frameRate { 30, 1 };
    AVRational timeBase { 1, 30 }; // of the frames' time stamps
    VideoOrientation orientation; // carried to the movie's track
    // Copied from the source so the pictures keep their colours and shape.
    AVColorPrimaries colorPrimaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic colorTransfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorRange colorRange = AVCOL_RANGE_UNSPECIFIED;
    AVRational sampleAspectRatio { 0, 1 };

    // The library's content movie: 10-bit 4:2:0 HEVC Main 10, encoded at the stored
    // orientation of the given displayed size and carrying the source's rotation.
    static HevcSettings main10(QSize displayed, const VideoSource& source);
    // The short preview clip: 8-bit 4:2:0, at most maxFrameRate frames a second.
    static HevcSettings preview(QSize displayed, const VideoSource& source);

    // min(width × height × 10, 20,000,000), without overflow for any size.
    static int64_t main10BitRate(QSize size);
    // width × height × 4.
    static int64_t previewBitRate(QSize size);
    // A displayed size scaled down, never up, to at most maxHeight, each side cut to a whole even number.
    static QSize previewSize(QSize displayed, int maxHeight);

    static constexpr AVRational maxPreviewFrameRate { 30, 1 };
};
