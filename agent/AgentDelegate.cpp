#include "AgentDelegate.h"

#include "AerialAssetServer.h"
#include "AgentDesktop.h"
#include "AgentLog.h"
#include "DistributedNotifications.h"
#include "SystemVersion.h"
#include "SystemWallpaper.h"
#include "Workspace.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace std::chrono_literals;

namespace {

constexpr int indexPlistChecks = 10;
constexpr auto indexPlistCheckInterval = 1s;
constexpr auto screenChangeDelay = 1s;

} // namespace

AgentDelegate::AgentDelegate(const AgentEnvironment& environment, QObject* parent)
    : QObject(parent),
      m_environment(environment),
      m_keeper(m_environment, m_state, m_mainAppActive),
      m_mainAppWatcher(environment.applications)
{
}

void AgentDelegate::start()
{
    AgentLog::agent.info(QStringLiteral("Started — PID %1").arg(QCoreApplication::applicationPid()));
    loadState();
    m_environment.server.start();
    m_mainAppActive = isMainAppRunning();
    if (m_mainAppActive)
        m_mainAppWatcher.watch();
    registerIPCObservers();

    if (!m_state.isSet()) {
        AgentLog::agent.info(QStringLiteral("No active lock screen wallpaper — monitoring for changes"));
    } else {
        AgentLog::agent.info(
            QStringLiteral("Active aerial: %1 — mainAppActive=%2")
                .arg(*m_state.aerialID, m_mainAppActive ? QStringLiteral("true") : QStringLiteral("false")));
        if (m_mainAppActive) {
            AgentLog::agent.info(QStringLiteral("Main app running at boot — deferring initial stamp to Lanto.app"));
        } else {
            waitForIndexPlist();
            const bool reinjected = m_keeper.ensureEntries();
            if (m_keeper.stampWithRetry() && reinjected) {
                m_keeper.kill(SystemWallpaper::wallpaperAgent);
                m_keeper.kill(SystemWallpaper::aerialsExtension);
            }
        }
    }

    registerSystemObservers();
    m_keeper.startManifestMonitor();
    m_keeper.startManifestDirectoryMonitor();
    m_keeper.startVerifyTimer();
    m_environment.desktop.start();
}

void AgentDelegate::loadState() { m_state.load(m_keeper.settingsPlistPath()); }

bool AgentDelegate::isMainAppRunning() const
{
    const QList<RunningApplication> running = m_environment.applications.runningApplications();
    return std::any_of(running.cbegin(), running.cend(),
        [](const RunningApplication& application) { return application.bundleIdentifier == BundleIdentifiers::lanto; });
}

void AgentDelegate::registerIPCObservers()
{
    DistributedNotifications& notices = m_environment.notifications;
    notices.observe(DistributedNotificationNames::appLaunched, this, [this] { handleMainAppLaunched(); });
    notices.observe(DistributedNotificationNames::appWillTerminate, this, [this] { handleMainAppWillTerminate(); });
    connect(&m_environment.workspace, &Workspace::applicationDidTerminate, this, &AgentDelegate::handleAppTerminated);
    // The workspace looks at the process list now and then; the watcher tells at once.
    connect(&m_mainAppWatcher, &MainAppWatcher::terminated, this, &AgentDelegate::handleAppTerminated);
    AgentLog::agent.info(
        QStringLiteral("Registered IPC observers (appLaunched / appWillTerminate / workspace-terminate)"));
}

void AgentDelegate::registerSystemObservers()
{
    Workspace& workspace = m_environment.workspace;
    connect(&workspace, &Workspace::willSleep, this, &AgentDelegate::handleWillSleep);
    connect(&workspace, &Workspace::didWake, this, &AgentDelegate::handleWake);
    m_environment.notifications.observe(
        DistributedNotificationNames::screenIsLocked, this, [this] { handleScreenLocked(); });
    m_environment.notifications.observe(
        DistributedNotificationNames::screenIsUnlocked, this, [this] { handleUnlock(); });
    connect(&workspace, &Workspace::screenParametersChanged, this, &AgentDelegate::handleScreenChange);
    AgentLog::agent.info(QStringLiteral("Registered wake/unlock/screen-change observers"));
}

