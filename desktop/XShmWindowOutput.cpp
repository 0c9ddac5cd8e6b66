#include "XShmWindowOutput.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>

namespace {

xcb_connection_t* applicationConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// What the server of the application's connection takes: no MIT-SHM, ids only, or descriptors too.
SharedFramePages::Kind serverPages(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* shm = connection ? xcb_get_extension_data(connection, &xcb_shm_id) : nullptr;
    if (!shm || !shm->present)
        return SharedFramePages::Kind::plain;
    xcb_shm_query_version_reply_t* version
        = xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    const bool descriptors
        = version && (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2));
    std::free(version);
    return descriptors ? SharedFramePages::Kind::descriptor : SharedFramePages::Kind::systemV;
}

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

// The server's reports that it has read a frame: they come in with the
// application's other X events, on the main thread, and go to the output
// that put the frame (which may be gone by then).
class ShmCompletions final : public QAbstractNativeEventFilter
{
public:
    static ShmCompletions& instance()
    {
        static ShmCompletions completions;
        return completions;
    }

    // Once, on the main thread or while it waits.
    void listen(xcb_connection_t* connection)
    {
        std::call_once(m_installed, [this, connection] {
            m_completionType = xcb_get_extension_data(connection, &xcb_shm_id)->first_event + XCB_SHM_COMPLETION;
            qGuiApp->installNativeEventFilter(this);
        });
    }
    void add(XShmWindowOutput* output)
    {
        std::lock_guard lock(m_mutex);
        m_outputs.push_back(output);
    }
    void remove(XShmWindowOutput* output)
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_outputs, output);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != m_completionType)
            return false;
        const auto* completion = reinterpret_cast<const xcb_shm_completion_event_t*>(event);
        std::lock_guard lock(m_mutex);
        bool ours = false;
        for (XShmWindowOutput* output : m_outputs) {
            if (output->m_window == completion->drawable)
                ours = output->completed(completion->shmseg) || ours;
        }
        return ours;
    }

private:
    std::once_flag m_installed;
    uint8_t m_completionType = 0;
    std::mutex m_mutex;
    std::vector<XShmWindowOutput*> m_outputs;
};

