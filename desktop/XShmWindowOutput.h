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
#include <vector>

class QWindow;
struct xcb_connection_t;

// Puts frames straight into one X window, from the thread that drew them:
// where the X server offers MIT-SHM it reads frames that lie in shared memory
// in place, as a video player drawing with X alone does; where it does not,
// the pixels go in the request itself. Either way there is no copy into the
// window's backing store and no scene graph pass on the GUI thread. Any
// thread; it uses the application's own X connection, so its images and the
// window's own repaints reach the server in one order.
//
// A frame's pages are attached by descriptor where the server takes them
// (MIT-SHM 1.2), by System V id otherwise. Each frame put from shared memory is
// kept until the server reports that it has read it, so that its buffer is not
// drawn over while the server may still read it; a frame sent in the request
// is free again once the call returns.
class XShmWindowOutput
{
public:
    // Null unless the window is on an X server and its pixels are 32-bit RGB
    // (with or without alpha).
    // Main thread (or the render thread while the main thread waits).
    static std::shared_ptr<XShmWindowOutput> create(QWindow* window);
    // The pages a frame should lie in for this process's X server to read it:
    // plain where there is none or it has no MIT-SHM. Any thread; asked once.
    static SharedFramePages::Kind pagesServerReads();
    ~XShmWindowOutput();

    // Shows the part source of frame with its top left at target, in window
    // pixels. False when the frame is not 32-bit RGB, or, on a server with
    // MIT-SHM, does not lie in shared memory it can read: the caller shows it
    // some other way.
    bool put(const SoftwareFrame& frame, const QRect& source, QPoint target);
    // Frames put whose reading the server has not reported yet.
    int framesBeingRead() const;

    // How the server takes the pixels: by descriptor, by System V id, or (plain) in the request.
    XShmWindowOutput(
        xcb_connection_t* connection, uint32_t window, uint32_t context, uint8_t depth, SharedFramePages::Kind pages);

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
    // Sends the pixels in the request, in bands the server's request size allows.
    void putCopy(const QImage& image, const QRect& source, QPoint target);

    xcb_connection_t* const m_connection;
    const uint32_t m_window;
    const uint32_t m_context;
    const uint8_t m_depth;
    const SharedFramePages::Kind m_pages;
    // The most pixel bytes one request carries.
    const std::size_t m_requestBytes;
    mutable std::mutex m_mutex;
    std::deque<Segment> m_segments;
    bool m_failed = false;
    std::deque<BeingRead> m_beingRead;
    // The rows of a cropped frame, side by side, as the request takes them.
    std::vector<uchar> m_band;
};
