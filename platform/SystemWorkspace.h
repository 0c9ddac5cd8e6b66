#pragma once

#include "Workspace.h"

#include <QDBusConnection>
#include <QString>

#include <chrono>

class ApplicationExitWatcher;
class DistributedNotifications;
class EwmhMonitor;
class Displays;
class LogindMonitor;
class PowerProfile;
class PowerSupply;
class ReduceMotion;
class UPowerBattery;

// Where SystemWorkspace reads the machine's state; tests point it at fakes.
struct SystemWorkspaceSources
{
    QString powerSupplyFolder = QStringLiteral("/sys/class/power_supply");
    QDBusConnection systemBus = QDBusConnection::systemBus();
    QDBusConnection sessionBus = QDBusConnection::sessionBus();
    std::chrono::milliseconds applicationCheckInterval { 2000 };
    // The X display whose window manager reports workspaces and full-screen windows; empty: $DISPLAY.
    QString x11Display;
};

// The workspace fed by this machine: logind for sleep, wake, screen lock and
// session switches, UPower for the battery (the kernel's power-supply folder
// where UPower does not answer), the power-profiles daemon for low power mode, the desktop portal for reduce
// motion, the window manager (EWMH, on X11) for workspace switches and
// full-screen windows, the display list for display changes, and the process
// list for applications that end.
//
// Screen lock and unlock also reach the distributed notices as the system's
// "com.apple.screenIsLocked" and "com.apple.screenIsUnlocked", in this process
// only. Going to sleep also puts the screens to sleep, as on the programs'
// home platform; the session counts as inactive while the screen is locked.
// The displays, applications and notices must outlive the workspace.
class SystemWorkspace final : public Workspace
{
    Q_OBJECT

public:
    using Sources = SystemWorkspaceSources;

    SystemWorkspace(const Displays& displays, const RunningApplications& applications,
        DistributedNotifications& notices, const Sources& sources = Sources(), QObject* parent = nullptr);
    ~SystemWorkspace() override;

protected:
    // The process list is looked at only while someone listens for ended
    // applications (a listener that is destroyed rather than disconnected
    // leaves it looking, as Qt tells the sender nothing then).
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

private:
    void wireSleep();
    void wireSession(DistributedNotifications& notices);
    void wirePower();
    void wireWindowManager();
    void updateSessionActive();
    void updateOnBattery();

    LogindMonitor* m_logind;
    PowerSupply* m_powerSupply;
    UPowerBattery* m_upower;
    PowerProfile* m_powerProfile;
    ReduceMotion* m_reduceMotion;
    ApplicationExitWatcher* m_exitWatcher;
    EwmhMonitor* m_windowManager;
    bool m_locked = false;
    bool m_switchedAway = false;
    bool m_sessionActive = true;
};
