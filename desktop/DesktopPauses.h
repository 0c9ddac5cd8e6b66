#pragma once

#include "DesktopWindow.h"
#include "PauseReasons.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class DesktopVideoPlayer;
class LantoSettings;

// The pause reasons that one program's desktop sets on its players: sleep and
// lock on every display, and, under "pauseOnFullscreen", the cover of each
// display whose desktop window is covered (a full-screen window over it, or
// the window system not showing it). The players keep the reasons; this only
// tells them which hold, so a player that is new or whose display came back
// starts under them too. Both programs' desktop controllers keep one; main
// thread only.
class DesktopPauses
{
public:
    using VideoPlayers = std::map<QString, std::unique_ptr<DesktopVideoPlayer>>;
    // Whether the display's record has a video to resume.
    using HasVideo = std::function<bool(const QString& screenId)>;

    explicit DesktopPauses(LantoSettings& settings) : m_settings(settings) { }

    // Sleep or lock begins or ends, for every display; apply() passes it on.
    void setEverywhere(PauseReason reason, bool holds) { m_everywhere.setFlag(reason, holds); }
    PauseReasons everywhere() const { return m_everywhere; }

    // Tells every player the reasons that hold for its display now. A video
    // whose last reason ends resumes.
    void apply(const DesktopWindows& windows, const VideoPlayers& players) const;
    // As apply(), but a reason only comes, never goes: for videos about to
    // close, which may pause but must not play again meanwhile.
    void hold(const DesktopWindows& windows, const VideoPlayers& players) const;
    // The same for one player, before it plays on the display.
    void applyTo(const QString& screenId, const DesktopWindows& windows, DesktopVideoPlayer& player) const;
    // As after a wake: resumes every video that no reason holds and whose
    // display's record has one (a failed item is rebuilt).
    static void resumeUnheld(const VideoPlayers& players, const HasVideo& hasVideo);

private:
    PauseReasons reasonsFor(const QString& screenId, const DesktopWindows& windows) const;
    static bool isCovered(const DesktopWindows& windows, const QString& screenId);

    LantoSettings& m_settings;
    PauseReasons m_everywhere;
};
