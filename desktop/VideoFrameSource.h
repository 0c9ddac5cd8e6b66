#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// Draws a player's frames on the render thread, with the OpenGL context that
// it was made with current. Destroyed there too, with that context current.
class VideoRenderer
{
public:
    virtual ~VideoRenderer() = default;

    // Whether a frame newer than the last one drawn waits.
    virtual bool hasNewFrame() = 0;
    // Draws the current frame into the framebuffer object fbo of size pixels;
    // upsideDown for a window's own framebuffer, whose rows run bottom to top.
    virtual void render(unsigned fbo, QSize size, bool upsideDown) = 0;
    // Takes the current frame as shown without drawing it, so a player that is
    // not on screen keeps its pace.
    virtual void skipFrame() = 0;
};

// The pictures of one player, as a video view reaches them: thread-safe, and
// shared between the player and the views that draw it.
class VideoFrameSource
{
public:
    virtual ~VideoFrameSource() = default;

    // Render thread, with the window's OpenGL context current. frameReady may
    // be called from any thread whenever a new frame waits. Gives null, with the
    // reason in error, when the player cannot draw into this context.
    virtual std::unique_ptr<VideoRenderer> createRenderer(std::function<void()> frameReady, QString* error) = 0;
};
