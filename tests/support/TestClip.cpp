#include "TestClip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

struct FormatCloser
{
    void operator()(AVFormatContext* context) const
    {
        if (context && context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecFreer
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

// Limited-range BT.601 luma and chroma of a colour, in 8-bit units.
struct Yuv
{
    int y, u, v;
};

Yuv toYuv(const QColor& colour)
{
    const double r = colour.redF(), g = colour.greenF(), b = colour.blueF();
    return { int(16 + 65.481 * r + 128.553 * g + 24.966 * b + 0.5),
        int(128 - 37.797 * r - 74.203 * g + 112.0 * b + 0.5), int(128 + 112.0 * r - 93.786 * g - 18.214 * b + 0.5) };
}

// One plane: the upper half at upper, the lower half at lower; the pattern
// (luma only) moves with phase.
template <typename Sample>
void fillPlane(AVFrame* frame, int plane, int scale, int upper, int lower, int shift, int phase)
{
    const int width = frame->width / scale, height = frame->height / scale;
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<Sample*>(frame->data[plane] + row * frame->linesize[plane]);
        const int value = row < height / 2 ? upper : lower;
        for (int column = 0; column < width; ++column) {
            const int texture = phase ? ((column + row + phase) & 31) - 16 : 0;
            line[column] = Sample(std::clamp(value + texture, 16, 240) << shift);
        }
    }
}

template <typename Sample> void fillFrame(AVFrame* frame, const TestClip::Recipe& recipe, int index)
{
    const Yuv upper = toYuv(recipe.colour(index));
    const Yuv lower = recipe.lowerHalf.isValid() ? toYuv(recipe.lowerHalf) : upper;
    const int shift = recipe.tenBit ? 2 : 0;
    fillPlane<Sample>(frame, 0, 1, upper.y, lower.y, shift, recipe.movingPattern ? index * 4 + 1 : 0);
    fillPlane<Sample>(frame, 1, 2, upper.u, lower.u, shift, 0);
    fillPlane<Sample>(frame, 2, 2, upper.v, lower.v, shift, 0);
}

bool drain(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, AVPacket* packet)
{
    for (;;) {
        const int result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(format, packet) < 0)
            return false;
    }
}

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

void setTags(AVDictionary** dictionary, const QList<QPair<QByteArray, QByteArray>>& tags)
{
    for (const auto& [key, value] : tags)
        av_dict_set(dictionary, key.constData(), value.constData(), AV_DICT_MULTIKEY);
}

constexpr int audioRate = 8000;

using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;

// Opens the encoder and adds its stream; null when the encoder cannot be opened.
Codec addStream(AVFormatContext* format, const AVCodec* encoder, const std::function<void(AVCodecContext*)>& setUp,
    AVStream** stream)
{
    Codec codec(avcodec_alloc_context3(encoder));
    setUp(codec.get());
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(codec.get(), encoder, nullptr) < 0)
        return {};
    *stream = avformat_new_stream(format, nullptr);
    (*stream)->time_base = codec->time_base;
    avcodec_parameters_from_context((*stream)->codecpar, codec.get());
    return codec;
}

} // namespace

