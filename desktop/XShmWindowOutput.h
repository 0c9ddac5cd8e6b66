#pragma once

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

// Puts frames that lie in System V shared memory straight into one X window:
// the X server reads them in place (MIT-SHM), as a video player drawing with
// X alone does, with no copy into the window's backing store and no scene
// graph pass. Any thread; it uses the application's own X connection, so its
// images and the window's own repaints reach the server in one order.
class XShmWindowOutput
{
public:
    // Null unless the window is on an X server that can read this process's
    // shared memory and its pixels are 32-bit RGB (with or without alpha).
    // Main thread (or the render thread while the main thread waits).
    static std::shared_ptr<XShmWindowOutput> create(QWindow* window);
    ~XShmWindowOutput();

    // Shows the part source of frame with its top left at target, in window
    // pixels. False when the frame does not lie in shared memory or the
    // server cannot read it: the caller shows it some other way.
    bool put(const SoftwareFrame& frame, const QRect& source, QPoint target);

    XShmWindowOutput(xcb_connection_t* connection, uint32_t window, uint32_t context, uint8_t depth);

private:
    struct Segment
    {
        int id = -1;
        uint32_t server = 0;
    };

    // The server's name for the segment, attached on first use; 0 when it cannot attach it.
    uint32_t attach(int id);
    void detachUnused();

    xcb_connection_t* const m_connection;
    const uint32_t m_window;
    const uint32_t m_context;
    const uint8_t m_depth;
    std::mutex m_mutex;
    std::deque<Segment> m_segments;
    bool m_failed = false;
    // The frame last put: the server may still read it, so its buffer is not
    // drawn over until the next one goes out.
    QImage m_onScreen;
};
