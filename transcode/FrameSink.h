#pragma once

extern "C" {
#include <libavutil/frame.h>
}

// Something made from decoded frames: an encoded movie, a poster. Frames arrive in
// presentation order with time stamps from 0; failures are thrown.
class FrameSink
{
public:
    virtual ~FrameSink() = default;

    // Takes one frame; false once the sink needs no more.
    virtual bool push(const AVFrame& frame) = 0;
    // All frames were given: completes the output. A sink destroyed without
    // finishing leaves nothing behind.
    virtual void finish() = 0;
};
