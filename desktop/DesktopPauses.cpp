#include "DesktopPauses.h"

#include "DesktopVideoPlayer.h"
#include "LantoSettings.h"

namespace {

constexpr PauseReasons desktopReasons = PauseReason::sleep | PauseReason::lock | PauseReason::cover;

} // namespace

void DesktopPauses::apply(const DesktopWindows& windows, const VideoPlayers& players) const
{
    for (const auto& [id, player] : players)
        applyTo(id, windows, *player);
}

void DesktopPauses::hold(const DesktopWindows& windows, const VideoPlayers& players) const
{
    for (const auto& [id, player] : players)
        player->setPauseReasons(desktopReasons, player->pauseReasons() | reasonsFor(id, windows));
}

void DesktopPauses::applyTo(const QString& screenId, const DesktopWindows& windows, DesktopVideoPlayer& player) const
{
    player.setPauseReasons(desktopReasons, reasonsFor(screenId, windows));
}

void DesktopPauses::resumeUnheld(const VideoPlayers& players, const HasVideo& hasVideo)
{
    for (const auto& [id, player] : players) {
        if (!player->pauseReasons() && hasVideo(id))
            player->resume();
    }
}

PauseReasons DesktopPauses::reasonsFor(const QString& screenId, const DesktopWindows& windows) const
{
    PauseReasons reasons = m_everywhere;
    // With the setting off, nothing stays paused for being covered.
    if (isCovered(windows, screenId) && m_settings.boolValue(SettingsKey::pauseOnFullscreen, false))
        reasons |= PauseReason::cover;
    return reasons;
}

bool DesktopPauses::isCovered(const DesktopWindows& windows, const QString& screenId)
{
    const auto window = windows.find(screenId);
    if (window == windows.end())
        return false;
    // A window about to be shown under a full-screen window counts as covered
    // already, so its new video does not start playing first.
    const DesktopWindow& shown = *window->second;
    return shown.isCoveredByFullScreen() || (shown.isVisible() && !shown.isOcclusionVisible());
}
