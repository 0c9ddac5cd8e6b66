#include "SystemWorkspace.h"

#include "ApplicationExitWatcher.h"
#include "Displays.h"
#include "DistributedNotifications.h"
#include "EwmhMonitor.h"
#include "LogindMonitor.h"
#include "PowerProfile.h"
#include "PowerSupply.h"
#include "ReduceMotion.h"
#include "UPowerBattery.h"

#include <QMetaMethod>

SystemWorkspace::SystemWorkspace(const Displays& displays, const RunningApplications& applications,
    DistributedNotifications& notices, const Sources& sources, QObject* parent)
    : Workspace(parent),
      m_logind(new LogindMonitor(sources.systemBus, this)),
      m_powerSupply(new PowerSupply(sources.powerSupplyFolder, this)),
      m_upower(new UPowerBattery(sources.systemBus, this)),
      m_powerProfile(new PowerProfile(sources.systemBus, this)),
      m_reduceMotion(new ReduceMotion(sources.sessionBus, this)),
      m_exitWatcher(new ApplicationExitWatcher(applications, sources.applicationCheckInterval, this)),
      m_windowManager(new EwmhMonitor(sources.x11Display, this))
{
    connect(&displays, &Displays::displaysChanged, this, &Workspace::raiseScreenParametersChanged);
    connect(m_exitWatcher, &ApplicationExitWatcher::terminated, this, &Workspace::raiseApplicationDidTerminate);
    connect(m_reduceMotion, &ReduceMotion::changed, this, &Workspace::setReduceMotion);
    wireSleep();
    wireSession(notices);
    wirePower();
    wireWindowManager();
    m_exitWatcher->setWatching(false);
}

SystemWorkspace::~SystemWorkspace() = default;

void SystemWorkspace::connectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&Workspace::applicationDidTerminate))
        m_exitWatcher->setWatching(true);
}

void SystemWorkspace::disconnectNotify(const QMetaMethod& signal)
{
    // An invalid method: everything was disconnected at once. Asked later:
    // the connection lock is held while this runs.
    if (!signal.isValid() || signal == QMetaMethod::fromSignal(&Workspace::applicationDidTerminate)) {
        QMetaObject::invokeMethod(this, [this] {
            m_exitWatcher->setWatching(isSignalConnected(QMetaMethod::fromSignal(&Workspace::applicationDidTerminate)));
        }, Qt::QueuedConnection);
    }
}

void SystemWorkspace::wireSleep()
{
    connect(m_logind, &LogindMonitor::willSleep, this, [this] {
        raiseWillSleep();
        raiseScreensDidSleep();
    });
    connect(m_logind, &LogindMonitor::didWake, this, [this] {
        // The supply may have changed while the machine slept.
        m_powerSupply->refresh();
        raiseDidWake();
        raiseScreensDidWake();
    });
}

void SystemWorkspace::wireSession(DistributedNotifications& notices)
{
    connect(m_logind, &LogindMonitor::screenLocked, this, [this, &notices] {
        m_locked = true;
        notices.deliver(DistributedNotificationNames::screenIsLocked);
        updateSessionActive();
    });
    connect(m_logind, &LogindMonitor::screenUnlocked, this, [this, &notices] {
        m_locked = false;
        updateSessionActive();
        notices.deliver(DistributedNotificationNames::screenIsUnlocked);
    });
    connect(m_logind, &LogindMonitor::sessionResignedActive, this, [this] {
        m_switchedAway = true;
        updateSessionActive();
    });
    connect(m_logind, &LogindMonitor::sessionBecameActive, this, [this] {
        m_switchedAway = false;
        updateSessionActive();
    });
}

void SystemWorkspace::updateSessionActive()
{
    const bool active = !m_locked && !m_switchedAway;
    if (std::exchange(m_sessionActive, active) == active)
        return;
    if (active)
        raiseSessionDidBecomeActive();
    else
        raiseSessionDidResignActive();
}

void SystemWorkspace::wirePower()
{
    updateOnBattery();
    connect(m_powerSupply, &PowerSupply::onBatteryChanged, this, &SystemWorkspace::updateOnBattery);
    connect(m_upower, &UPowerBattery::changed, this, &SystemWorkspace::updateOnBattery);
    connect(m_powerProfile, &PowerProfile::lowPowerModeChanged, this, &Workspace::setLowPowerMode);
}

void SystemWorkspace::updateOnBattery()
{
    // UPower knows batteries the kernel's folder does not describe plainly; the folder is the fallback.
    setOnBattery(m_upower->isOnBattery().value_or(m_powerSupply->isOnBattery()));
}

void SystemWorkspace::wireWindowManager()
{
    setFullScreenWindowFrame(m_windowManager->fullScreenWindowFrame());
    connect(m_windowManager, &EwmhMonitor::fullScreenWindowChanged, this, &Workspace::setFullScreenWindowFrame);
    connect(m_windowManager, &EwmhMonitor::currentDesktopChanged, this, &Workspace::raiseActiveSpaceDidChange);
}
