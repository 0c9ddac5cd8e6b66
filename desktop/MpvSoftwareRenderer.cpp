#include "MpvSoftwareRenderer.h"

#include "MpvCore.h"
#include "SharedFramePages.h"
#include "XShmWindowOutput.h"

#include <mpv/render.h>

#include <algorithm>
#include <atomic>

#include <pthread.h>

namespace {

// Buffers at most: one being drawn, the newest, the one before it, which the X
// server may still be reading, and one for each viewer, which may still show an
// older frame while its window catches up.
std::size_t maximumBuffers(std::size_t viewers) { return 3 + std::max<std::size_t>(viewers, 1); }
// libmpv's fast paths want rows on 64-byte boundaries.
constexpr int alignment = 64;

// The pixels of a pooled buffer, written in place: no viewer holds it while it
// is drawn, and bits() would copy it for that.
uchar* writablePixels(const QImage& image) { return const_cast<uchar*>(image.constBits()); }

} // namespace

// One pooled frame, over pages of its own, which lie where the X server can
// read them in place (see SharedFramePages), so that a window can be given the
// frame without a copy.
struct MpvSoftwareRenderer::Buffer
{
    static std::shared_ptr<Buffer> map(QSize size)
    {
        const int bytesPerLine = (size.width() * 4 + alignment - 1) / alignment * alignment;
        const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
        std::shared_ptr<SharedFramePages> pages = SharedFramePages::map(bytes, XShmWindowOutput::pagesServerReads());
        if (!pages)
            pages = SharedFramePages::map(bytes, SharedFramePages::Kind::plain);
        if (!pages)
            return nullptr;
        return std::make_shared<Buffer>(std::move(pages), size, bytesPerLine);
    }

    Buffer(std::shared_ptr<SharedFramePages> pages, QSize size, int bytesPerLine)
        : pages(std::move(pages)), size(size), bytesPerLine(bytesPerLine)
    {
    }

    // An opaque 32-bit RGB image of the pages. Until every copy of it is gone
    // the buffer is not free: whichever thread lets go of the last one marks it
    // free, with release order, after its last read of the pixels.
    static QImage image(const std::shared_ptr<Buffer>& buffer)
    {
        buffer->inUse.store(true, std::memory_order_relaxed);
        return QImage(static_cast<uchar*>(buffer->pages->address()), buffer->size.width(), buffer->size.height(),
            buffer->bytesPerLine, QImage::Format_RGB32,
            [](void* holder) {
                auto* owner = static_cast<std::shared_ptr<Buffer>*>(holder);
                (*owner)->inUse.store(false, std::memory_order_release);
                delete owner;
            },
            new std::shared_ptr<Buffer>(buffer));
    }

    bool isFree() const { return !inUse.load(std::memory_order_acquire); }

    const std::shared_ptr<SharedFramePages> pages;
    const QSize size;
    const int bytesPerLine;
    std::atomic<bool> inUse { false };
};

std::shared_ptr<MpvSoftwareRenderer> MpvSoftwareRenderer::create(std::shared_ptr<MpvCore> core, QString* error)
{
    const char* api = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(api) },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context* context = nullptr;
    if (const int result = mpv_render_context_create(&context, core->handle(), params); result < 0) {
        *error = QString::fromUtf8(mpv_error_string(result));
        return nullptr;
    }
    auto renderer = std::make_shared<MpvSoftwareRenderer>(core, context);
    core->reportVideoOutputReady();
    return renderer;
}

MpvSoftwareRenderer::MpvSoftwareRenderer(std::shared_ptr<MpvCore> core, mpv_render_context* context)
    : m_core(std::move(core)), m_context(context)
{
    mpv_render_context_set_update_callback(
        m_context,
        [](void* self) {
            auto* renderer = static_cast<MpvSoftwareRenderer*>(self);
            std::lock_guard lock(renderer->m_mutex);
            renderer->m_updatePending = true;
            renderer->m_wake.notify_one();
        },
        this);
    m_thread = std::thread([this] { run(); });
}

MpvSoftwareRenderer::~MpvSoftwareRenderer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_wake.notify_one();
    }
    m_thread.join();
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    // Before the core can end: libmpv requires it.
    mpv_render_context_free(m_context);
}

quint64 MpvSoftwareRenderer::addViewer(std::function<void()> frameReady)
{
    return m_viewers.add(std::move(frameReady));
}

void MpvSoftwareRenderer::setViewerSize(quint64 viewer, QSize pixels)
{
    if (m_viewers.setSize(viewer, pixels))
        redrawAtWantedSize();
}

