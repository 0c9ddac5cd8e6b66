#pragma once

#include <QString>

// How the main window draws its live background, decided once per process from
// the same renderer detection the video players use: where OpenGL is a software
// renderer every redrawn frame costs the processor, so the background's glows
// are made at a quarter of their size and turn in fewer, larger steps.
namespace WindowRenderPath {

struct Choice
{
    QString name;
    // Picture pixels per window pixel of the background's glows.
    double backgroundResolution = 0.5;
    int ambientFramesPerSecond = 12;
};

Choice choose(bool softwareRenderer);

// The process's choice, made and logged on first use. Main thread.
const Choice& current();

} // namespace WindowRenderPath
