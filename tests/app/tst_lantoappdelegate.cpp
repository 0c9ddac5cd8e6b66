// The application delegate: the agent's restart and the notices around it,
// the window at launch and on reopen, the order of the shut-down, and the
// routes of "lanto" URLs.
#include "DesktopLevelWindow.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LantoAppDelegate.h"
#include "LogCapture.h"
#include "VirtualScheduler.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWindow>

#include <atomic>
#include <memory>

using namespace std::chrono_literals;

namespace {

struct Rig
{
    Rig()
    {
        QFile agent(agentPath());
        agent.open(QIODevice::WriteOnly);
    }

    QString agentPath() const { return folder.filePath("LantoAgent"); }

    LantoAppDelegate& start(const QStringList& arguments = { "Lanto" })
    {
        LantoAppDelegate::Environment environment { applications, commands, notifications, scheduler, agentPath(),
            [this] { steps << "snapshot"; }, [this] { steps << "flush"; },
            [this](const QUrl& url) { callbacks << url; }, [this] { return windows; } };
        if (!restartsInBackground) {
            environment.inBackground = [](const std::function<void()>& work) {
                work();
                return QtFuture::makeReadyFuture();
            };
        }
        if (holdsDesktop) {
            environment.whenDesktopShown = [this](std::function<void()> work) { desktopShown = std::move(work); };
            environment.handOverDesktop = [this](const std::function<void()>& post) {
                steps << "keep desktop";
                post();
                steps << "agent shows desktop";
            };
        }
        delegate = std::make_unique<LantoAppDelegate>(environment, arguments);
        delegate->setShowMainWindow([this] { steps << "open main"; });
        return *delegate;
    }

    QTemporaryDir folder;
    FakeRunningApplications applications;
    FakeSystemCommands commands;
    FakeDistributedNotifications notifications;
    VirtualScheduler scheduler;
    QList<QWindow*> windows;
    QStringList steps;
    QList<QUrl> callbacks;
    // Set before start: the desktop hand-over hooks record, and the agent waits for desktopShown.
    bool holdsDesktop = false;
    // Set before start: the agent's restart runs on a thread of its own, as in the program.
    bool restartsInBackground = false;
    std::function<void()> desktopShown;
    LogCapture log;
    std::unique_ptr<LantoAppDelegate> delegate;
};

} // namespace