void AgentDelegate::waitForIndexPlist()
{
    const QString store = m_keeper.paths().indexPlist;
    if (QFileInfo::exists(store))
        return;
    AgentLog::agent.info(QStringLiteral("Waiting for Index.plist to appear..."));
    m_environment.sleep(indexPlistCheckInterval);
    for (int check = 2; check <= indexPlistChecks; ++check) {
        if (QFileInfo::exists(store))
            return;
        m_environment.sleep(indexPlistCheckInterval);
    }
    AgentLog::agent.error(QStringLiteral("Index.plist not found after 10s — proceeding"));
}

// MARK: Hand-over

void AgentDelegate::handleMainAppLaunched()
{
    m_mainAppWatcher.watch();
    if (m_mainAppActive)
        return;
    AgentLog::agent.info(QStringLiteral("IPC appLaunched — yielding lock-screen duties to Lanto.app"));
    m_mainAppActive = true;
}

void AgentDelegate::handleMainAppWillTerminate()
{
    AgentLog::agent.info(QStringLiteral("IPC appWillTerminate — reclaiming lock-screen duties"));
    reclaim();
}

void AgentDelegate::handleAppTerminated(const RunningApplication& application)
{
    // Lanto posts its notice before it ends; without one it crashed or was forced to quit.
    if (application.bundleIdentifier != BundleIdentifiers::lanto || !m_mainAppActive)
        return;
    AgentLog::agent.info(QStringLiteral("NSWorkspace detected main-app termination (crash/force-quit?) — reclaiming"));
    reclaim();
}

void AgentDelegate::reclaim()
{
    m_mainAppActive = false;
    repair();
}

// Reloads the state and repairs the manifest before the store.
void AgentDelegate::repair()
{
    loadState();
    if (!m_state.aerialID)
        return;
    m_keeper.ensureEntries();
    m_keeper.stampAndRestart();
}

// MARK: System events

bool AgentDelegate::yields(const char* message) const
{
    if (m_mainAppActive)
        AgentLog::agent.info(QString::fromUtf8(message));
    return m_mainAppActive;
}

void AgentDelegate::handleWillSleep()
{
    if (yields("willSleep: main app active — yielding") || !m_state.isSet())
        return;
    AgentLog::agent.info(QStringLiteral("willSleep — stamping + killing WA to prevent SIGTERM clobber"));
    if (m_keeper.stamp(*m_state.aerialID, *m_state.displayUUID))
        m_keeper.kill(SystemWallpaper::wallpaperAgent);
}

void AgentDelegate::handleWake()
{
    if (yields("Wake: main app active — yielding"))
        return;
    AgentLog::agent.info(QStringLiteral("Wake detected — verifying aerial config"));
    repair();
}

void AgentDelegate::handleScreenLocked()
{
    if (yields("Lock: main app active — yielding"))
        return;
    m_environment.desktop.blackOutOtherDisplays();
    if (SystemVersion::isAtLeast(26))
        m_keeper.stampAndRestart();
}

void AgentDelegate::handleUnlock()
{
    if (yields("Unlock: main app active — yielding"))
        return;
    m_environment.desktop.restoreOtherDisplays();
    if (SystemVersion::isAtLeast(26) || !m_state.isSet()
        || m_keeper.storeHasAerial(*m_state.aerialID, *m_state.displayUUID))
        return;
    AgentLog::agent.error(QStringLiteral("Plist lost aerial config on unlock — restoring"));
    repair();
}

void AgentDelegate::handleScreenChange()
{
    m_keeper.runAfter(screenChangeDelay, [this] {
        if (!yields("ScreenChange: main app active — yielding"))
            repair();
    });
}
