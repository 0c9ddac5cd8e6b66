#pragma once

#include <QList>

#include <chrono>
#include <functional>

class DesktopWindowController;
class DistributedNotifications;
class Scheduler;
class QWindow;
class RunningApplications;

// The desktop changing hands between Lanto and the agent without showing bare
// in between. Main thread.
//
// Lanto quitting while its desktop plays a video: the agent takes the desktop
// over on the notice that Lanto terminates. Lanto's desktop windows stay up
// until the agent says it shows the videos itself; the main windows go at
// once, as the user asked.
//
// Lanto starting while the agent shows the desktop: the agent keeps showing
// it after recording the positions. Lanto's desktop windows stay off screen
// until their videos play where the agent's were; then they come up over the
// agent's, and the agent is ended once they are on screen.
namespace AgentTakeover {

// The longest Lanto lingers for the agent's answer.
inline constexpr std::chrono::milliseconds timeout { 2000 };

// Posts the notice through `post`; when the agent runs and `videoPlays`, hides
// `mainWindows` and waits for "com.lanto.mac.agentDesktopShown", at most timeout.
void handOver(DistributedNotifications& notifications, const RunningApplications& applications, bool videoPlays,
    const QList<QWindow*>& mainWindows, const std::function<void()>& post);

// Runs `work` (which ends the agent) once the desktop controller's videos
// show, at most timeout after the call; when `agentShows`, the controller's
// shown windows are held off screen until then and `work` waits until they
// are on screen. The waiting ends with `controller`.
// Hides the controller's shown windows until takeBack() brings them up: called
// right after the controller restored them, while the agent shows the desktop.
void holdOffScreen(DesktopWindowController& controller);

void takeBack(DesktopWindowController& controller, Scheduler& scheduler, bool agentShows, std::function<void()> work);

} // namespace AgentTakeover
