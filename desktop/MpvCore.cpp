#include "MpvCore.h"

#include <QThread>

#include <mpv/client.h>

namespace {

// Fixed for every desktop video: no sound, the whole file looped, the last
// frame kept at the end of a pass, and the picture filling the view, cropped.
constexpr std::pair<const char*, const char*> coreOptions[] = {
    { "vo", "libmpv" },
    { "aid", "no" },
    { "mute", "yes" },
    { "sid", "no" },
    { "idle", "yes" },
    { "pause", "yes" },
    { "keep-open", "yes" },
    { "loop-file", "inf" },
    { "panscan", "1.0" },
    { "hr-seek", "yes" },
    { "input-default-bindings", "no" },
    { "input-vo-keyboard", "no" },
    { "osc", "no" },
    { "ytdl", "no" },
    { "load-scripts", "no" },
    { "load-stats-overlay", "no" },
    { "load-osd-console", "no" },
    { "load-auto-profiles", "no" },
    { "config", "no" },
    { "terminal", "no" },
    { "osd-level", "0" },
    { "sub-auto", "no" },
    { "audio-file-auto", "no" },
    { "cover-art-auto", "no" },
    // A wallpaper plays a local file from start to end: a small read-ahead and
    // no cache behind the playback position keep memory flat however long it loops.
    { "cache", "no" },
    { "demuxer-max-bytes", "4MiB" },
    { "demuxer-max-back-bytes", "0" },
    { "demuxer-readahead-secs", "1" },
    // Each decoding thread holds frames of its own; a few keep up with 1080p at 30 fps.
    { "vd-lavc-threads", "1" },
    // The render thread draws when Qt Quick renders; it never waits for mpv's clock.
    { "video-timing-offset", "0" },
    // A wallpaper needs no dithering or high-quality scaling, and with a software
    // renderer they cost more than the decoding.
    { "dither-depth", "no" },
    { "scale", "bilinear" },
    { "dscale", "bilinear" },
    { "cscale", "bilinear" },
    { "correct-downscaling", "no" },
    { "linear-downscaling", "no" },
    { "sigmoid-upscaling", "no" },
    { "deband", "no" },
    // The same for frames drawn in memory: one thread converts a frame for
    // less than several that wait on each other, and dithering ten-bit video
    // down to eight bits is not worth a fifth of a core on a wallpaper.
    { "zimg-threads", "1" },
    { "zimg-dither", "no" },
    { "zimg-scaler", "bilinear" },
    { "zimg-fast", "yes" },
};

} // namespace

std::shared_ptr<MpvCore> MpvCore::create(VideoRenderPath::Path path, QString* error, Frames frames)
{
    mpv_handle* handle = mpv_create();
    if (!handle) {
        *error = QStringLiteral("libmpv could not create a player");
        return nullptr;
    }
    for (const auto& [name, value] : coreOptions)
        mpv_set_option_string(handle, name, value);
    // Frames drawn in memory would have to be copied back from the graphics
    // card; where OpenGL runs in software there is rarely a decoder on it anyway.
    mpv_set_option_string(handle, "hwdec", path == VideoRenderPath::Path::openGL ? "auto-safe" : "no");
    // Frames decoded ahead wait in memory, 6 MB each at 1080p in ten bits:
    // drawn as they fall due, one is enough.
    if (path == VideoRenderPath::Path::software)
        mpv_set_option_string(handle, "video-latency-hacks", "yes");
    if (path == VideoRenderPath::Path::software && frames == Frames::referencesOnSoftwarePath)
        mpv_set_option_string(handle, "vd-lavc-skipframe", "nonref");
    if (const int result = mpv_initialize(handle); result < 0) {
        *error = QString::fromUtf8(mpv_error_string(result));
        mpv_terminate_destroy(handle);
        return nullptr;
    }
    // The last owner may let go on the render thread; the core ends on its own thread.
    return std::shared_ptr<MpvCore>(new MpvCore(handle), [](MpvCore* core) {
        if (QThread::currentThread() == core->thread())
            delete core;
        else
            core->deleteLater();
    });
}

MpvCore::MpvCore(mpv_handle* handle) : m_handle(handle)
{
    mpv_set_wakeup_callback(
        m_handle,
        [](void* context) {
            auto* core = static_cast<MpvCore*>(context);
            if (!core->m_drainQueued.exchange(true))
                QMetaObject::invokeMethod(core, &MpvCore::drainEvents, Qt::QueuedConnection);
        },
        this);
}

MpvCore::~MpvCore()
{
    mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    mpv_terminate_destroy(m_handle);
}

void MpvCore::reportVideoOutputReady()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_hasVideoOutput = true;
            emit videoOutputReady();
        },
        Qt::QueuedConnection);
}

void MpvCore::drainEvents()
{
    m_drainQueued.store(false);
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        if (m_eventHandler)
            m_eventHandler(*event);
    }
}