bool TestClip::write(const QString& path, const Recipe& recipe, QString* error)
{
    const QByteArray file = path.toUtf8();
    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, nullptr, file.constData()) < 0)
        return fail(error, QStringLiteral("no container for ") + path);
    std::unique_ptr<AVFormatContext, FormatCloser> format(rawFormat);
    setTags(&format->metadata, recipe.fileTags);

    Codec codec;
    AVStream* stream = nullptr;
    if (recipe.video) {
        const AVCodec* encoder = avcodec_find_encoder_by_name(recipe.encoder.toUtf8().constData());
        if (!encoder)
            return fail(error, QStringLiteral("no encoder ") + recipe.encoder);
        codec = addStream(
            format.get(), encoder,
            [&recipe](AVCodecContext* codec) {
                codec->width = recipe.size.width();
                codec->height = recipe.size.height();
                codec->time_base = AVRational { 1, recipe.framesPerSecond };
                codec->framerate = AVRational { recipe.framesPerSecond, 1 };
                codec->pix_fmt = recipe.tenBit ? AV_PIX_FMT_YUV420P10LE : AV_PIX_FMT_YUV420P;
                codec->gop_size = recipe.framesPerSecond;
                codec->bit_rate = int64_t(recipe.size.width()) * recipe.size.height() * 2;
                if (recipe.encoder == QLatin1String("libx265")) {
                    av_opt_set(codec->priv_data, "preset", "ultrafast", 0);
                    av_opt_set(codec->priv_data, "x265-params", "log-level=error", 0);
                    codec->codec_tag = MKTAG('h', 'v', 'c', '1');
                }
            },
            &stream);
        if (!codec)
            return fail(error, QStringLiteral("cannot open encoder ") + recipe.encoder);
        setTags(&stream->metadata, recipe.videoTags);
        if (recipe.rotationClockwise) {
            auto* matrix = reinterpret_cast<int32_t*>(
                av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
            av_display_rotation_set(matrix, recipe.rotationClockwise);
        }
    }
    Codec sound;
    AVStream* soundStream = nullptr;
    if (recipe.audio) {
        sound = addStream(
            format.get(), avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE),
            [](AVCodecContext* codec) {
                codec->sample_fmt = AV_SAMPLE_FMT_S16;
                codec->sample_rate = audioRate;
                av_channel_layout_default(&codec->ch_layout, 1);
                codec->time_base = AVRational { 1, audioRate };
            },
            &soundStream);
        if (!sound)
            return fail(error, QStringLiteral("cannot open the sound encoder"));
    }
    if (avio_open(&format->pb, file.constData(), AVIO_FLAG_WRITE) < 0
        || avformat_write_header(format.get(), nullptr) < 0)
        return fail(error, QStringLiteral("cannot write ") + path);

    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    for (int index = 0; codec && index < recipe.frames; ++index) {
        frame->format = codec->pix_fmt;
        frame->width = codec->width;
        frame->height = codec->height;
        if (av_frame_get_buffer(frame.get(), 0) < 0 || av_frame_make_writable(frame.get()) < 0)
            return fail(error, QStringLiteral("out of memory"));
        if (recipe.tenBit)
            fillFrame<uint16_t>(frame.get(), recipe, index);
        else
            fillFrame<uint8_t>(frame.get(), recipe, index);
        frame->pts = index;
        if (avcodec_send_frame(codec.get(), frame.get()) < 0 || !drain(codec.get(), format.get(), stream, packet.get()))
            return fail(error, QStringLiteral("encoding failed"));
        av_frame_unref(frame.get());
    }
    const int samples = int(int64_t(recipe.frames) * audioRate / recipe.framesPerSecond);
    for (int start = 0; sound && start < samples; start += audioRate / 10) {
        frame->nb_samples = std::min(audioRate / 10, samples - start);
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = audioRate;
        av_channel_layout_default(&frame->ch_layout, 1);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return fail(error, QStringLiteral("out of memory"));
        for (int i = 0; i < frame->nb_samples; ++i)
            reinterpret_cast<int16_t*>(frame->data[0])[i] = int16_t(8000 * std::sin((start + i) * 0.3));
        frame->pts = start;
        if (avcodec_send_frame(sound.get(), frame.get()) < 0
            || !drain(sound.get(), format.get(), soundStream, packet.get()))
            return fail(error, QStringLiteral("encoding the sound failed"));
        av_frame_unref(frame.get());
    }
    for (const auto& [encoder, target] : { std::pair { codec.get(), stream }, std::pair { sound.get(), soundStream } })
        if (encoder
            && (avcodec_send_frame(encoder, nullptr) < 0 || !drain(encoder, format.get(), target, packet.get())))
            return fail(error, QStringLiteral("cannot finish ") + path);
    if (av_write_trailer(format.get()) < 0)
        return fail(error, QStringLiteral("cannot finish ") + path);
    return true;
}
