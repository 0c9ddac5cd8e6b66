#include "PlayerFrameFeed.h"

std::unique_ptr<VideoRenderer> PlayerFrameFeed::createRenderer(std::function<void()>, QString* error)
{
    *error = QStringLiteral("the player draws its frames in memory");
    return nullptr;
}

std::shared_ptr<SoftwareFrameFeed> PlayerFrameFeed::softwareFeed() const
{
    return std::const_pointer_cast<PlayerFrameFeed>(shared_from_this());
}

quint64 PlayerFrameFeed::addViewer(std::function<void()> frameReady)
{
    std::lock_guard lock(m_mutex);
    const quint64 id = m_nextViewer++;
    m_viewers[id] = { std::move(frameReady), QSize() };
    return id;
}

void PlayerFrameFeed::setViewerSize(quint64 viewer, QSize pixels)
{
    std::lock_guard lock(m_mutex);
    if (const auto found = m_viewers.find(viewer); found != m_viewers.end()) {
        found->second.size = pixels;
        updateSourceSizeLocked();
    }
}

void PlayerFrameFeed::removeViewer(quint64 viewer)
{
    std::lock_guard lock(m_mutex);
    m_viewers.erase(viewer);
    updateSourceSizeLocked();
}

SoftwareFrame PlayerFrameFeed::latestFrame() const
{
    std::lock_guard lock(m_mutex);
    if (m_held || !m_source)
        return m_shown;
    const SoftwareFrame latest = m_source->latestFrame();
    if (latest.serial != 0 && (latest.serial != m_shownSourceSerial || m_source.get() != m_shownSource)) {
        m_shown = { latest.image, m_shown.serial + 1 };
        m_shownSource = m_source.get();
        m_shownSourceSerial = latest.serial;
    }
    return m_shown;
}

void PlayerFrameFeed::setSource(std::shared_ptr<SoftwareFrameFeed> source)
{
    std::lock_guard lock(m_mutex);
    if (source == m_source)
        return;
    if (m_source)
        m_source->removeViewer(m_sourceViewer);
    m_source = std::move(source);
    m_sourceViewer = 0;
    if (!m_source)
        return;
    m_sourceViewer = m_source->addViewer([weak = weak_from_this()] {
        if (const std::shared_ptr<PlayerFrameFeed> feed = weak.lock())
            feed->frameReady();
    });
    updateSourceSizeLocked();
}

void PlayerFrameFeed::setHeld(bool held)
{
    {
        std::lock_guard lock(m_mutex);
        if (held == m_held)
            return;
        m_held = held;
    }
    // Released: the views catch up with whatever came meanwhile.
    if (!held)
        frameReady();
}

void PlayerFrameFeed::frameReady()
{
    std::vector<std::function<void()>> callbacks;
    {
        std::lock_guard lock(m_mutex);
        if (m_held)
            return;
        for (const auto& [id, viewer] : m_viewers)
            callbacks.push_back(viewer.frameReady);
    }
    for (const auto& callback : callbacks)
        callback();
}

void PlayerFrameFeed::updateSourceSizeLocked()
{
    if (!m_source)
        return;
    QSize size;
    for (const auto& [id, viewer] : m_viewers)
        size = size.expandedTo(viewer.size);
    m_source->setViewerSize(m_sourceViewer, size);
}
