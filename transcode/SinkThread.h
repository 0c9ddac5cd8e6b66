#pragma once

#include "FFmpegHandles.h"
#include "FrameSink.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

// Runs a sink on a thread of its own behind a short queue, so that decoding and
// every encoder work at the same time. Frames are shared by reference, not copied.
// A sink that fails takes no more frames; its failure is kept for finish().
class SinkThread
{
public:
    explicit SinkThread(std::unique_ptr<FrameSink> sink, size_t capacity = 4);
    // Drops what is queued and waits for the frame in hand; the sink is not finished.
    ~SinkThread();

    SinkThread(const SinkThread&) = delete;
    SinkThread& operator=(const SinkThread&) = delete;

    // Queues a frame, waiting while the queue is full; false once the sink needs
    // no more frames or has failed.
    bool push(const AVFrame& frame);
    // Lets the sink finish after its queued frames, without waiting.
    void close();
    // Closes, waits for the sink to finish, and gives its failure (null on success).
    std::exception_ptr finish();

private:
    void run();

    std::unique_ptr<FrameSink> m_sink;
    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<FFmpeg::FramePtr> m_queue;
    bool m_closed = false;
    bool m_stopping = false;
    bool m_satisfied = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};
