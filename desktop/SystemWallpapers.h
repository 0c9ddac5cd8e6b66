#pragma once

#include "DelayedTasks.h"
#include "Displays.h"
#include "ScreenModel.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

class DesktopPicture;
class LantoSettings;
class SystemCommands;

// The system's own desktop picture of each display, as the desktop display
// manages it: the pictures saved before the first show and put back on
// removal (before macOS 26 only), the poster of a video set as the picture so
// that the menu bar takes on its tint, still pictures set with a restart of
// the image extension, and the aerial re-stamp after a picture change.
// Main thread only.
class SystemWallpapers
{
public:
    // What a still-picture display should show: its display and the picture.
    using PendingPicture = std::pair<ConnectedDisplay, QUrl>;

    SystemWallpapers(const Displays& displays, DesktopPicture& desktopPicture, SystemCommands& commands,
        LantoSettings& settings, Scheduler& scheduler);

    // Has the lock-screen aerial stamped again; empty until the aerial side wires it.
    void setRestampActiveAerial(std::function<void()> restamp) { m_restampActiveAerial = std::move(restamp); }

    // Each display's picture from before the program first covered it.
    const QMap<QString, QUrl>& savedSystemWallpapers() const { return m_saved; }
    // Remembers every connected display's picture, unless pictures are saved already.
    void snapshotSystemWallpapers();
    // Puts every saved picture back (before macOS 26) and forgets them all.
    void restoreSystemWallpapers();
    // The same for one display, which must be connected to get its picture back.
    void restoreSystemWallpaper(const QString& screenId);

    // The video's poster as the system picture: on macOS 26 on the main display
    // only, before it on every given display (all when none are given).
    void applyMenuBarTint(const QUrl& videoURL, const std::optional<QList<ConnectedDisplay>>& screens);
    // A fresh copy of the video's poster named "DesktopImage.png" beside it.
    std::optional<QUrl> desktopImageFromPoster(const QUrl& videoURL);
    // "Poster.png" beside the video when it exists; logs when it does not.
    static std::optional<QUrl> posterFallbackURL(const QUrl& videoURL);

    void setSystemWallpaper(const QUrl& pictureURL, const ConnectedDisplay& screen, const QString& screenId);
    // Before macOS 26 sets an empty picture on each display.
    void clearSystemWallpapers(const QList<ConnectedDisplay>& screens);
    // Asks the image extension to quit, so that the system restarts it with the new picture.
    void restartWallpaperImageExtension();

    // A still picture shown: clear the displays, set it 0.5 s later, restart the extension 0.3 s after that.
    void scheduleSystemWallpaperUpdate(const QUrl& pictureURL, const QList<ConnectedDisplay>& screens);
    // The same for pictures that differ by display, as a refresh finds them.
    void applyPendingSystemWallpapers(const QList<PendingPicture>& pictures);
    // Brings every connected display's system picture in line with what its
    // record says it shows, after start-up, a wake or a display change.
    void refresh(const ScreenModelMap& records);
    // Re-stamps the aerial 1.5 s from now, after a refresh or a tint.
    void restampAfterRefresh();
    void scheduleRestampAfterTint();

    // The connected display with that id.
    std::optional<ConnectedDisplay> screen(const QString& screenId) const;

private:
    void restoreOn(const ConnectedDisplay& screen, const QUrl& saved);
    void restampLater(const QString& line);

    const Displays& m_displays;
    DesktopPicture& m_desktopPicture;
    SystemCommands& m_commands;
    LantoSettings& m_settings;
    DelayedTasks m_tasks;
    std::function<void()> m_restampActiveAerial;
    QMap<QString, QUrl> m_saved;
};
