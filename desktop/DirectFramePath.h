#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

class SoftwareFrameFeed;
class XShmWindowOutput;

// Which feed's new frames a video view puts straight into its window, from
// the thread that draws them, rather than through a scene graph frame: no
// wake-up of the GUI thread, no pass over the scene, no copy into the
// backing store. Aimed at one feed during the scene graph's sync, while the
// view is opaque, fills its window and has shown that feed's frame; any
// frame that does not fit the aim goes through the scene as before.
//
// Direct frames and the scene's reach the window in the order they were
// drawn: while the scene renders a frame, new ones wait, and the newest goes
// out once the scene's frame is in the window. That holds for the frame
// during whose sync the path is first aimed too: a window's first, which the
// X server takes longest to show.
class DirectFramePath
{
public:
    struct Aim
    {
        std::shared_ptr<XShmWindowOutput> output;
        const SoftwareFrameFeed* feed = nullptr;
        // The frames' size and the part of them that fills the view.
        QSize frameSize;
        QRect source;
        QPoint target;
        // The serial of the frame the scene shows: only newer ones go out.
        quint64 shownSerial = 0;
        std::atomic<quint64>* framesShown = nullptr;
    };

    // During the sync; none sends every frame through the scene.
    void aim(std::optional<Aim> aim);

    // On the feed's frameReady, any thread. False: the frame goes through the scene.
    bool offer(const SoftwareFrameFeed* feed);

    // Before and after the scene renders a frame of the window, on the thread
    // that renders it. Frames offered in between go out after it.
    void holdForScene();
    void releaseAfterScene();

    // Whether frames went straight out since last asked, so that the scene's own copy is behind.
    bool takeBypassed();

private:
    // The feed's newest frame, when it is newer than the last one shown. False: it does not fit the aim.
    bool putNewest();

    std::mutex m_mutex;
    std::optional<Aim> m_aim;
    quint64 m_lastSerial = 0;
    bool m_bypassed = false;
    // A path is made during the sync of a scene frame: frames wait for that one too.
    bool m_sceneRenders = true;
    bool m_waiting = false;
};
