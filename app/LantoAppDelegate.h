#pragma once

#include "Scheduler.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>

class DistributedNotifications;
class QWindow;
class RunningApplications;
class SystemCommands;

// The start-up and shut-down duties that belong to no window: the agent is
// restarted and told that Lanto runs, the main window comes forward unless
// the launch was in the background, the agent gets the desktop back at
// termination, and every "lanto" URL reaches the account service once. Main thread.
class LantoAppDelegate : public QObject
{
    Q_OBJECT

public:
    struct Environment
    {
        RunningApplications& applications;
        SystemCommands& commands;
        DistributedNotifications& notifications;
        Scheduler& scheduler;
        // The agent program, beside Lanto's.
        QString agentProgram;
        // Records each display's playback position for the agent.
        std::function<void()> snapshotForHandoff;
        // Writes the settings at once.
        std::function<void()> flushSettings;
        // The sign-in callback of the account service.
        std::function<void(const QUrl&)> handleCallback;
        // The application's windows that can be its main window, in their order.
        std::function<QList<QWindow*>()> windows = &LantoAppDelegate::mainWindowCandidates;
        // Runs the work once the desktop shows what Lanto restored (the agent, ended
        // then, may have shown it until that moment).
        std::function<void(std::function<void()>)> whenDesktopShown = [](const std::function<void()>& work) {
            work();
        };
        // Posts the termination notice through the function given, and keeps the
        // desktop up until the agent has taken it over.
        std::function<void(const std::function<void()>&)> handOverDesktop = [](const std::function<void()>& post) {
            post();
        };
        // Runs the agent's end and start away from the main thread: the look
        // through the processes and the start held the desktop's frames up on a
        // busy machine.
        std::function<QFuture<void>(std::function<void()>)> inBackground = [](std::function<void()> work) {
            return QtConcurrent::run(std::move(work));
        };
    };

    static constexpr auto appLaunchedDelay = std::chrono::milliseconds(800);
    static constexpr auto showWindowDelay = std::chrono::milliseconds(300);
    // How long the desktop waits for the main window's first frame at most.
    static constexpr auto mainWindowDrawnWait = std::chrono::seconds(2);
    // The new agent starts this long after the old one is ended: its start-up,
    // loading and connecting to the display, would take the machine from the
    // first frames of the desktop Lanto just took back.
    static constexpr auto agentLaunchDelay = std::chrono::milliseconds(600);

    LantoAppDelegate(Environment environment, const QStringList& arguments, QObject* parent = nullptr);
    ~LantoAppDelegate() override;

    bool isBackgroundLaunch() const { return m_isBackgroundLaunch; }
    // Opens the window named "main"; replaces the one stored before.
    void setShowMainWindow(std::function<void()> show) { m_showMainWindow = std::move(show); }

    // Launch has finished: the agent, the notice and the window.
    void applicationDidFinishLaunching();
    // Once; later calls do nothing.
    void applicationWillTerminate();
    // Another launch of Lanto asked for the window: it comes forward. Answers false.
    bool applicationShouldHandleReopen();

    // URLs Lanto was started with.
    void openURLs(const QList<QUrl>& urls);
    // A URL handed over by a later launch, as text; it reaches the main
    // window's handler while that window shows, the delegate's otherwise.
    void handleGetURLEvent(const QString& text);
    // The main window's handler of "lanto" URLs.
    void openURLInMainWindow(const QUrl& url);

    // Brings the main window forward, opening it when none is there.
    void showMainWindow();
    // Ends every running agent and, agentLaunchDelay later, starts the one beside
    // Lanto, both in the background; termination starts it at once if it is
    // still to start, and waits for it, as the destructor does.
    void relaunchAgent();

    // The top-level windows that are neither wallpaper windows nor popups,
    // shown or minimised.
    static QList<QWindow*> mainWindowCandidates();

private:
    // Hands a "lanto" URL to the account service from the event loop; other schemes are dropped.
    void route(const QUrl& url, const QString& logPrefix);
    WorkItemPtr later(std::chrono::milliseconds delay, std::function<void()> work);
    // The desktop shows what Lanto restored; then the agent is restarted.
    void takeBackDesktop();
    void afterMainWindowDrawn(std::function<void()> work);
    void launchAgent();

    Environment m_environment;
    const bool m_isBackgroundLaunch;
    bool m_terminating = false;
    std::function<void()> m_showMainWindow;
    QList<WorkItemPtr> m_pending;
    QFuture<void> m_relaunch;
    // The agent's start while it waits for agentLaunchDelay.
    WorkItemPtr m_agentLaunch;
};
