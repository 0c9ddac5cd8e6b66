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
    const SoftwareFrame frame = feed->latestFrame();
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