std::shared_ptr<XShmWindowOutput> XShmWindowOutput::create(QWindow* window)
{
    xcb_connection_t* connection = applicationConnection();
    if (!connection || !window)
        return nullptr;
    const auto id = xcb_window_t(window->winId());
    const uint8_t depth = rgb32Depth(connection, id);
    if (!depth)
        return nullptr;
    const SharedFramePages::Kind pages = pagesServerReads();
    if (pages != SharedFramePages::Kind::plain)
        ShmCompletions::instance().listen(connection);
    const xcb_gcontext_t context = xcb_generate_id(connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection, context, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return std::make_shared<XShmWindowOutput>(connection, id, context, depth, pages);
}

SharedFramePages::Kind XShmWindowOutput::pagesServerReads()
{
    static const SharedFramePages::Kind kind = serverPages(applicationConnection());
    return kind;
}

XShmWindowOutput::XShmWindowOutput(
    xcb_connection_t* connection, uint32_t window, uint32_t context, uint8_t depth, SharedFramePages::Kind pages)
    : m_connection(connection),
      m_window(window),
      m_context(context),
      m_depth(depth),
      m_pages(pages),
      // In 4-byte units, the request's own fields included (at most 7 of them with BIG-REQUESTS).
      m_requestBytes((std::size_t(xcb_get_maximum_request_length(connection)) - 8) * 4)
{
    ShmCompletions::instance().add(this);
}

XShmWindowOutput::~XShmWindowOutput()
{
    ShmCompletions::instance().remove(this);
    for (const Segment& segment : m_segments)
        xcb_shm_detach(m_connection, segment.server);
    xcb_free_gc(m_connection, m_context);
    xcb_flush(m_connection);
}

bool XShmWindowOutput::put(const SoftwareFrame& frame, const QRect& source, QPoint target)
{
    if (frame.image.format() != QImage::Format_RGB32 || !frame.image.rect().contains(source))
        return false;
    std::lock_guard lock(m_mutex);
    if (m_pages == SharedFramePages::Kind::plain) {
        putCopy(frame.image, source, target);
        return true;
    }
    if (!frame.pages)
        return false;
    const uint32_t segment = attach(frame.pages);
    if (!segment)
        return false;
    const auto totalWidth = uint16_t(frame.image.bytesPerLine() / 4);
    // With send_event the server tells when it has read the frame (ShmCompletion).
    xcb_shm_put_image(m_connection, m_window, m_context, totalWidth, uint16_t(frame.image.height()),
        uint16_t(source.x()), uint16_t(source.y()), uint16_t(source.width()), uint16_t(source.height()),
        int16_t(target.x()), int16_t(target.y()), m_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 1, segment, 0);
    xcb_flush(m_connection);
    m_beingRead.push_back({ segment, frame.image });
    return true;
}

void XShmWindowOutput::putCopy(const QImage& image, const QRect& source, QPoint target)
{
    const std::size_t rowBytes = std::size_t(source.width()) * 4;
    const int bandRows = int(std::max<std::size_t>(1, m_requestBytes / rowBytes));
    // Whole rows lie side by side in the image already; a cropped frame's are gathered first.
    const bool contiguous = source.x() == 0 && std::size_t(image.bytesPerLine()) == rowBytes;
    for (int top = 0; top < source.height(); top += bandRows) {
        const int rows = std::min(bandRows, source.height() - top);
        const uchar* pixels = image.constScanLine(source.y() + top);
        if (!contiguous) {
            m_band.resize(rowBytes * std::size_t(rows));
            for (int row = 0; row < rows; ++row)
                std::memcpy(m_band.data() + rowBytes * std::size_t(row),
                    image.constScanLine(source.y() + top + row) + std::size_t(source.x()) * 4, rowBytes);
            pixels = m_band.data();
        }
        // xcb has written the request out, or copied it, when this returns: the frame is free again.
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_context, uint16_t(source.width()),
            uint16_t(rows), int16_t(target.x()), int16_t(target.y() + top), 0, m_depth,
            uint32_t(rowBytes * std::size_t(rows)), pixels);
    }
    xcb_flush(m_connection);
}

int XShmWindowOutput::framesBeingRead() const
{
    std::lock_guard lock(m_mutex);
    return int(m_beingRead.size());
}

bool XShmWindowOutput::completed(uint32_t segment)
{
    std::lock_guard lock(m_mutex);
    // The server reads the frames in the order they were put.
    const auto read = std::find_if(
        m_beingRead.begin(), m_beingRead.end(), [segment](const BeingRead& frame) { return frame.segment == segment; });
    if (read == m_beingRead.end())
        return false;
    m_beingRead.erase(read);
    return true;
}

uint32_t XShmWindowOutput::attach(const std::shared_ptr<const SharedFramePages>& pages)
{
    if (m_failed)
        return 0;
    for (const Segment& segment : m_segments) {
        if (segment.pages.lock() == pages)
            return segment.server;
    }
    detachUnused();
    const uint32_t server = xcb_generate_id(m_connection);
    xcb_void_cookie_t attached {};
    if (m_pages == SharedFramePages::Kind::descriptor && pages->descriptor() != -1) {
        // xcb closes the descriptor it sends: it gets a copy.
        const int copy = fcntl(pages->descriptor(), F_DUPFD_CLOEXEC, 0);
        if (copy == -1)
            return 0;
        attached = xcb_shm_attach_fd_checked(m_connection, server, copy, 1);
    } else if (pages->systemVId() != -1) {
        attached = xcb_shm_attach_checked(m_connection, server, uint32_t(pages->systemVId()), 1);
    } else {
        return 0;
    }
    // Once per buffer: whether the server can read this process's memory at all.
    if (xcb_generic_error_t* error = xcb_request_check(m_connection, attached)) {
        std::free(error);
        m_failed = true;
        return 0;
    }
    m_segments.push_back({ pages, server });
    return server;
}

// Pages this process has let go of: the server would keep them alive.
void XShmWindowOutput::detachUnused()
{
    std::erase_if(m_segments, [this](const Segment& segment) {
        const bool unused = segment.pages.expired();
        if (unused)
            xcb_shm_detach(m_connection, segment.server);
        return unused;
    });
}
