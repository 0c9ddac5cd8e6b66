#include "FrameViewers.h"

#include <vector>

quint64 FrameViewers::add(std::function<void()> frameReady)
{
    std::lock_guard lock(m_mutex);
    const quint64 id = m_nextViewer++;
    m_viewers[id] = { std::move(frameReady), QSize() };
    return id;
}

bool FrameViewers::setSize(quint64 viewer, QSize pixels)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_viewers.find(viewer);
    if (found == m_viewers.end() || found->second.size == pixels)
        return false;
    found->second.size = pixels;
    return true;
}

void FrameViewers::remove(quint64 viewer)
{
    {
        std::lock_guard lock(m_mutex);
        m_viewers.erase(viewer);
    }
    // A round that took the viewer's callback before it went may still call it.
    std::lock_guard roundOver(m_round);
}

QSize FrameViewers::largestSize() const
{
    std::lock_guard lock(m_mutex);
    QSize size;
    for (const auto& [id, viewer] : m_viewers)
        size = size.expandedTo(viewer.size);
    return size.isEmpty() ? QSize() : size;
}

std::size_t FrameViewers::count() const
{
    std::lock_guard lock(m_mutex);
    return m_viewers.size();
}

void FrameViewers::notifyAll()
{
    std::lock_guard round(m_round);
    std::vector<std::function<void()>> callbacks;
    {
        std::lock_guard lock(m_mutex);
        callbacks.reserve(m_viewers.size());
        for (const auto& [id, viewer] : m_viewers)
            callbacks.push_back(viewer.frameReady);
    }
    for (const auto& frameReady : callbacks)
        frameReady();
    // The copies go within the round: nothing a viewer gave outlives its remove().
}
