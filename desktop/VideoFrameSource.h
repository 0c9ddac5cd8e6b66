#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class SharedFramePages;

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

// One frame drawn in memory: 32-bit RGB (QImage::Format_RGB32) cropped to fill
// the size the viewers asked for, opaque. serial grows with each new frame; 0
// while there is none.
struct SoftwareFrame
{
    QImage image;
    quint64 serial = 0;
    // The pages whose first byte is the image's first pixel, which the X
    // server may read in place; null when the image lies elsewhere.
    std::shared_ptr<const SharedFramePages> pages;
    // When the player meant the frame to be on screen; the epoch when it did
    // not say (a redraw, or a player without timing).
    std::chrono::steady_clock::time_point due;
};

// Frames drawn in memory, for views that show them without OpenGL (or upload
// them into a texture). Thread-safe: views call it from their render thread.
class SoftwareFrameFeed
{
public:
    virtual ~SoftwareFrameFeed() = default;

    // A view that shows the frames: frameReady may be called from any thread
    // whenever a new frame waits. Gives the viewer's id.
    virtual quint64 addViewer(std::function<void()> frameReady) = 0;
    // Frames are drawn at the largest size the viewers ask for, in pixels.
    virtual void setViewerSize(quint64 viewer, QSize pixels) = 0;
    // Once it returns, the viewer's frameReady is not called again.
    virtual void removeViewer(quint64 viewer) = 0;
    virtual SoftwareFrame latestFrame() const = 0;
};

// The pictures of one player, as a video view reaches them: thread-safe, and
// shared between the player and the views that draw it. A player draws either
// through OpenGL (createRenderer) or in memory (softwareFeed).
class VideoFrameSource
{
public:
    virtual ~VideoFrameSource() = default;

    // Render thread, with the window's OpenGL context current. frameReady may
    // be called from any thread whenever a new frame waits. Gives null, with the
    // reason in error, when the player cannot draw into this context.
    virtual std::unique_ptr<VideoRenderer> createRenderer(std::function<void()> frameReady, QString* error) = 0;

    // The frames drawn in memory; null for a player that draws through OpenGL.
    virtual std::shared_ptr<SoftwareFrameFeed> softwareFeed() const { return nullptr; }
};
