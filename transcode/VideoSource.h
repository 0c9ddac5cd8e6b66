#pragma once

#include "Cancellation.h"
#include "FFmpegHandles.h"
#include "VideoOrientation.h"

#include <QSize>
#include <QString>

// The first video track of a file, decoded frame by frame with a thread per core.
// Frames come out in presentation order with their time stamps moved so that
// the first frame is at 0, in the track's time base.
class VideoSource
{
public:
    // The largest picture decoded, HEVC's largest (8192 × 4352): a file that
    // claims larger frames, which the import could not encode, is refused
    // before they are allocated.
    static constexpr int64_t maxPixels = 8192 * 4352;

    // Throws MediaError when the file cannot be read, TranscodeError::noVideoTrack
    // when it holds no video. The cancel check also interrupts blocking reads.
    explicit VideoSource(const QString& path, CancelCheck isCancelled = {});

    QSize storedSize() const { return { m_decoder->width, m_decoder->height }; }
    VideoOrientation orientation() const { return m_orientation; }
    QSize displayedSize() const { return m_orientation.displayedSize(storedSize()); }
    AVRational timeBase() const { return m_stream->time_base; }
    // The nominal frame rate; 30 when the file does not tell.
    AVRational frameRate() const { return m_frameRate; }
    // Of the whole file; 0 when unknown.
    double durationSeconds() const { return m_durationSeconds; }
    // Colour description, aspect ratio and pixel format of the decoded frames.
    const AVCodecContext& decoder() const { return *m_decoder; }

    // The next frame, or false at the end of the track. Throws MediaError when reading
    // fails, TranscodeCancelled when cancelled. Damaged packets are skipped.
    bool read(AVFrame& frame);

private:
    bool receive(AVFrame& frame);
    static int interrupt(void* opaque);

    CancelCheck m_isCancelled;
    FFmpeg::InputPtr m_input;
    AVStream* m_stream = nullptr;
    FFmpeg::CodecPtr m_decoder;
    FFmpeg::PacketPtr m_packet = FFmpeg::makePacket();
    VideoOrientation m_orientation;
    AVRational m_frameRate { 30, 1 };
    double m_durationSeconds = 0;
    bool m_draining = false;
    int64_t m_origin = AV_NOPTS_VALUE;
    int64_t m_lastPts = AV_NOPTS_VALUE;
};
