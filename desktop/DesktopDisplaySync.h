#pragma once

#include "DesktopPauses.h"
#include "DelayedTasks.h"

#include <QObject>

class DesktopWindowController;

// Keeps the desktop controller's windows in line with the displays: a window
// and a record per attached display, the launch restore, and what follows
// display changes, sleep, wake, the session, Spaces and occlusion, with a
// second look shortly after each change the system reports too early.
// Owned by the controller, which it reaches into; main thread only.
class DesktopDisplaySync : public QObject
{
public:
    DesktopDisplaySync(DesktopWindowController& controller, Scheduler& scheduler);

    // Watches the system, makes a window per display, brings back the
    // wallpapers that were showing and refreshes the system pictures.
    void start();

    // Makes or updates a window and record for every attached display, drops
    // those of displays gone, and shows the recorded wallpaper on a display
    // that returned, unless a show is under way.
    void syncScreens();

    // Gives a player about to play on the display the pause reasons that hold there.
    void applyPauses(const QString& screenId, DesktopVideoPlayer& player) const;

private:
    void setupObservers();
    void restorePersistedWallpapers();
    void refreshSystemWallpapers();

    void handleScreenParametersChanged();
    void handleScreensDidSleep();
    void handleScreensDidWake();
    void handleSessionDidResignActive();
    void handleSessionDidBecomeActive();
    void handleScreenUnlocked();
    void handleUnlock();
    void handleWake();
    void handleActiveSpaceChange();
    void handleOcclusionChange(QObject* window);
    void applyPauses();
    void resyncAfterDisplayChange();

    DesktopWindowController& m_controller;
    bool m_isWaking = false;
    // Until the session becomes active or the screen is unlocked after the last
    // time the session went; true at start, when a lock may have come before us.
    bool m_unlockPending = true;
    // Set once the launch restore has run; shows of returning displays wait for it.
    bool m_started = false;
    DelayedTasks m_retries;
    DesktopPauses m_pauses;
};
