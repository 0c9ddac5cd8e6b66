#include "ClipWindow.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/mathematics.h>
}

ClipWindow::ClipWindow(
    std::unique_ptr<FrameSink> inner, AVRational timeBase, double maxSeconds, AVRational maxFrameRate)
    : m_inner(std::move(inner)),
      m_end(int64_t(std::llround(maxSeconds / av_q2d(timeBase)))),
      m_interval(std::max<int64_t>(1, av_rescale_q(1, av_inv_q(maxFrameRate), timeBase)))
{
}

bool ClipWindow::push(const AVFrame& frame)
{
    if (frame.pts >= m_end)
        return false;
    if (frame.pts < m_nextDue)
        return true;
    // A quarter interval of slack, so sources at the rate itself keep every frame despite jitter.
    m_nextDue = frame.pts + m_interval - m_interval / 4;
    return m_inner->push(frame);
}
