#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

// Owning handles for the FFmpeg objects the pipeline uses; each frees its object
// with the matching FFmpeg call.
namespace FFmpeg {

struct InputDeleter
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputDeleter
{
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
struct CodecDeleter
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerDeleter
{
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct IOContextDeleter
{
    void operator()(AVIOContext* context) const
    {
        if (context)
            av_freep(&context->buffer);
        avio_context_free(&context);
    }
};
struct DictionaryDeleter
{
    void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};

using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerDeleter>;
using IOContextPtr = std::unique_ptr<AVIOContext, IOContextDeleter>;

FramePtr makeFrame();
PacketPtr makePacket();
// A new reference to the frame's buffers (no pixel copy).
FramePtr shareFrame(const AVFrame& frame);

} // namespace FFmpeg
