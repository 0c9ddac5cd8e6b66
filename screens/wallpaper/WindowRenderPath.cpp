#include "WindowRenderPath.h"

#include "Log.h"
#include "VideoRenderPath.h"

#include <optional>

WindowRenderPath::Choice WindowRenderPath::choose(bool softwareRenderer)
{
    if (softwareRenderer)
        return { QStringLiteral("software-scene-graph"), 0.25, 4 };
    return { QStringLiteral("opengl"), 0.5, 12 };
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
        Log::write(QStringLiteral("Lanto: main window render path: %1 (background at %2 resolution, %3 steps/s)")
                       .arg(choice->name)
                       .arg(choice->backgroundResolution)
                       .arg(choice->ambientFramesPerSecond));
    }
    return *choice;
}
