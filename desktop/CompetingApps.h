#pragma once

#include "RunningApplications.h"

#include <QList>

// The other live-wallpaper programs running beside ours: each puts its own
// windows at the desktop level and would fight with ours for it.
class CompetingApps
{
public:
    explicit CompetingApps(RunningApplications& runningApplications) : m_runningApplications(runningApplications) { }

    // Those running now, in the order listed.
    QList<RunningApplication> running() const;
    // Asks each of them to quit, forcing those that refuse; waits for none.
    void terminate();

private:
    RunningApplications& m_runningApplications;
};