class tst_LantoAppDelegate : public QObject
{
    Q_OBJECT

private slots:
    void launchRestartsAgentThenTellsIt_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("showsWindow");
        QTest::newRow("normal") << QStringList { "Lanto" } << true;
        QTest::newRow("background") << QStringList { "Lanto", "--background" } << false;
        QTest::newRow("not exactly the flag") << QStringList { "Lanto", "--background=1" } << true;
    }
    void launchRestartsAgentThenTellsIt()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, showsWindow);
        Rig rig;
        rig.applications.add(10, "com.lanto.mac.agent", "LantoAgent");
        rig.applications.add(11, "com.lanto.mac", "Lanto");
        rig.applications.add(12, "com.lanto.mac.agent", "LantoAgent");
        LantoAppDelegate& delegate = rig.start(arguments);
        QCOMPARE(delegate.isBackgroundLaunch(), !showsWindow);

        delegate.applicationDidFinishLaunching();
        // With a window, the desktop (and with it the agent) waits for the window.
        QCOMPARE(rig.applications.forceTerminateRequests().isEmpty(), showsWindow);
        rig.scheduler.advance(299ms);
        QVERIFY(rig.steps.isEmpty());
        rig.scheduler.advance(1ms);
        QCOMPARE(rig.steps, showsWindow ? QStringList { "open main" } : QStringList());
        QCOMPARE(rig.applications.forceTerminateRequests(), (QList<qint64> { 10, 12 }));
        QVERIFY(rig.applications.terminateRequests().isEmpty());
        QVERIFY(rig.log.contains("Lanto: Killed 2 stale LantoAgent process(es)"));
        // The new one starts a moment later.
        QVERIFY(rig.commands.startCalls().isEmpty());

        rig.scheduler.advance(499ms);
        QVERIFY(rig.notifications.posted().isEmpty());
        rig.scheduler.advance(1ms);
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appLaunched" });
        rig.scheduler.advance(LantoAppDelegate::agentLaunchDelay);
        QCOMPARE(rig.commands.startCalls(), (QList<FakeSystemCommands::StartCall> { { rig.agentPath(), {} } }));
        QVERIFY(rig.log.contains("Lanto: Launched LantoAgent via open(1)"));
    }

    void missingOrUnstartableAgentIsLoggedOnly()
    {
        Rig rig;
        QFile::remove(rig.agentPath());
        rig.applications.add(10, "com.lanto.mac.agent");
        rig.start().applicationDidFinishLaunching();
        rig.scheduler.advance(1s);
        QVERIFY(rig.log.contains("Lanto: LantoAgent.app not found at " + rig.agentPath()));
        QVERIFY(rig.applications.forceTerminateRequests().isEmpty());
        QVERIFY(rig.commands.startCalls().isEmpty());
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appLaunched" });

        Rig failing;
        failing.commands.setStartResult(FakeSystemCommands::failedToStart("No such file"));
        failing.start().applicationDidFinishLaunching();
        failing.scheduler.advance(1s);
        QVERIFY(failing.log.contains("Lanto: Failed to launch LantoAgent — No such file"));
        QVERIFY(failing.log.lines().filter("Killed").isEmpty());
    }

    void terminationHandsTheDesktopBackInOrder()
    {
        Rig rig;
        LantoAppDelegate& delegate = rig.start();
        delegate.applicationDidFinishLaunching();
        rig.notifications.clearPosted();
        delegate.applicationWillTerminate();
        QCOMPARE(rig.steps, (QStringList { "snapshot", "flush" }));
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appWillTerminate" });
        // Launch steps still pending do not run after the end.
        rig.scheduler.advance(1s);
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appWillTerminate" });
        QCOMPARE(rig.steps, (QStringList { "snapshot", "flush" }));
    }

    void agentIsEndedOnceTheDesktopShowsAndHandedItOnceAtTheEnd()
    {
        Rig rig;
        rig.holdsDesktop = true;
        rig.applications.add(10, "com.lanto.mac.agent", "LantoAgent");
        LantoAppDelegate& delegate = rig.start();
        delegate.applicationDidFinishLaunching();
        // The agent shows the desktop until Lanto's does, which comes after the main window.
        QVERIFY(!rig.desktopShown);
        rig.scheduler.advance(LantoAppDelegate::showWindowDelay);
        QVERIFY(rig.applications.forceTerminateRequests().isEmpty());
        QVERIFY(rig.commands.startCalls().isEmpty());
        QVERIFY(rig.desktopShown);
        rig.desktopShown();
        QCOMPARE(rig.applications.forceTerminateRequests(), QList<qint64> { 10 });
        QVERIFY(rig.commands.startCalls().isEmpty());
        rig.scheduler.advance(LantoAppDelegate::agentLaunchDelay);
        QCOMPARE(rig.commands.startCalls().size(), 1);

        rig.scheduler.advance(1s);
        rig.notifications.clearPosted();
        rig.steps.clear();
        delegate.applicationWillTerminate();
        // The quit event and the end of the run both ask: the hand-over happens once.
        delegate.applicationWillTerminate();
        QCOMPARE(rig.steps, (QStringList { "snapshot", "flush", "keep desktop", "agent shows desktop" }));
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appWillTerminate" });
    }

    void theAgentRestartsAwayFromTheMainThreadAndTerminationWaitsForIt_data()
    {
        QTest::addColumn<bool>("endsBeforeTheStart");
        QTest::newRow("ended after the new agent's start") << false;
        QTest::newRow("ended before it: it starts at once, for the hand-over") << true;
    }
    void theAgentRestartsAwayFromTheMainThreadAndTerminationWaitsForIt()
    {
        QFETCH(bool, endsBeforeTheStart);
        Rig rig;
        rig.restartsInBackground = true;
        rig.applications.add(10, "com.lanto.mac.agent", "LantoAgent");
        std::atomic<QThread*> startedOn = nullptr;
        std::atomic<bool> started = false;
        rig.commands.setStartHook([&] {
            startedOn = QThread::currentThread();
            QThread::msleep(50);
            started = true;
        });
        LantoAppDelegate& delegate = rig.start({ "Lanto", "--background" });
        delegate.applicationDidFinishLaunching();
        if (!endsBeforeTheStart) {
            rig.scheduler.advance(LantoAppDelegate::agentLaunchDelay);
            QTRY_VERIFY(startedOn.load());
            QVERIFY(startedOn.load() != QThread::currentThread());
        }
        delegate.applicationWillTerminate();
        // The agent the hand-over goes to is the one just started.
        QVERIFY(started.load());
        QCOMPARE(rig.commands.startCalls().size(), 1);
        QCOMPARE(rig.applications.forceTerminateRequests(), QList<qint64> { 10 });
        QCOMPARE(rig.steps, (QStringList { "snapshot", "flush" }));
    }

    void reopenBringsTheWindowBack()
    {
        Rig rig;
        LantoAppDelegate& delegate = rig.start();
        // No window: the closure opens "main".
        QVERIFY(!delegate.applicationShouldHandleReopen());
        QCOMPARE(rig.steps, QStringList { "open main" });

        // A minimised window is brought back, not made anew.
        QWindow other;
        QWindow main;
        main.showMinimized();
        other.show();
        rig.windows = { &other, &main };
        rig.steps.clear();
        QVERIFY(!delegate.applicationShouldHandleReopen());
        QVERIFY(rig.steps.isEmpty());
        QVERIFY(!main.windowStates().testFlag(Qt::WindowMinimized));
    }

    void wallpaperWindowsAreNoCandidates()
    {
        DesktopLevelWindow wallpaper;
        wallpaper.show();
        QWindow popup;
        popup.setFlags(Qt::Popup);
        popup.show();
        QWindow hidden;
        QWindow main;
        main.show();
        QCOMPARE(LantoAppDelegate::mainWindowCandidates(), QList<QWindow*> { &main });
        main.close();
        QVERIFY(LantoAppDelegate::mainWindowCandidates().isEmpty());
    }

    // Each URL reaches the account service once, from the event loop, by the route it came.
    void urlRoutes()
    {
        Rig rig;
        LantoAppDelegate& delegate = rig.start();
        const QUrl code("lanto://auth/callback?code=abc&state=s1");
        delegate.openURLs({ QUrl("https://example.com/?code=x"), code, QUrl("lantox://auth?code=y") });
        QVERIFY(rig.callbacks.isEmpty());
        QTRY_COMPARE(rig.callbacks, QList<QUrl> { code });
        QCOMPARE(rig.log.lines().filter("Lanto: "),
            QStringList { "Lanto: Received lanto:// URL — lanto://auth/callback?code=abc&state=s1" });

        // Handed over by a later launch while no window shows: the delegate's event route.
        rig.callbacks.clear();
        rig.log.clear();
        delegate.handleGetURLEvent("lanto://auth/callback?error=denied");
        delegate.handleGetURLEvent("");
        delegate.handleGetURLEvent("not a url at all\x01");
        delegate.handleGetURLEvent("mailto:someone@example.com");
        QTRY_COMPARE(rig.callbacks.size(), 1);
        QCOMPARE(rig.log.lines(), QStringList { "Lanto: kAEGetURL received — lanto://auth/callback?error=denied" });

        // While the main window shows, the window's handler takes it instead.
        QWindow main;
        main.show();
        rig.windows = { &main };
        rig.callbacks.clear();
        rig.log.clear();
        delegate.handleGetURLEvent("lanto://auth/callback?code=zz");
        QTRY_COMPARE(rig.callbacks, QList<QUrl> { QUrl("lanto://auth/callback?code=zz") });
        QCOMPARE(rig.log.lines(), QStringList { "Lanto: onOpenURL — lanto://auth/callback?code=zz" });
        QTest::qWait(0);
        QCOMPARE(rig.callbacks.size(), 1);
    }

    void callbackAfterTheDelegateIsGoneNeverRuns()
    {
        Rig rig;
        rig.start().openURLs({ QUrl("lanto://auth/callback?code=1") });
        rig.delegate.reset();
        QCoreApplication::processEvents();
        QVERIFY(rig.callbacks.isEmpty());
    }
};

QTEST_MAIN(tst_LantoAppDelegate)
#include "tst_lantoappdelegate.moc"
