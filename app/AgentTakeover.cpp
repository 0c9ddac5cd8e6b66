#include "AgentTakeover.h"

#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "DesktopWindowController.h"
#include "DistributedNotifications.h"
#include "Log.h"
#include "RunningApplications.h"
#include "VideosShown.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Marks a desktop window held off screen while the agent still shows the desktop.
constexpr const char* heldProperty = "lantoHeldForAgent";

// Runs `exposed` once, when the window is first on screen, unless `owner` is gone by then.
class FirstExpose final : public QObject
{
public:
    FirstExpose(QWindow* window, std::function<void()> exposed, QObject* owner)
        : QObject(owner), m_exposed(std::move(exposed))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed() && m_exposed) {
            std::exchange(m_exposed, nullptr)();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_exposed;
};

} // namespace

void AgentTakeover::handOver(DistributedNotifications& notifications, const RunningApplications& applications,
    bool videoPlays, const QList<QWindow*>& mainWindows, const std::function<void()>& post)
{
    if (!videoPlays || !applications.isRunning(BundleIdentifiers::lantoAgent)) {
        post();
        return;
    }
    for (QWindow* window : mainWindows)
        window->hide();
    QEventLoop loop;
    bool shown = false;
    // Listening before the notice goes out: the answer can come at once.
    notifications.observe(DistributedNotificationNames::agentDesktopShown, &loop, [&] {
        shown = true;
        loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    QElapsedTimer waited;
    waited.start();
    post();
    loop.exec();
    if (shown)
        Log::write(u"Lanto: LantoAgent shows the desktop after %1 ms"_s.arg(waited.elapsed()));
    else
        Log::write(u"Lanto: LantoAgent did not show the desktop within %1 ms"_s.arg(timeout.count()));
}

void AgentTakeover::holdOffScreen(DesktopWindowController& controller)
{
    // At once, before anything else is built: a window shown now would stay blank until then.
    for (const auto& [id, window] : controller.windows()) {
        if (window->isVisible()) {
            window->hide();
            window->setProperty(heldProperty, true);
        }
    }
}

void AgentTakeover::takeBack(
    DesktopWindowController& controller, Scheduler& scheduler, bool agentShows, std::function<void()> work)
{
    QList<QPointer<DesktopWindow>> held;
    if (agentShows) {
        for (const auto& [id, window] : controller.windows()) {
            if (window->isVisible() || window->property(heldProperty).toBool()) {
                window->hide(); // not drawn yet: the agent's picture stays on screen
                held.append(window.get());
            }
        }
    }
    auto* shown = new VideosShown(controller.videoPlayers(), scheduler, timeout, &controller);
    QObject::connect(shown, &VideosShown::finished, shown, [shown, held, work = std::move(work)] {
        shown->deleteLater();
        QPointer<DesktopWindow> first;
        for (const QPointer<DesktopWindow>& window : held) {
            if (window) {
                window->orderFront();
                first = first ? first : window;
            }
        }
        if (!first) {
            work();
            return;
        }
        // The agent's windows go once Lanto's cover them. Beneath those their
        // frames show no more: each one they put until their end is work the
        // X server does while Lanto's first frames wait for it.
        auto* onScreen = new QTimer(first);
        onScreen->setSingleShot(true);
        auto once = std::make_shared<std::function<void()>>(work);
        const auto finish = [onScreen, once] {
            if (auto run = std::exchange(*once, nullptr))
                run();
            onScreen->deleteLater();
        };
        if (first->isExposed()) {
            finish();
            return;
        }
        new FirstExpose(first, finish, onScreen);
        QObject::connect(onScreen, &QTimer::timeout, onScreen, finish);
        onScreen->start(timeout);
    });
}
