#include "WindowRenderPath.h"

#include "Log.h"
#include "VideoRenderPath.h"

#include <optional>

WindowRenderPath::Choice WindowRenderPath::choose(bool softwareRenderer)
{
    // Measured on Discover at rest: each background step repaints the whole
    // window, the banner's preview repaints its area for every frame and costs
    // as much again to decode; only the three measures together bring the
    // window under a twentieth of a core.
    if (softwareRenderer)
        return { QStringLiteral("software-scene-graph"), 0.25, 1, false, 12000 };
    return { QStringLiteral("opengl"), 0.5, 12, true, 0 };
}

void WindowRenderPath::chooseBeforeApplication(int argc, char** argv)
{
    VideoRenderPath::chooseBeforeApplication(argc, argv);
}

const WindowRenderPath::Choice& WindowRenderPath::current()
{
    static std::optional<Choice> choice;
    if (!choice) {
        choice = choose(VideoRenderPath::isSoftware());
        Log::write(QStringLiteral("Lanto: main window render path: %1 (background at %2 resolution, %3 steps/s; "
                                  "hero preview decodes %4 frames, loops %5)")
                       .arg(choice->name)
                       .arg(choice->backgroundResolution)
                       .arg(choice->ambientFramesPerSecond)
                       .arg(choice->heroPreviewDecodesEveryFrame ? QStringLiteral("all") : QStringLiteral("reference"))
                       .arg(choice->heroPreviewPlayTime > 0
                               ? QStringLiteral("%1 s then rests").arg(choice->heroPreviewPlayTime / 1000.0)
                               : QStringLiteral("for ever")));
    }
    return *choice;
}
