#include "LantoAppDelegate.h"

#include "DesktopLevelWindow.h"
#include "DistributedNotifications.h"
#include "LantoLinks.h"
#include "Log.h"
#include "RunningApplications.h"
#include "SystemCommands.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QWindow>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool isMinimized(const QWindow* window) { return window->windowStates().testFlag(Qt::WindowMinimized); }

void activate(QWindow* window)
{
    window->raise();
    window->requestActivate();
}

void endAgents(RunningApplications& applications)
{
    int killed = 0;
    for (const RunningApplication& application : applications.runningApplications()) {
        if (application.bundleIdentifier != BundleIdentifiers::lantoAgent)
            continue;
        applications.forceTerminate(application);
        ++killed;
    }
    if (killed > 0)
        Log::write(u"Lanto: Killed %1 stale LantoAgent process(es)"_s.arg(killed));
}

void startAgent(SystemCommands& commands, const QString& agent)
{
    const SystemCommands::Result started = commands.startDetached(agent, {});
    if (started.started)
        Log::write(u"Lanto: Launched LantoAgent via open(1)"_s);
    else
        Log::write(u"Lanto: Failed to launch LantoAgent — "_s + started.error);
}

} // namespace

LantoAppDelegate::LantoAppDelegate(Environment environment, const QStringList& arguments, QObject* parent)
    : QObject(parent),
      m_environment(std::move(environment)),
      m_isBackgroundLaunch(arguments.contains(u"--background"_s))
{
}

LantoAppDelegate::~LantoAppDelegate()
{
    for (const WorkItemPtr& item : std::as_const(m_pending))
        item->cancel();
    m_relaunch.waitForFinished();
}

WorkItemPtr LantoAppDelegate::later(std::chrono::milliseconds delay, std::function<void()> work)
{
    WorkItemPtr item = m_environment.scheduler.after(delay, std::move(work));
    m_pending.append(item);
    return item;
}

void LantoAppDelegate::applicationDidFinishLaunching()
{
    later(appLaunchedDelay, [this] { m_environment.notifications.post(DistributedNotificationNames::appLaunched); });
    if (m_isBackgroundLaunch) {
        takeBackDesktop();
        return;
    }
    later(showWindowDelay, [this] {
        showMainWindow();
        // The desktop's windows are drawn on this thread too: they come back
        // once the main window is built and drawn, so that on a busy machine
        // their video does not stall behind it.
        afterMainWindowDrawn([this] { takeBackDesktop(); });
    });
}

void LantoAppDelegate::takeBackDesktop()
{
    m_environment.whenDesktopShown([this] { relaunchAgent(); });
}

void LantoAppDelegate::afterMainWindowDrawn(std::function<void()> work)
{
    const QList<QWindow*> candidates = m_environment.windows();
    auto* window = candidates.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(candidates.first());
    if (!window) {
        work();
        return;
    }
    auto once = std::make_shared<std::function<void()>>(std::move(work));
    const auto run = [once] {
        if (const std::function<void()> work = std::exchange(*once, nullptr))
            work();
    };
    connect(window, &QQuickWindow::frameSwapped, this, run, Qt::SingleShotConnection);
    later(mainWindowDrawnWait, run);
}

void LantoAppDelegate::relaunchAgent()
{
    const QString& agent = m_environment.agentProgram;
    if (!QFileInfo(agent).isFile()) {
        Log::write(u"Lanto: LantoAgent.app not found at "_s + agent);
        return;
    }
    m_relaunch.waitForFinished();
    m_relaunch = m_environment.inBackground([&applications = m_environment.applications] { endAgents(applications); });
    if (m_agentLaunch)
        m_agentLaunch->cancel();
    m_agentLaunch = later(agentLaunchDelay, [this] { launchAgent(); });
}

void LantoAppDelegate::launchAgent()
{
    m_agentLaunch.reset();
    // The old agents are ended by now: that took a moment, this one waited longer.
    m_relaunch.waitForFinished();
    m_relaunch = m_environment.inBackground(
        [&commands = m_environment.commands, agent = m_environment.agentProgram] { startAgent(commands, agent); });
}

void LantoAppDelegate::applicationWillTerminate()
{
    if (std::exchange(m_terminating, true))
        return;
    // The hand-over needs the agent: one still to start starts now.
    if (m_agentLaunch)
        launchAgent();
    for (const WorkItemPtr& item : std::as_const(m_pending))
        item->cancel();
    m_pending.clear();
    m_relaunch.waitForFinished();
    m_environment.snapshotForHandoff();
    m_environment.flushSettings();
    m_environment.handOverDesktop(
        [this] { m_environment.notifications.post(DistributedNotificationNames::appWillTerminate); });
}

bool LantoAppDelegate::applicationShouldHandleReopen()
{
    showMainWindow();
    return false;
}

void LantoAppDelegate::showMainWindow()
{
    const QList<QWindow*> candidates = m_environment.windows();
    if (candidates.isEmpty()) {
        // The closure shows the "main" window and brings it forward.
        if (m_showMainWindow)
            m_showMainWindow();
        return;
    }
    const auto minimized = std::find_if(candidates.cbegin(), candidates.cend(), isMinimized);
    if (minimized != candidates.cend()) {
        (*minimized)->showNormal();
        activate(*minimized);
        return;
    }
    activate(candidates.first());
}

QList<QWindow*> LantoAppDelegate::mainWindowCandidates()
{
    QList<QWindow*> candidates;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (qobject_cast<DesktopLevelWindow*>(window) || window->type() != Qt::Window)
            continue;
        if (window->isVisible() || isMinimized(window))
            candidates.append(window);
    }
    return candidates;
}

void LantoAppDelegate::openURLs(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls)
        route(url, u"Lanto: Received lanto:// URL — "_s);
}

void LantoAppDelegate::handleGetURLEvent(const QString& text)
{
    const std::optional<QUrl> url = LantoLinks::fromHandedText(text);
    if (!url)
        return;
    const QList<QWindow*> windows = m_environment.windows();
    const bool windowShows
        = std::any_of(windows.cbegin(), windows.cend(), [](const QWindow* window) { return window->isVisible(); });
    if (windowShows && m_showMainWindow)
        openURLInMainWindow(*url);
    else
        route(*url, u"Lanto: kAEGetURL received — "_s);
}

void LantoAppDelegate::openURLInMainWindow(const QUrl& url) { route(url, u"Lanto: onOpenURL — "_s); }

void LantoAppDelegate::route(const QUrl& url, const QString& logPrefix)
{
    if (!LantoLinks::isRouted(url))
        return;
    Log::write(logPrefix + url.toString(QUrl::FullyEncoded));
    QMetaObject::invokeMethod(
        this, [this, url] { m_environment.handleCallback(url); }, Qt::QueuedConnection);
}
