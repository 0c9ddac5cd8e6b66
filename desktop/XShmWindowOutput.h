#pragma once

#include "SharedFramePages.h"
#include "VideoFrameSource.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

class QWindow;
struct xcb_connection_t;

// Puts frames that lie in shared memory straight into one X window: the X
// server reads them in place (MIT-SHM), as a video player drawing with X alone
// does, with no copy into the window's backing store and no scene graph pass.
// Any thread; it uses the application's own X connection, so its images and
// the window's own repaints reach the server in one order.
//
// A frame's pages are attached by descriptor where the server takes them
// (MIT-SHM 1.2), by System V id otherwise. Each frame put is kept until the
// server reports that it has read it, so that its buffer is not drawn over
// while the server may still read it.
class XShmWindowOutput
{
public:
    // Null unless the window is on an X server that can read this process's
    // shared memory and its pixels are 32-bit RGB (with or without alpha).
    // Main thread (or the render thread while the main thread waits).
    static std::shared_ptr<XShmWindowOutput> create(QWindow* window);
    // The pages a frame should lie in for this process's X server to read it:
    // plain where there is none or it has no MIT-SHM. Any thread; asked once.
    static SharedFramePages::Kind pagesServerReads();
    ~XShmWindowOutput();

    // Shows the part source of frame with its top left at target, in window
    // pixels. False when the frame does not lie in shared memory or the
    // server cannot read it: the caller shows it some other way.
    bool put(const SoftwareFrame& frame, const QRect& source, QPoint target);
    // Frames put whose reading the server has not reported yet.
    int framesBeingRead() const;

    XShmWindowOutput(xcb_connection_t* connection, uint32_t window, uint32_t context, uint8_t depth, bool descriptors);

private:
    friend class ShmCompletions;

    struct Segment
    {
        std::weak_ptr<const SharedFramePages> pages;
        uint32_t server = 0;
    };
    struct BeingRead
    {
        uint32_t segment = 0;
        QImage image;
    };

    // The server's name for the pages, attached on first use; 0 when it cannot attach them.
    uint32_t attach(const std::shared_ptr<const SharedFramePages>& pages);
    void detachUnused();
    // The server has read the oldest frame put from segment; false when none was put from it.
    bool completed(uint32_t segment);

    xcb_connection_t* const m_connection;
    const uint32_t m_window;
    const uint32_t m_context;
    const uint8_t m_depth;
    const bool m_descriptors;
    mutable std::mutex m_mutex;
    std::deque<Segment> m_segments;
    bool m_failed = false;
    std::deque<BeingRead> m_beingRead;
};
