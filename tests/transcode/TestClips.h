#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
}

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

#include <cmath>
#include <stdexcept>

// Short clips made by the tests with the FFmpeg libraries, and what a written movie holds.
namespace TestClips {

using Tags = QList<QPair<QByteArray, QByteArray>>;

struct Clip
{
    QSize size { 64, 36 }; // stored frame size
    int framesPerSecond = 30;
    double seconds = 1.0;
    bool video = true;
    bool audio = false;
    int rotationClockwise = 0; // degrees, carried as the track's display matrix
    const char* format = "mov";
    const char* codec = "mpeg4"; // "ffv1" takes odd sizes
    Tags fileTags; // metadata of the whole file
    Tags videoTags; // metadata of the video track
};

inline void check(int result, const char* what)
{
    if (result < 0)
        throw std::runtime_error(what);
}

struct Encoder
{
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
    ~Encoder() { avcodec_free_context(&context); }
};

inline void drain(AVFormatContext* output, Encoder& encoder, AVPacket* packet)
{
    while (avcodec_receive_packet(encoder.context, packet) == 0) {
        av_packet_rescale_ts(packet, encoder.context->time_base, encoder.stream->time_base);
        packet->stream_index = encoder.stream->index;
        check(av_interleaved_write_frame(output, packet), "write packet");
    }
}

inline void setTags(AVDictionary** dictionary, const Tags& tags)
{
    for (const auto& [key, value] : tags)
        av_dict_set(dictionary, key.constData(), value.constData(), AV_DICT_MULTIKEY);
}

// Stored frames are red on the left half and blue on the right half.
inline void paint(AVFrame* frame)
{
    const int half = frame->width / 2;
    for (int y = 0; y < frame->height; ++y)
        for (int x = 0; x < frame->width; ++x)
            frame->data[0][y * frame->linesize[0] + x] = x < half ? 81 : 41;
    for (int y = 0; y < (frame->height + 1) / 2; ++y)
        for (int x = 0; x < (frame->width + 1) / 2; ++x) {
            const bool left = 2 * x < half;
            frame->data[1][y * frame->linesize[1] + x] = left ? 90 : 240;
            frame->data[2][y * frame->linesize[2] + x] = left ? 240 : 110;
        }
}

inline void write(const QString& path, const Clip& clip)
{
    AVFormatContext* output = nullptr;
    check(avformat_alloc_output_context2(&output, nullptr, clip.format, path.toUtf8().constData()), "output");
    setTags(&output->metadata, clip.fileTags);
    Encoder video;
    Encoder audio;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();

    const auto open = [&](Encoder& encoder, const AVCodec* codec, auto configure) {
        encoder.context = avcodec_alloc_context3(codec);
        configure(encoder.context);
        if (output->oformat->flags & AVFMT_GLOBALHEADER)
            encoder.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        check(avcodec_open2(encoder.context, codec, nullptr), "open encoder");
        encoder.stream = avformat_new_stream(output, nullptr);
        encoder.stream->time_base = encoder.context->time_base;
        check(avcodec_parameters_from_context(encoder.stream->codecpar, encoder.context), "parameters");
    };
    if (clip.video) {
        open(video, avcodec_find_encoder_by_name(clip.codec), [&](AVCodecContext* c) {
            c->width = clip.size.width();
            c->height = clip.size.height();
            c->pix_fmt = AV_PIX_FMT_YUV420P;
            c->time_base = AVRational { 1, clip.framesPerSecond };
            c->framerate = AVRational { clip.framesPerSecond, 1 };
            c->gop_size = 12;
        });
        setTags(&video.stream->metadata, clip.videoTags);
        if (clip.rotationClockwise) {
            auto* matrix = reinterpret_cast<int32_t*>(
                av_stream_new_side_data(video.stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
            av_display_rotation_set(matrix, clip.rotationClockwise);
        }
    }
    if (clip.audio) {
        open(audio, avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE), [](AVCodecContext* c) {
            c->sample_fmt = AV_SAMPLE_FMT_S16;
            c->sample_rate = 8000;
            av_channel_layout_default(&c->ch_layout, 1);
            c->time_base = AVRational { 1, 8000 };
        });
    }
    if (!(output->oformat->flags & AVFMT_NOFILE))
        check(avio_open(&output->pb, path.toUtf8().constData(), AVIO_FLAG_WRITE), "open file");
    check(avformat_write_header(output, nullptr), "header");

    if (clip.video) {
        const int frames = int(std::lround(clip.seconds * clip.framesPerSecond));
        for (int i = 0; i < frames; ++i) {
            av_frame_unref(frame);
            frame->width = clip.size.width();
            frame->height = clip.size.height();
            frame->format = AV_PIX_FMT_YUV420P;
            check(av_frame_get_buffer(frame, 0), "frame");
            paint(frame);
            frame->pts = i;
            check(avcodec_send_frame(video.context, frame), "encode");
            drain(output, video, packet);
        }
        avcodec_send_frame(video.context, nullptr);
        drain(output, video, packet);
    }
    if (clip.audio) {
        const int samples = int(clip.seconds * 8000);
        for (int start = 0; start < samples; start += 800) {
            av_frame_unref(frame);
            frame->nb_samples = std::min(800, samples - start);
            frame->format = AV_SAMPLE_FMT_S16;
            frame->sample_rate = 8000;
            av_channel_layout_default(&frame->ch_layout, 1);
            check(av_frame_get_buffer(frame, 0), "samples");
            for (int s = 0; s < frame->nb_samples; ++s)
                reinterpret_cast<int16_t*>(frame->data[0])[s] = int16_t(8000 * std::sin((start + s) * 0.3));
            frame->pts = start;
            check(avcodec_send_frame(audio.context, frame), "encode audio");
            drain(output, audio, packet);
        }
        avcodec_send_frame(audio.context, nullptr);
        drain(output, audio, packet);
    }
    check(av_write_trailer(output), "trailer");
    if (!(output->oformat->flags & AVFMT_NOFILE))
        avio_closep(&output->pb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_free_context(output);
}

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

inline Probe probe(const QString& path)
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

} // namespace TestClips
