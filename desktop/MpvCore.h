#pragma once

#include "VideoRenderPath.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

struct mpv_event;
struct mpv_handle;

// One libmpv player core, shared by its backend on the main thread and the
// video view that draws it on the render thread: whichever lets go last ends
// it, on the main thread. Its events are delivered on the main thread.
class MpvCore final : public QObject
{
    Q_OBJECT

public:
    // Which frames a core decodes where frames are drawn in memory: all, or
    // only those that later frames are built from, which gives a less fluid
    // picture for a fraction of the decoding and drawing. With OpenGL every
    // frame is decoded.
    enum class Frames { all, referencesOnSoftwarePath };

    // A new core with the options of a muted, looping desktop video, decoding
    // for frames drawn the path's way; null with the reason in error when
    // libmpv cannot make one.
    static std::shared_ptr<MpvCore> create(VideoRenderPath::Path path, QString* error, Frames frames = Frames::all);
    ~MpvCore() override;

    mpv_handle* handle() const { return m_handle; }

    // Called on the main thread for each event, until reset.
    void setEventHandler(std::function<void(const mpv_event&)> handler) { m_eventHandler = std::move(handler); }

    // Any thread: the video view can draw this core from now on.
    void reportVideoOutputReady();
    bool hasVideoOutput() const { return m_hasVideoOutput; }

signals:
    // Main thread: reportVideoOutputReady() was called.
    void videoOutputReady();

private:
    explicit MpvCore(mpv_handle* handle);
    void drainEvents();

    mpv_handle* m_handle;
    std::function<void(const mpv_event&)> m_eventHandler;
    bool m_hasVideoOutput = false;
    // One drain queued at a time, however often libmpv wakes us.
    std::atomic<bool> m_drainQueued { false };
};
