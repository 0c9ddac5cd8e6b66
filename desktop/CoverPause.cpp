#include "CoverPause.h"

#include "DesktopVideoPlayer.h"
#include "LantoSettings.h"
#include "Workspace.h"

void CoverPause::update(const DesktopWindows& windows, const VideoPlayers& players, const HasVideo& hasVideo)
{
    // With the setting off, nothing stays paused for being covered.
    const bool pauseWhenCovered = m_settings.boolValue(SettingsKey::pauseOnFullscreen, false);
    for (const auto& [id, player] : players) {
        if (pauseWhenCovered && isCovered(windows, id)) {
            if (!m_paused.contains(id)) {
                m_paused.insert(id);
                player->pause();
            }
        } else if (m_paused.remove(id) && hasVideo(id)) {
            player->resume();
        }
    }
}

bool CoverPause::isCovered(const DesktopWindows& windows, const QString& screenId)
{
    const auto window = windows.find(screenId);
    if (window == windows.end() || !window->second->isVisible())
        return false;
    return !window->second->isOcclusionVisible() || window->second->isCoveredByFullScreen();
}

void CoverPause::followFullScreenWindow(DesktopWindow& window, Workspace& workspace)
{
    const auto follow = [&window, &workspace] {
        window.setCoveredByFullScreen(workspace.isCoveredByFullScreenWindow(window.geometry()));
    };
    QObject::connect(&workspace, &Workspace::fullScreenWindowChanged, &window, follow);
    follow();
}
