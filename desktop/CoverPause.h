#pragma once

#include "DesktopWindow.h"

#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class DesktopVideoPlayer;
class LantoSettings;
class Workspace;

// Under "pauseOnFullscreen", pauses the video of each display whose desktop
// window is covered (a full-screen window over it, or the window system not
// showing it), and resumes what it paused once that display is uncovered.
// Wake and unlock leave a covered display paused. Both programs' desktop
// controllers keep one; main thread only.
class CoverPause
{
public:
    using VideoPlayers = std::map<QString, std::unique_ptr<DesktopVideoPlayer>>;
    // Whether the display's record has a video to resume.
    using HasVideo = std::function<bool(const QString& screenId)>;

    explicit CoverPause(LantoSettings& settings) : m_settings(settings) { }

    // After any window's occlusion changed.
    void update(const DesktopWindows& windows, const VideoPlayers& players, const HasVideo& hasVideo);
    // The display's video stays paused for being covered.
    bool holds(const QString& screenId) const { return m_paused.contains(screenId); }
    // The players are gone.
    void clear() { m_paused.clear(); }

    // Keeps the window told whether the workspace's full-screen window covers it.
    static void followFullScreenWindow(DesktopWindow& window, Workspace& workspace);

private:
    static bool isCovered(const DesktopWindows& windows, const QString& screenId);

    LantoSettings& m_settings;
    QSet<QString> m_paused;
};
