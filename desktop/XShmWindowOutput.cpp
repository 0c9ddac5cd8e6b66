#include "XShmWindowOutput.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include <sys/shm.h>

namespace {

// The window's depth when pixels of its visual are QImage::Format_RGB32 in
// memory (24 or 32 bits deep, 32 bits per pixel, least significant byte
// first, blue lowest); 0 when they are not.
uint8_t rgb32Depth(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return 0;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    xcb_get_window_attributes_reply_t* attributes
        = xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const uint8_t depth = geometry ? geometry->depth : 0;
    bool suits = attributes && (depth == 24 || depth == 32);
    if (suits) {
        bool wholePixels = false;
        for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format))
            wholePixels = wholePixels || (format.data->depth == depth && format.data->bits_per_pixel == 32);
        bool rgb = false;
        for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
            for (auto depths = xcb_screen_allowed_depths_iterator(screen.data); depths.rem; xcb_depth_next(&depths)) {
                for (auto visual = xcb_depth_visuals_iterator(depths.data); visual.rem; xcb_visualtype_next(&visual)) {
                    if (visual.data->visual_id == attributes->visual)
                        rgb = visual.data->red_mask == 0xff0000 && visual.data->blue_mask == 0xff;
                }
            }
        }
        suits = wholePixels && rgb;
    }
    std::free(geometry);
    std::free(attributes);
    return suits ? depth : 0;
}

} // namespace

std::shared_ptr<XShmWindowOutput> XShmWindowOutput::create(QWindow* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window)
        return nullptr;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    const auto id = xcb_window_t(window->winId());
    const uint8_t depth = shm && shm->present ? rgb32Depth(connection, id) : 0;
    if (!depth)
        return nullptr;
    const xcb_gcontext_t context = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, context, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return std::make_shared<XShmWindowOutput>(connection, id, context, depth);
}

XShmWindowOutput::XShmWindowOutput(xcb_connection_t* connection, uint32_t window, uint32_t context, uint8_t depth)
    : m_connection(connection), m_window(window), m_context(context), m_depth(depth)
{
}

XShmWindowOutput::~XShmWindowOutput()
{
    for (const Segment& segment : m_segments)
        xcb_shm_detach(m_connection, segment.server);
    xcb_free_gc(m_connection, m_context);
    xcb_flush(m_connection);
}

bool XShmWindowOutput::put(const SoftwareFrame& frame, const QRect& source, QPoint target)
{
    if (frame.sharedMemoryId == -1 || frame.image.format() != QImage::Format_RGB32
        || !frame.image.rect().contains(source))
        return false;
    std::lock_guard lock(m_mutex);
    const uint32_t segment = attach(frame.sharedMemoryId);
    if (!segment)
        return false;
    const auto totalWidth = uint16_t(frame.image.bytesPerLine() / 4);
    xcb_shm_put_image(m_connection, m_window, m_context, totalWidth, uint16_t(frame.image.height()),
        uint16_t(source.x()), uint16_t(source.y()), uint16_t(source.width()), uint16_t(source.height()),
        int16_t(target.x()), int16_t(target.y()), m_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment, 0);
    xcb_flush(m_connection);
    m_onScreen = frame.image;
    return true;
}

uint32_t XShmWindowOutput::attach(int id)
{
    if (m_failed)
        return 0;
    for (const Segment& segment : m_segments) {
        if (segment.id == id)
            return segment.server;
    }
    detachUnused();
    const uint32_t server = xcb_generate_id(m_connection);
    // Once per buffer: whether the server can read this process's memory at all.
    if (xcb_generic_error_t* error = xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, server, uint32_t(id), 1))) {
        std::free(error);
        m_failed = true;
        return 0;
    }
    m_segments.push_back({ id, server });
    return server;
}

// Segments that only the server still maps: their buffers are gone here, and
// the server would keep their pages alive.
void XShmWindowOutput::detachUnused()
{
    std::erase_if(m_segments, [this](const Segment& segment) {
        shmid_ds state {};
        const bool unused = shmctl(segment.id, IPC_STAT, &state) != 0 || state.shm_nattch <= 1;
        if (unused)
            xcb_shm_detach(m_connection, segment.server);
        return unused;
    });
}
