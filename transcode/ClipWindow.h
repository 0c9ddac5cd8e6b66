#pragma once

#include "FrameSink.h"

extern "C" {
#include <libavutil/rational.h>
}

#include <memory>

// Passes on the frames of a clip's opening seconds, at most maxFrameRate of them a
// second (dropping the ones between), and wants no more after that.
class ClipWindow final : public FrameSink
{
public:
    ClipWindow(std::unique_ptr<FrameSink> inner, AVRational timeBase, double maxSeconds, AVRational maxFrameRate);

    bool push(const AVFrame& frame) override;
    void finish() override { m_inner->finish(); }

private:
    std::unique_ptr<FrameSink> m_inner;
    const int64_t m_end; // first time stamp past the clip
    const int64_t m_interval; // between kept frames
    int64_t m_nextDue = 0;
};
