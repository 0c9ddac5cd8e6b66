#pragma once

#include "AerialKeeper.h"
#include "AgentAerialState.h"
#include "AgentEnvironment.h"
#include "MainAppWatcher.h"

#include <QObject>

// The agent's application delegate: reads the aerial state, starts the
// loopback server, decides at start-up whether to stamp or to defer to Lanto,
// hands the lock-screen duties over to Lanto and takes them back, and answers
// sleep, wake, lock, unlock and display changes, each yielding while Lanto
// runs. The keeping itself is the AerialKeeper's. Main thread.
class AgentDelegate final : public QObject
{
    Q_OBJECT

public:
    explicit AgentDelegate(const AgentEnvironment& environment, QObject* parent = nullptr);

    // The start-up, once the event loop runs.
    void start();

    // Whether Lanto runs and owns the lock-screen duties.
    bool isMainAppActive() const { return m_mainAppActive; }

private:
    void loadState();
    bool isMainAppRunning() const;
    void registerIPCObservers();
    void registerSystemObservers();
    void waitForIndexPlist();
    // Take-over from Lanto: keeping again, from what Lanto left on disk.
    void reclaim();
    void repair();
    // Logs the yield message and answers true while Lanto runs.
    bool yields(const char* message) const;

    void handleMainAppLaunched();
    void handleMainAppWillTerminate();
    void handleAppTerminated(const RunningApplication& application);
    void handleWillSleep();
    void handleWake();
    void handleScreenLocked();
    void handleUnlock();
    void handleScreenChange();

    const AgentEnvironment m_environment;
    AgentAerialState m_state;
    bool m_mainAppActive = false;
    AerialKeeper m_keeper;
    MainAppWatcher m_mainAppWatcher;
};
