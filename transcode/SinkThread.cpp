#include "SinkThread.h"

#include <algorithm>

SinkThread::SinkThread(std::unique_ptr<FrameSink> sink, size_t capacity)
    : m_sink(std::move(sink)), m_capacity(std::max<size_t>(1, capacity))
{
    m_thread = std::thread([this] { run(); });
}

SinkThread::~SinkThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool SinkThread::push(const AVFrame& frame)
{
    FFmpeg::FramePtr shared = FFmpeg::shareFrame(frame);
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < m_capacity || m_satisfied || m_failure; });
    if (m_satisfied || m_failure || m_closed)
        return false;
    m_queue.push_back(std::move(shared));
    m_changed.notify_all();
    return true;
}

void SinkThread::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

std::exception_ptr SinkThread::finish()
{
    close();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void SinkThread::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_stopping || m_closed || !m_queue.empty(); });
        if (m_stopping)
            return;
        if (m_queue.empty()) {
            // Closed and drained: the sink completes its output here, beside the other sinks.
            if (!m_failure) {
                lock.unlock();
                try {
                    m_sink->finish();
                } catch (...) {
                    lock.lock();
                    m_failure = std::current_exception();
                }
            }
            return;
        }
        FFmpeg::FramePtr frame = std::move(m_queue.front());
        m_queue.pop_front();
        m_changed.notify_all();
        if (m_satisfied || m_failure)
            continue;
        lock.unlock();
        bool wantsMore = true;
        std::exception_ptr failure;
        try {
            wantsMore = m_sink->push(*frame);
        } catch (...) {
            failure = std::current_exception();
        }
        frame.reset();
        lock.lock();
        m_satisfied = m_satisfied || !wantsMore;
        if (failure)
            m_failure = failure;
        if (!wantsMore || failure) {
            m_queue.clear();
            m_changed.notify_all();
        }
    }
}
