#include "AerialManager.h"

#include "AerialManagerLog.h"
#include "DistributedNotifications.h"
#include "Workspace.h"

// Which notices the manager follows while an aerial is placed; what they do is in AerialManager.cpp.

using namespace std::chrono_literals;

namespace {

void log(const QString& text) { AerialManagerLog::write(text); }

} // namespace

void AerialManager::registerAllObservers()
{
    registerObservers();
    if (!m_screenChangeObserverRegistered)
        registerScreenChangeObserver();
}

void AerialManager::registerObservers()
{
    if (m_unlockObserverRegistered)
        return;
    m_unlockObserverRegistered = true;
    // Notices arrive on the main thread; their work runs on the background scheduler.
    const auto handleLater = [this](void (AerialManager::*handler)()) {
        return [this, handler] { runLater(0ms, [this, handler] { (this->*handler)(); }); };
    };
    m_observerConnections = {
        m_notifications.observe(
            DistributedNotificationNames::screenIsLocked, this, handleLater(&AerialManager::handleScreenLocked)),
        m_notifications.observe(
            DistributedNotificationNames::screenIsUnlocked, this, handleLater(&AerialManager::handleScreenUnlocked)),
        connect(&m_workspace, &Workspace::willSleep, this, handleLater(&AerialManager::handleWillSleep)),
        connect(&m_workspace, &Workspace::screensDidWake, this, handleLater(&AerialManager::handleDisplayWake)),
        connect(&m_workspace, &Workspace::didWake, this, handleLater(&AerialManager::handleDisplayWake)),
    };
    log(QStringLiteral("Registered lock/unlock/wake observers"));
}

void AerialManager::unregisterObservers()
{
    if (!m_unlockObserverRegistered)
        return;
    m_unlockObserverRegistered = false;
    for (const QMetaObject::Connection& connection : std::as_const(m_observerConnections))
        disconnect(connection);
    m_observerConnections.clear();
    log(QStringLiteral("Unregistered lock/unlock/wake observers"));
}

void AerialManager::registerScreenChangeObserver()
{
    m_screenChangeObserverRegistered = true;
    m_screenChangeConnection = connect(&m_workspace, &Workspace::screenParametersChanged, this, [this] {
        // The display list is read here, on the main thread, before the work moves off it.
        refreshDisplays();
        runLater(0ms, [this] { handleScreenConfigurationChanged(); });
    });
    log(QStringLiteral("Registered screen change observer"));
}

void AerialManager::unregisterScreenChangeObserver()
{
    m_screenChangeObserverRegistered = false;
    disconnect(m_screenChangeConnection);
    log(QStringLiteral("Unregistered screen change observer"));
}
