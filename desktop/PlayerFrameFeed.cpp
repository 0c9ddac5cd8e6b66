#include "PlayerFrameFeed.h"

PlayerFrameFeed::~PlayerFrameFeed()
{
    // The source calls this feed back until it lets go of it here.
    setSource(nullptr);
}

std::unique_ptr<VideoRenderer> PlayerFrameFeed::createRenderer(std::function<void()>, QString* error)
{
    *error = QStringLiteral("the player draws its frames in memory");
    return nullptr;
}

std::shared_ptr<SoftwareFrameFeed> PlayerFrameFeed::softwareFeed() const
{
    return std::const_pointer_cast<PlayerFrameFeed>(shared_from_this());
}

quint64 PlayerFrameFeed::addViewer(std::function<void()> frameReady) { return m_viewers.add(std::move(frameReady)); }

void PlayerFrameFeed::setViewerSize(quint64 viewer, QSize pixels)
{
    if (m_viewers.setSize(viewer, pixels))
        updateSourceSize();
}

void PlayerFrameFeed::removeViewer(quint64 viewer)
{
    m_viewers.remove(viewer);
    updateSourceSize();
}

SoftwareFrame PlayerFrameFeed::latestFrame() const
{
    std::lock_guard lock(m_mutex);
    if (m_held || !m_source)
        return m_shown;
    const SoftwareFrame latest = m_source->latestFrame();
    if (latest.serial != 0 && (latest.serial != m_shownSourceSerial || m_source.get() != m_shownSource)) {
        m_shown = { latest.image, m_shown.serial + 1, latest.pages, latest.due };
        m_shownSource = m_source.get();
        m_shownSourceSerial = latest.serial;
    }
    return m_shown;
}

void PlayerFrameFeed::setSource(std::shared_ptr<SoftwareFrameFeed> source)
{
    std::shared_ptr<SoftwareFrameFeed> previous;
    quint64 previousViewer = 0;
    {
        std::lock_guard lock(m_mutex);
        if (source == m_source)
            return;
        previous = std::exchange(m_source, nullptr);
        previousViewer = std::exchange(m_sourceViewer, 0);
    }
    // Outside the lock: the source waits for a call to frameReady() under way,
    // which takes it. After that it calls this feed no more.
    if (previous)
        previous->removeViewer(previousViewer);
    if (!source)
        return;
    // The source never owns this feed: it ends its calls before the feed goes.
    const quint64 viewer = source->addViewer([this] { frameReady(); });
    {
        std::lock_guard lock(m_mutex);
        m_source = std::move(source);
        m_sourceViewer = viewer;
    }
    updateSourceSize();
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
    {
        std::lock_guard lock(m_mutex);
        if (m_held)
            return;
    }
    m_viewers.notifyAll();
}

void PlayerFrameFeed::updateSourceSize()
{
    std::lock_guard lock(m_mutex);
    if (m_source)
        m_source->setViewerSize(m_sourceViewer, m_viewers.largestSize());
}
