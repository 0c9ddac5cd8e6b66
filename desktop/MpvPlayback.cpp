#include "MpvPlayback.h"

#include "MpvCore.h"
#include "MpvFrameSource.h"
#include "MpvSoftwareRenderer.h"

#include <mpv/client.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The flags whose changes decide the players' status.
constexpr const char* observedFlags[] = { "core-idle", "paused-for-cache", "seeking", "eof-reached" };

// Players asking for places this close apart are at the same place: a frame at 30 fps.
constexpr double samePlaceSeconds = 1.0 / 30;

bool flagValue(const mpv_event_property& property)
{
    return property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data) != 0;
}

// Sets "vf" to a scale filter that shrinks frames larger than size to fit it,
// keeping their proportions, and passes smaller ones through untouched.
void setMaximumSize(mpv_handle* handle, QSize size)
{
    const QByteArray width = "min(" + QByteArray::number(size.width()) + ",iw)";
    const QByteArray height = "min(" + QByteArray::number(size.height()) + ",ih)";
    const char* keys[] = { "w", "h", "force_original_aspect_ratio" };
    const char* values[] = { width.constData(), height.constData(), "decrease" };
    mpv_node valueNodes[3];
    for (int i = 0; i < 3; ++i) {
        valueNodes[i].format = MPV_FORMAT_STRING;
        valueNodes[i].u.string = const_cast<char*>(values[i]);
    }
    mpv_node_list params { 3, valueNodes, const_cast<char**>(keys) };

    const char* filterKeys[] = { "name", "params" };
    mpv_node filterValues[2];
    filterValues[0].format = MPV_FORMAT_STRING;
    filterValues[0].u.string = const_cast<char*>("lavfi-scale");
    filterValues[1].format = MPV_FORMAT_NODE_MAP;
    filterValues[1].u.list = &params;
    mpv_node_list filter { 2, filterValues, const_cast<char**>(filterKeys) };

    mpv_node filterNode;
    filterNode.format = MPV_FORMAT_NODE_MAP;
    filterNode.u.list = &filter;
    mpv_node_list chain { 1, &filterNode, nullptr };
    mpv_node chainNode;
    chainNode.format = MPV_FORMAT_NODE_ARRAY;
    chainNode.u.list = &chain;
    mpv_set_property(handle, "vf", MPV_FORMAT_NODE, &chainNode);
}

} // namespace

MpvPlayback::MpvPlayback(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds,
    VideoRenderPath::Path path, MpvCore::Frames frames)
    : m_url(url), m_maximumSize(maximumSize), m_startSeconds(startSeconds), m_path(path)
{
    QString error;
    m_core = MpvCore::create(path, &error, frames);
    if (!m_core) {
        failLater(error);
        return;
    }
    m_core->setEventHandler([this](const mpv_event& event) { handleEvent(event); });
    for (const char* flag : observedFlags)
        mpv_observe_property(m_core->handle(), 0, flag, MPV_FORMAT_FLAG);
    connect(m_core.get(), &MpvCore::videoOutputReady, this, &MpvPlayback::open);
    if (path == VideoRenderPath::Path::software) {
        m_softwareRenderer = MpvSoftwareRenderer::create(m_core, &error);
        if (!m_softwareRenderer)
            failLater(error);
    } else {
        m_frameSource = std::make_shared<MpvFrameSource>(m_core);
    }
}

MpvPlayback::~MpvPlayback()
{
    if (!m_core)
        return;
    // A view may keep the core a little longer; it must not play on unseen.
    m_core->setEventHandler({});
    command({ "stop" });
}

void MpvPlayback::setWish(const void* player, Wish wish)
{
    m_wishes[player] = wish;
    applyWishes();
}

void MpvPlayback::removePlayer(const void* player)
{
    m_wishes.erase(player);
    applyWishes();
}

bool MpvPlayback::isJoinable(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds) const
{
    return m_path == VideoRenderPath::Path::software && m_core && !m_failed && !m_playbackStarted
        && m_seekRequests.empty() && m_url == url && m_maximumSize == maximumSize
        && std::abs(m_startSeconds - startSeconds) < samePlaceSeconds;
}

bool MpvPlayback::hasVideoOutput() const { return m_core && m_core->hasVideoOutput(); }

std::optional<double> MpvPlayback::time() const
{
    if (!m_fileLoaded || m_failed)
        return m_lastTime;
    double seconds = 0;
    if (mpv_get_property(m_core->handle(), "time-pos", MPV_FORMAT_DOUBLE, &seconds) >= 0 && std::isfinite(seconds))
        m_lastTime = seconds;
    return m_lastTime;
}

