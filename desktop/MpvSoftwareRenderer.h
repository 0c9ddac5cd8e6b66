#pragma once

#include "FrameViewers.h"
#include "VideoFrameSource.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class MpvCore;
struct mpv_render_context;

// Draws the frames of one libmpv core into memory, through libmpv's software
// render API, on a thread of its own: each frame as it falls due, at the
// largest size its viewers ask for. Without viewers the frames are taken
// without drawing them, so the core keeps its pace.
//
// Frames go into a few reused buffers, none of them written while a viewer
// may still read it.
//
// A viewer's frameReady runs on the drawing thread, until removeViewer
// returns. That thread owns neither the renderer nor its viewers, so it never
// ends them (and never joins itself).
class MpvSoftwareRenderer final : public SoftwareFrameFeed
{
public:
    // Null, with the reason in error, when libmpv refuses a software render context.
    static std::shared_ptr<MpvSoftwareRenderer> create(std::shared_ptr<MpvCore> core, QString* error);
    ~MpvSoftwareRenderer() override;

    quint64 addViewer(std::function<void()> frameReady) override;
    void setViewerSize(quint64 viewer, QSize pixels) override;
    void removeViewer(quint64 viewer) override;
    SoftwareFrame latestFrame() const override;

    MpvSoftwareRenderer(std::shared_ptr<MpvCore> core, mpv_render_context* context);

private:
    struct Buffer;

    void run();
    std::shared_ptr<Buffer> takeBuffer(QSize size, std::size_t limit);
    std::chrono::steady_clock::time_point nextFrameDue() const;
    void draw(const QImage& buffer);
    void skip();
    void publish(SoftwareFrame frame);
    void redrawAtWantedSize();

    // Declared first, so it outlives the render context.
    std::shared_ptr<MpvCore> m_core;
    mpv_render_context* m_context;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_updatePending = false;
    bool m_stopping = false;
    SoftwareFrame m_latest;
    FrameViewers m_viewers;
    // Render thread only.
    std::vector<std::shared_ptr<Buffer>> m_buffers;

    std::thread m_thread;
};
