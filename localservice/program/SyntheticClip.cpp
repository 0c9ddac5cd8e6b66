#include "SyntheticClip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include "FFmpegHandles.h"

#include <QFile>

#include <memory>

namespace {

struct GraphFreer
{
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct InOutFreer
{
    void operator()(AVFilterInOut* list) const { avfilter_inout_free(&list); }
};
// The output and the file it writes.
struct OutputCloser
{
    void operator()(AVFormatContext* context) const
    {
        if (context && context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

QString describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// Sends one frame (or the end, for null) and writes every packet that comes out.
int encode(AVCodecContext* codec, AVFrame* frame, AVFormatContext* format, AVStream* stream, AVPacket* packet)
{
    int result = avcodec_send_frame(codec, frame);
    while (result >= 0) {
        result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return 0;
        if (result < 0)
            return result;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);
    }
    return result;
}

} // namespace

namespace SyntheticClip {

bool write(const QString& graphText, int frames, int framesPerSecond, const QString& path, QString* error)
{
    std::unique_ptr<AVFilterGraph, GraphFreer> graph(avfilter_graph_alloc());
    AVFilterContext* sink = nullptr;
    if (!graph || avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                      graph.get())
            < 0)
        return fail(error, QStringLiteral("no filter graph"));
    AVFilterInOut* inputs = avfilter_inout_alloc();
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    AVFilterInOut* outputs = nullptr;
    const QByteArray graphDescription = (graphText + QStringLiteral(",format=yuv420p")).toUtf8();
    int result = avfilter_graph_parse_ptr(graph.get(), graphDescription.constData(), &inputs, &outputs, nullptr);
    std::unique_ptr<AVFilterInOut, InOutFreer> inputsLeft(inputs), outputsLeft(outputs);
    if (result < 0 || (result = avfilter_graph_config(graph.get(), nullptr)) < 0)
        return fail(error, QStringLiteral("filter graph \"%1\": %2").arg(graphText, describe(result)));

    FFmpeg::CodecPtr codec(avcodec_alloc_context3(avcodec_find_encoder(AV_CODEC_ID_MPEG4)));
    if (!codec)
        return fail(error, QStringLiteral("no MPEG-4 encoder"));
    codec->width = av_buffersink_get_w(sink);
    codec->height = av_buffersink_get_h(sink);
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational { 1, framesPerSecond };
    codec->framerate = AVRational { framesPerSecond, 1 };
    codec->gop_size = framesPerSecond;
    // Near-lossless: this file is only read once more, by the transcode.
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->global_quality = FF_QP2LAMBDA * 2;

    AVFormatContext* formatOut = nullptr;
    const QByteArray fileName = QFile::encodeName(path);
    avformat_alloc_output_context2(&formatOut, nullptr, nullptr, fileName.constData());
    std::unique_ptr<AVFormatContext, OutputCloser> format(formatOut);
    if (!format)
        return fail(error, QStringLiteral("no container for %1").arg(path));
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((result = avcodec_open2(codec.get(), codec->codec, nullptr)) < 0)
        return fail(error, QStringLiteral("encoder: %1").arg(describe(result)));
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    avcodec_parameters_from_context(stream->codecpar, codec.get());
    stream->time_base = codec->time_base;
    if ((result = avio_open(&format->pb, fileName.constData(), AVIO_FLAG_WRITE)) < 0
        || (result = avformat_write_header(format.get(), nullptr)) < 0)
        return fail(error, QStringLiteral("%1: %2").arg(path, describe(result)));

    const FFmpeg::FramePtr frame = FFmpeg::makeFrame();
    const FFmpeg::PacketPtr packet = FFmpeg::makePacket();
    for (int n = 0; n < frames; ++n) {
        if ((result = av_buffersink_get_frame(sink, frame.get())) < 0)
            return fail(error, QStringLiteral("source ended: %1").arg(describe(result)));
        frame->pts = n;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        result = encode(codec.get(), frame.get(), format.get(), stream, packet.get());
        av_frame_unref(frame.get());
        if (result < 0)
            return fail(error, QStringLiteral("encoding: %1").arg(describe(result)));
    }
    if ((result = encode(codec.get(), nullptr, format.get(), stream, packet.get())) < 0
        || (result = av_write_trailer(format.get())) < 0)
        return fail(error, QStringLiteral("finishing: %1").arg(describe(result)));
    return true;
}

} // namespace SyntheticClip
