#pragma once

#include "FrameConverter.h"
#include "FrameSink.h"
#include "HevcSettings.h"
#include "SaveFileIO.h"

#include <QString>

#include <memory>

// Encodes frames with x265 into a QuickTime movie with one video track tagged
// "hvc1". The movie appears at its destination only when finish() succeeds.
class HevcMovieWriter final : public FrameSink
{
public:
    // Throws TranscodeError::exportSessionFailed when the encoder refuses the
    // settings, MediaError when the file cannot be started.
    HevcMovieWriter(const QString& destination, const HevcSettings& settings);

    bool push(const AVFrame& frame) override;
    void finish() override;

private:
    void writeEncodedPackets();

    const HevcSettings m_settings;
    SaveFileIO m_io;
    FFmpeg::CodecPtr m_encoder;
    FFmpeg::OutputPtr m_output;
    AVStream* m_stream = nullptr;
    FrameConverter m_converter;
    FFmpeg::PacketPtr m_packet = FFmpeg::makePacket();
    int64_t m_frameDuration = 1; // in the encoder's time base
    int64_t m_framesSent = 0;
};