void MpvPlayback::requestSeek(double seconds, std::function<void(bool shared)> decided)
{
    if (m_wishes.size() <= 1) {
        seekCore(seconds);
        decided(true);
        return;
    }
    m_seekRequests.push_back({ seconds, std::move(decided) });
    if (m_seekRequests.size() == 1)
        QMetaObject::invokeMethod(this, &MpvPlayback::decideSeeks, Qt::QueuedConnection);
}

// Every player asked for the same place: one seek serves them all. Otherwise
// the players that asked leave, and the others play on undisturbed.
void MpvPlayback::decideSeeks()
{
    std::vector<SeekRequest> requests = std::move(m_seekRequests);
    m_seekRequests.clear();
    if (requests.empty())
        return;
    const double first = requests.front().seconds;
    const bool allAgree = requests.size() >= m_wishes.size()
        && std::all_of(requests.begin(), requests.end(),
            [first](const SeekRequest& request) { return std::abs(request.seconds - first) < samePlaceSeconds; });
    if (allAgree)
        seekCore(first);
    for (const SeekRequest& request : requests)
        request.decided(allAgree);
}

void MpvPlayback::seekCore(double seconds)
{
    if (!m_core)
        return;
    const QByteArray position = QByteArray::number(seconds, 'f', 6);
    command({ "seek", position.constData(), "absolute+exact" });
}

void MpvPlayback::open()
{
    if (m_fileRequested || m_failed)
        return;
    m_fileRequested = true;
    if (m_maximumSize)
        setMaximumSize(m_core->handle(), *m_maximumSize);
    // Previews may stream a remote clip; desktop videos are always local files.
    const QByteArray path = m_url.isLocalFile() ? m_url.toLocalFile().toUtf8() : m_url.toEncoded();
    if (m_startSeconds > 0) {
        const QByteArray start = "start=" + QByteArray::number(m_startSeconds, 'f', 6);
        command({ "loadfile", path.constData(), "replace", start.constData() });
    } else {
        command({ "loadfile", path.constData() });
    }
}

void MpvPlayback::applyWishes()
{
    if (!m_core)
        return;
    bool playing = false;
    bool loops = false;
    for (const auto& [player, wish] : m_wishes) {
        playing = playing || wish.playing;
        loops = loops || wish.loops;
    }
    if (m_appliedPause != !playing) {
        m_appliedPause = !playing;
        setProperty("pause", playing ? "no" : "yes");
    }
    if (m_appliedLoop != loops) {
        m_appliedLoop = loops;
        setProperty("loop-file", loops ? "inf" : "no");
    }
}

void MpvPlayback::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto& property = *static_cast<const mpv_event_property*>(event.data);
        handleFlag(property.name, flagValue(property));
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (m_fileRequested) {
            m_fileLoaded = true;
            emit stateChanged();
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_fileLoaded) {
            m_playbackStarted = true;
            emit stateChanged();
            emit playbackRestarted();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto& end = *static_cast<const mpv_event_end_file*>(event.data);
        if (end.reason == MPV_END_FILE_REASON_ERROR && m_fileRequested)
            fail(QString::fromUtf8(mpv_error_string(end.error)));
        break;
    }
    default:
        break;
    }
}

void MpvPlayback::handleFlag(const char* name, bool value)
{
    if (std::strcmp(name, "core-idle") == 0)
        m_coreIdle = value;
    else if (std::strcmp(name, "paused-for-cache") == 0)
        m_pausedForCache = value;
    else if (std::strcmp(name, "seeking") == 0)
        m_seeking = value;
    else if (std::strcmp(name, "eof-reached") == 0 && value && m_appliedLoop == false) {
        // mpv holds the last frame and pauses itself: the next wish to play must reach it.
        m_appliedPause.reset();
        emit passEnded();
    }
    emit stateChanged();
}

// Reported once the players have connected to the playback.
void MpvPlayback::failLater(const QString& error)
{
    QMetaObject::invokeMethod(this, [this, error] { fail(error); }, Qt::QueuedConnection);
}

void MpvPlayback::fail(const QString& error)
{
    time();
    m_failed = true;
    m_error = error;
    emit failedWith(error);
}

void MpvPlayback::command(std::initializer_list<const char*> arguments)
{
    std::vector<const char*> argv(arguments);
    argv.push_back(nullptr);
    mpv_command_async(m_core->handle(), 0, argv.data());
}

void MpvPlayback::setProperty(const char* name, const char* value)
{
    mpv_set_property_async(m_core->handle(), 0, name, MPV_FORMAT_STRING, &value);
}
