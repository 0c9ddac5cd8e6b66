#include "DirectFramePath.h"

#include "VideoFrameSource.h"
#include "XShmWindowOutput.h"

void DirectFramePath::aim(std::optional<Aim> aim)
{
    std::lock_guard lock(m_mutex);
    if (aim)
        m_lastSerial = aim->shownSerial;
    m_aim = std::move(aim);
}

bool DirectFramePath::offer(const SoftwareFrameFeed* feed)
{
    std::lock_guard lock(m_mutex);
    if (!m_aim || m_aim->feed != feed)
        return false;
    if (m_sceneRenders) {
        // Put now, it could reach the window before the scene's older frame does.
        m_waiting = true;
        return true;
    }
    return putNewest();
}

void DirectFramePath::holdForScene()
{
    std::lock_guard lock(m_mutex);
    m_sceneRenders = true;
}

void DirectFramePath::releaseAfterScene()
{
    std::lock_guard lock(m_mutex);
    m_sceneRenders = false;
    if (std::exchange(m_waiting, false) && m_aim)
        putNewest();
}

bool DirectFramePath::putNewest()
{
    const SoftwareFrame frame = m_aim->feed->latestFrame();
    if (frame.serial == m_lastSerial)
        return true;
    if (frame.image.size() != m_aim->frameSize || !m_aim->output->put(frame, m_aim->source, m_aim->target)) {
        // A frame of another size, or one the server cannot read: the scene takes over until the next sync.
        m_aim.reset();
        return false;
    }
    m_lastSerial = frame.serial;
    m_bypassed = true;
    if (m_aim->framesShown)
        ++*m_aim->framesShown;
    return true;
}

bool DirectFramePath::takeBypassed()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_bypassed, false);
}
