#include "FramePipeline.h"

#include "VideoSource.h"

#include <algorithm>

size_t FramePipeline::add(std::unique_ptr<FrameSink> sink)
{
    m_sinks.push_back(std::make_unique<SinkThread>(std::move(sink)));
    return m_sinks.size() - 1;
}

std::vector<std::exception_ptr> FramePipeline::run(const Progress& progress)
{
    const double duration = m_source.durationSeconds();
    const double secondsPerTick = av_q2d(m_source.timeBase());
    std::vector<bool> wanting(m_sinks.size(), true);
    size_t wanted = m_sinks.size();
    FFmpeg::FramePtr frame = FFmpeg::makeFrame();
    while (wanted > 0 && m_source.read(*frame)) {
        if (progress && duration > 0)
            progress(std::min(frame->pts * secondsPerTick / duration, 1.0));
        for (size_t i = 0; i < m_sinks.size(); ++i) {
            if (wanting[i] && !m_sinks[i]->push(*frame)) {
                wanting[i] = false;
                --wanted;
            }
        }
    }
    // Let every sink complete at once before waiting for the first.
    for (const auto& sink : m_sinks)
        sink->close();
    std::vector<std::exception_ptr> failures;
    for (const auto& sink : m_sinks)
        failures.push_back(sink->finish());
    return failures;
}
