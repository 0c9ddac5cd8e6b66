#pragma once

#include "FrameViewers.h"
#include "VideoFrameSource.h"

#include <memory>
#include <mutex>

// The software path's frames as one player's views see them. The player may
// move to another playback's frames (after a seek of its own) and may hold its
// last frame while the playback it shares plays on (while it is paused): its
// views notice neither, and never lose their picture in between. It stops
// viewing its source when it goes, so the source draws only at the sizes
// still asked for.
class PlayerFrameFeed final : public VideoFrameSource,
                              public SoftwareFrameFeed,
                              public std::enable_shared_from_this<PlayerFrameFeed>
{
public:
    ~PlayerFrameFeed() override;

    std::unique_ptr<VideoRenderer> createRenderer(std::function<void()> frameReady, QString* error) override;
    std::shared_ptr<SoftwareFrameFeed> softwareFeed() const override;

    quint64 addViewer(std::function<void()> frameReady) override;
    void setViewerSize(quint64 viewer, QSize pixels) override;
    void removeViewer(quint64 viewer) override;
    SoftwareFrame latestFrame() const override;

    // The frames shown from now on; null shows the last frame until another
    // source comes. One thread at a time (the player's).
    void setSource(std::shared_ptr<SoftwareFrameFeed> source);
    // While held, the views keep the frame they have and hear of no new one.
    void setHeld(bool held);

private:
    void frameReady();
    void updateSourceSize();

    FrameViewers m_viewers;
    mutable std::mutex m_mutex;
    std::shared_ptr<SoftwareFrameFeed> m_source;
    quint64 m_sourceViewer = 0;
    bool m_held = false;
    // The last frame handed out, renumbered in this feed's own order.
    mutable SoftwareFrame m_shown;
    mutable const void* m_shownSource = nullptr;
    mutable quint64 m_shownSourceSerial = 0;
};
