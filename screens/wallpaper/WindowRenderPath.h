#pragma once

#include <QString>

// How the main window draws, decided once per process from the same renderer
// detection the video players use. Where OpenGL is a software renderer,
// drawing the scene through it costs the processor every frame whatever
// changed, so the window renders with Qt Quick's software scene graph, which
// repaints only what changed. Anything that moves there repaints its area in
// full, and the background lies behind the whole window: the glows are made at
// a quarter of their size and turn one step a second, and the hero banner's
// preview decodes fewer frames and comes to rest after a while.
namespace WindowRenderPath {

struct Choice
{
    QString name;
    // Picture pixels per window pixel of the background's glows.
    double backgroundResolution = 0.5;
    // Steps a second of the background's turn.
    int ambientFramesPerSecond = 12;
    bool heroPreviewDecodesEveryFrame = true;
    // Milliseconds the hero banner's preview loops before it rests; 0: for ever.
    int heroPreviewPlayTime = 0;
};

Choice choose(bool softwareRenderer);

// Picks the scene graph before the application object exists (see
// VideoRenderPath::chooseBeforeApplication); LANTO_VIDEO_RENDER_PATH forces
// either path. Call first thing in main().
void chooseBeforeApplication(int argc, char** argv);

// The process's choice, made and logged on first use. Main thread.
const Choice& current();

} // namespace WindowRenderPath
