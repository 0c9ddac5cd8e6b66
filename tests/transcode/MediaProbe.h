#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <QSize>
#include <QString>

namespace MediaProbe {

// What a movie file holds, as a player would see it.
struct Probe
{
    bool readable = false;
    int videoTracks = 0;
    int audioTracks = 0;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int profile = FF_PROFILE_UNKNOWN;
    int pixelFormat = AV_PIX_FMT_NONE;
    uint32_t codecTag = 0;
    QSize size; // stored
    double rotationClockwise = 0;
    double seconds = 0;
    int frames = 0;
};

inline Probe of(const QString& path)
{
    Probe result;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return result;
    if (avformat_find_stream_info(input, nullptr) >= 0) {
        result.readable = true;
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream* stream = input->streams[i];
            const AVCodecParameters* p = stream->codecpar;
            if (p->codec_type == AVMEDIA_TYPE_AUDIO)
                ++result.audioTracks;
            if (p->codec_type != AVMEDIA_TYPE_VIDEO)
                continue;
            if (result.videoTracks++ > 0)
                continue;
            result.codec = p->codec_id;
            result.profile = p->profile;
            result.pixelFormat = p->format;
            result.codecTag = p->codec_tag;
            result.size = QSize(p->width, p->height);
            if (const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr))
                // FFmpeg sets angles clockwise and reads them back counter-clockwise.
                result.rotationClockwise = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
            result.seconds = input->duration > 0 ? input->duration / double(AV_TIME_BASE) : 0;
            AVPacket* packet = av_packet_alloc();
            while (av_read_frame(input, packet) >= 0) {
                if (packet->stream_index == int(i))
                    ++result.frames;
                av_packet_unref(packet);
            }
            av_packet_free(&packet);
        }
    }
    avformat_close_input(&input);
    return result;
}

} // namespace MediaProbe
