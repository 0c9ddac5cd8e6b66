#include "MpvPlayerBackend.h"

#include "MpvCore.h"
#include "MpvFrameSource.h"

#include <mpv/client.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The flags whose changes decide the status.
constexpr const char* observedFlags[] = { "core-idle", "paused-for-cache", "seeking", "eof-reached" };

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

MpvPlayerBackend::MpvPlayerBackend(std::shared_ptr<MpvCore> core, const QString& coreError, QObject* parent)
    : PlayerBackend(parent), m_core(std::move(core)), m_error(coreError)
{
    if (!m_core)
        return;
    m_frameSource = std::make_shared<MpvFrameSource>(m_core);
    m_core->setEventHandler([this](const mpv_event& event) { handleEvent(event); });
    connect(m_core.get(), &MpvCore::videoOutputReady, this, &MpvPlayerBackend::openFile);
    for (const char* flag : observedFlags)
        mpv_observe_property(m_core->handle(), 0, flag, MPV_FORMAT_FLAG);
}

MpvPlayerBackend::~MpvPlayerBackend()
{
    if (!m_core)
        return;
    // A view may keep the core a little longer; it must not play on unseen.
    m_core->setEventHandler({});
    command({ "stop" });
}

void MpvPlayerBackend::load(const QUrl& url, std::optional<QSize> maximumSize)
{
    m_url = url;
    m_maximumSize = maximumSize;
    m_hasItem = true;
    m_fileRequested = m_fileLoaded = m_playbackStarted = m_seekPending = false;
    m_itemStatus = ItemStatus::unknown;
    m_lastTime.reset();
    if (!m_core) {
        fail(m_error);
        return;
    }
    m_error.clear();
    if (m_core->hasVideoOutput())
        openFile();
}

void MpvPlayerBackend::openFile()
{
    if (!m_hasItem || m_fileRequested || m_itemStatus == ItemStatus::failed)
        return;
    m_fileRequested = true;
    if (m_maximumSize)
        setMaximumSize(m_core->handle(), *m_maximumSize);
    // Previews may stream a remote clip; desktop videos are always local files.
    const QByteArray path = m_url.isLocalFile() ? m_url.toLocalFile().toUtf8() : m_url.toEncoded();
    command({ "loadfile", path.constData() });
}

void MpvPlayerBackend::removeAllItems()
{
    if (m_core && m_fileRequested)
        command({ "stop" });
    m_hasItem = m_fileRequested = m_fileLoaded = m_playbackStarted = m_seekPending = false;
    m_itemStatus = ItemStatus::unknown;
    m_rate = 0;
    updateStatus();
}

void MpvPlayerBackend::play()
{
    if (!m_core || m_itemStatus == ItemStatus::failed)
        return;
    m_rate = 1;
    setMpvProperty("pause", "no");
    updateStatus();
}

void MpvPlayerBackend::pause()
{
    m_rate = 0;
    if (m_core)
        setMpvProperty("pause", "yes");
    updateStatus();
}

QString MpvPlayerBackend::reasonForWaitingToPlay() const
{
    if (m_status != TimeControlStatus::waitingToPlayAtSpecifiedRate)
        return {};
    if (!m_hasItem)
        return QStringLiteral("noItemToPlay");
    if (!m_core->hasVideoOutput())
        return QStringLiteral("waitingForVideoOutput");
    if (!m_fileLoaded || !m_playbackStarted)
        return QStringLiteral("loading");
    if (m_seeking)
        return QStringLiteral("seeking");
    if (m_pausedForCache)
        return QStringLiteral("buffering");
    return QStringLiteral("decoding");
}

std::optional<double> MpvPlayerBackend::currentTime() const
{
    if (!m_hasItem || m_itemStatus == ItemStatus::failed)
        return m_hasItem ? m_lastTime : std::nullopt;
    if (!m_fileLoaded)
        return std::nullopt;
    double seconds = 0;
    if (mpv_get_property(m_core->handle(), "time-pos", MPV_FORMAT_DOUBLE, &seconds) >= 0 && std::isfinite(seconds))
        m_lastTime = seconds;
    return m_lastTime;
}

void MpvPlayerBackend::seekExactly(double seconds)
{
    if (!m_core)
        return;
    const QByteArray position = QByteArray::number(seconds, 'f', 6);
    command({ "seek", position.constData(), "absolute+exact" });
    m_seekPending = m_fileLoaded;
}

void MpvPlayerBackend::setLoopsWholeFile(bool loops)
{
    m_loops = loops;
    if (m_core)
        setMpvProperty("loop-file", loops ? "inf" : "no");
}

void MpvPlayerBackend::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto& property = *static_cast<const mpv_event_property*>(event.data);
        handlePropertyChange(property.name, flagValue(property));
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (m_fileRequested) {
            m_fileLoaded = true;
            m_itemStatus = ItemStatus::readyToPlay;
            updateStatus();
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_fileLoaded) {
            m_playbackStarted = true;
            updateStatus();
            if (std::exchange(m_seekPending, false))
                emit seekCompleted();
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

void MpvPlayerBackend::handlePropertyChange(const char* name, bool value)
{
    if (std::strcmp(name, "core-idle") == 0)
        m_coreIdle = value;
    else if (std::strcmp(name, "paused-for-cache") == 0)
        m_pausedForCache = value;
    else if (std::strcmp(name, "seeking") == 0)
        m_seeking = value;
    else if (std::strcmp(name, "eof-reached") == 0 && value && !m_loops)
        m_rate = 0; // the pass ended; mpv holds its last frame, paused
    updateStatus();
}

void MpvPlayerBackend::fail(const QString& error)
{
    currentTime();
    m_itemStatus = ItemStatus::failed;
    m_error = error;
    m_rate = 0;
    updateStatus();
    emit itemFailed(error);
}

void MpvPlayerBackend::updateStatus()
{
    TimeControlStatus status = TimeControlStatus::waitingToPlayAtSpecifiedRate;
    if (m_rate <= 0)
        status = TimeControlStatus::paused;
    else if (m_fileLoaded && m_playbackStarted && !m_coreIdle && !m_pausedForCache && !m_seeking)
        status = TimeControlStatus::playing;
    const TimeControlStatus previous = std::exchange(m_status, status);
    if (previous != status)
        emit timeControlStatusChanged(status, previous);
}

void MpvPlayerBackend::command(std::initializer_list<const char*> arguments)
{
    std::vector<const char*> argv(arguments);
    argv.push_back(nullptr);
    mpv_command_async(m_core->handle(), 0, argv.data());
}

void MpvPlayerBackend::setMpvProperty(const char* name, const char* value)
{
    mpv_set_property_async(m_core->handle(), 0, name, MPV_FORMAT_STRING, &value);
}

std::unique_ptr<PlayerBackend> MpvPlayerBackendFactory::create()
{
    QString error;
    std::shared_ptr<MpvCore> core = MpvCore::create(&error);
    return std::make_unique<MpvPlayerBackend>(std::move(core), error);
}
