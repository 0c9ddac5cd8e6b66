#include "FFmpegHandles.h"

#include <new>

namespace FFmpeg {

FramePtr makeFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw std::bad_alloc();
    return frame;
}

PacketPtr makePacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    return packet;
}

FramePtr shareFrame(const AVFrame& frame)
{
    FramePtr copy(av_frame_clone(&frame));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}

} // namespace FFmpeg
