#pragma once

#include "FrameSink.h"
#include "SinkThread.h"

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class VideoSource;

// Decodes a source once and hands every frame to each of its sinks, each sink on a
// thread of its own. Reading stops at the end of the source or when no sink wants more.
class FramePipeline
{
public:
    using Progress = std::function<void(double fraction)>;

    explicit FramePipeline(VideoSource& source) : m_source(source) { }

    // Returns the sink's place among the results of run().
    size_t add(std::unique_ptr<FrameSink> sink);

    // Feeds and finishes every sink, and gives each one's failure (null on success)
    // in the order they were added. Progress is the time of each frame read over the
    // source's duration, at most 1, on the calling thread. Throws what reading throws;
    // every sink is then dropped unfinished.
    std::vector<std::exception_ptr> run(const Progress& progress = {});

private:
    VideoSource& m_source;
    std::vector<std::unique_ptr<SinkThread>> m_sinks;
};