void MpvSoftwareRenderer::removeViewer(quint64 viewer)
{
    m_viewers.remove(viewer);
    // The largest size left may be smaller.
    redrawAtWantedSize();
}

void MpvSoftwareRenderer::redrawAtWantedSize()
{
    // A paused video is drawn again at the size now wanted.
    std::lock_guard lock(m_mutex);
    m_updatePending = true;
    m_wake.notify_one();
}

SoftwareFrame MpvSoftwareRenderer::latestFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
}

void MpvSoftwareRenderer::run()
{
    pthread_setname_np(pthread_self(), "lanto/video");
    QSize drawnSize;
    // Before the first frame libmpv would draw black: nothing to redraw yet.
    bool hasFrame = false;
    for (;;) {
        QSize size;
        std::size_t viewers = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_updatePending || m_stopping; });
            if (m_stopping)
                return;
            m_updatePending = false;
        }
        size = m_viewers.largestSize();
        viewers = m_viewers.count();
        const bool newFrame = mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME;
        hasFrame = hasFrame || newFrame;
        // A frame that falls due is drawn; a new size redraws the current one.
        if (!newFrame && (size == drawnSize || size.isEmpty() || !hasFrame))
            continue;
        if (size.isEmpty()) {
            skip();
            continue;
        }
        const std::shared_ptr<Buffer> buffer = takeBuffer(size, maximumBuffers(viewers));
        if (!buffer) {
            skip();
            continue;
        }
        const QImage image = Buffer::image(buffer);
        const std::chrono::steady_clock::time_point due = nextFrameDue();
        draw(image);
        drawnSize = size;
        publish({ image, 0, buffer->pages, due });
    }
}

// A buffer no view reads any more (the pool holds it alone), or a new one.
// Of the free buffers one is kept for the next frame; more are given back.
std::shared_ptr<MpvSoftwareRenderer::Buffer> MpvSoftwareRenderer::takeBuffer(QSize size, std::size_t limit)
{
    std::erase_if(m_buffers, [size](const std::shared_ptr<Buffer>& buffer) { return buffer->size != size; });
    std::shared_ptr<Buffer> free;
    std::erase_if(m_buffers, [&free](const std::shared_ptr<Buffer>& buffer) {
        if (!buffer->isFree())
            return false;
        if (free)
            return true;
        free = buffer;
        return false;
    });
    if (!free) {
        if (m_buffers.size() >= limit)
            return nullptr; // the views lag behind: this frame is not drawn
        free = Buffer::map(size);
        if (!free)
            return nullptr;
        m_buffers.push_back(free);
    }
    return free;
}

// When the core means the frame about to be drawn to be shown, on this
// process's steady clock, or the epoch for a redraw or a frame without timing.
std::chrono::steady_clock::time_point MpvSoftwareRenderer::nextFrameDue() const
{
    mpv_render_frame_info info {};
    mpv_render_param param { MPV_RENDER_PARAM_NEXT_FRAME_INFO, &info };
    if (mpv_render_context_get_info(m_context, param) < 0 || !(info.flags & MPV_RENDER_FRAME_INFO_PRESENT)
        || (info.flags & MPV_RENDER_FRAME_INFO_REDRAW) || info.target_time <= 0)
        return {};
    const auto early = std::chrono::microseconds(info.target_time - mpv_get_time_us(m_core->handle()));
    return std::chrono::steady_clock::now() + early;
}

void MpvSoftwareRenderer::draw(const QImage& buffer)
{
    int size[2] = { buffer.width(), buffer.height() };
    std::size_t stride = std::size_t(buffer.bytesPerLine());
    // Format_RGB32 in memory on little-endian machines, the fourth byte set:
    // opaque to textures and to windows with an alpha channel alike.
    const char* format = "bgra";
    int block = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_SW_SIZE, size },
        { MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format) },
        { MPV_RENDER_PARAM_SW_STRIDE, &stride },
        { MPV_RENDER_PARAM_SW_POINTER, writablePixels(buffer) },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_context, params);
}

void MpvSoftwareRenderer::skip()
{
    int skip = 1;
    int block = 0;
    mpv_render_param params[] = {
        { MPV_RENDER_PARAM_SKIP_RENDERING, &skip },
        { MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_context, params);
}

void MpvSoftwareRenderer::publish(SoftwareFrame frame)
{
    {
        std::lock_guard lock(m_mutex);
        frame.serial = m_latest.serial + 1;
        m_latest = std::move(frame);
    }
    m_viewers.notifyAll();
}
