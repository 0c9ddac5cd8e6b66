#pragma once

#include "DelayedTasks.h"
#include "DesktopWindow.h"

#include <QString>

#include <map>
#include <memory>

class DesktopWindow;
class Scheduler;

// Keeps the desktop windows at the desktop level and in front of the system
// desktop picture while a wallpaper shows: a poll every 2.0 s that re-asserts
// the order when a shown window is not fully visible and ends once no window
// is shown, and a burst of re-assertions shortly after each show.
class WindowOrderKeeper
{
public:
    using Windows = DesktopWindows;

    // The windows are the controller's map, read at every tick.
    WindowOrderKeeper(const Windows& windows, Scheduler& scheduler);
    ~WindowOrderKeeper();

    // Level and order-front of every shown window; hidden ones are left alone.
    void reassertWindowLevels();
    static void reassertWindowLevels(const Windows& windows);
    // Order-front of every shown window, at the level it has.
    static void bringShownWindowsForward(const Windows& windows);
    bool hasVisibleWindow() const;

    // Starts the poll afresh, replacing a running one.
    void startZOrderPolling();
    void stopZOrderPolling();
    bool isZOrderPolling() const { return m_poll != nullptr; }
    // One tick of the poll.
    void pollZOrder();

    // Re-asserts 0.05, 0.15, 0.3, 0.6, 1.0 and 2.0 s from now, while a window is shown.
    void scheduleReassertions();

private:
    void scheduleNextTick();

    const Windows& m_windows;
    DelayedTasks m_reassertions;
    Scheduler& m_scheduler;
    WorkItemPtr m_poll;
};
