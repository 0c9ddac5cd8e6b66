#include "MpvPlayerBackend.h"

#include "MpvPlayback.h"
#include "MpvPlaybackPool.h"
#include "MpvSoftwareRenderer.h"
#include "PlayerFrameFeed.h"

#include <QPointer>

#include <utility>

MpvPlayerBackend::MpvPlayerBackend(std::shared_ptr<MpvPlaybackPool> pool, QObject* parent)
    : PlayerBackend(parent), m_pool(std::move(pool)), m_feed(std::make_shared<PlayerFrameFeed>())
{
}

MpvPlayerBackend::~MpvPlayerBackend() { detach(); }

void MpvPlayerBackend::load(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds)
{
    detach();
    m_url = url;
    m_maximumSize = maximumSize;
    m_hasItem = true;
    m_seekPending = false;
    m_heldTime.reset();
    attach(m_pool->join(url, maximumSize, startSeconds));
    updateStatus();
}

void MpvPlayerBackend::attach(std::shared_ptr<MpvPlayback> playback)
{
    m_playback = std::move(playback);
    MpvPlayback* raw = m_playback.get();
    connect(raw, &MpvPlayback::stateChanged, this, &MpvPlayerBackend::updateStatus);
    connect(raw, &MpvPlayback::playbackRestarted, this, [this] {
        updateStatus();
        if (std::exchange(m_seekPending, false))
            emit seekCompleted();
    });
    connect(raw, &MpvPlayback::passEnded, this, [this] {
        if (m_loops)
            return;
        m_rate = 0; // mpv holds the last frame, paused
        updateStatus();
    });
    connect(raw, &MpvPlayback::failedWith, this, [this](const QString& error) {
        m_rate = 0;
        updateStatus();
        emit itemFailed(error);
    });
    m_feed->setSource(m_playback->softwareRenderer());
    tellWish();
}

void MpvPlayerBackend::detach()
{
    if (!m_playback)
        return;
    m_playback->disconnect(this);
    m_playback->removePlayer(this);
    m_playback.reset();
}

void MpvPlayerBackend::removeAllItems()
{
    detach();
    m_feed->setSource(nullptr);
    m_hasItem = m_seekPending = false;
    m_heldTime.reset();
    m_rate = 0;
    updateStatus();
}

void MpvPlayerBackend::play()
{
    if (!m_playback || m_playback->failed())
        return;
    m_rate = 1;
    m_heldTime.reset();
    m_feed->setHeld(false);
    tellWish();
    updateStatus();
}

void MpvPlayerBackend::pause()
{
    if (m_rate > 0 && m_playback && m_playback->playerCount() > 1) {
        // The others play on: this player keeps its frame and its place.
        m_heldTime = m_playback->time();
        m_feed->setHeld(true);
    }
    m_rate = 0;
    tellWish();
    updateStatus();
}

void MpvPlayerBackend::tellWish()
{
    if (m_playback)
        m_playback->setWish(this, { m_rate > 0, m_loops });
}

QString MpvPlayerBackend::reasonForWaitingToPlay() const
{
    if (m_status != TimeControlStatus::waitingToPlayAtSpecifiedRate)
        return {};
    if (!m_hasItem || !m_playback)
        return QStringLiteral("noItemToPlay");
    if (!m_playback->hasVideoOutput())
        return QStringLiteral("waitingForVideoOutput");
    if (!m_playback->fileLoaded() || !m_playback->playbackStarted())
        return QStringLiteral("loading");
    if (m_playback->seeking() || m_seekPending)
        return QStringLiteral("seeking");
    if (m_playback->pausedForCache())
        return QStringLiteral("buffering");
    return QStringLiteral("decoding");
}

PlayerBackend::ItemStatus MpvPlayerBackend::itemStatus() const
{
    if (!m_playback)
        return ItemStatus::unknown;
    if (m_playback->failed())
        return ItemStatus::failed;
    return m_playback->fileLoaded() ? ItemStatus::readyToPlay : ItemStatus::unknown;
}

QString MpvPlayerBackend::itemError() const { return m_playback ? m_playback->error() : QString(); }

std::optional<double> MpvPlayerBackend::currentTime() const
{
    if (!m_hasItem || !m_playback)
        return std::nullopt;
    if (m_heldTime)
        return m_heldTime;
    return m_playback->time();
}

void MpvPlayerBackend::seekExactly(double seconds)
{
    if (!m_playback || m_playback->failed())
        return;
    m_seekPending = m_playback->fileLoaded();
    if (m_heldTime)
        m_heldTime = seconds;
    QPointer<MpvPlayerBackend> self(this);
    m_playback->requestSeek(seconds, [self, seconds](bool shared) {
        if (!self || shared)
            return;
        // Elsewhere than the others: a playback of its own, from there. Its
        // views keep the last frame until the new playback has one.
        self->detach();
        self->m_seekPending = true;
        self->attach(self->m_pool->start(self->m_url, self->m_maximumSize, seconds));
        self->updateStatus();
    });
}

void MpvPlayerBackend::setLoopsWholeFile(bool loops)
{
    m_loops = loops;
    tellWish();
}

std::shared_ptr<VideoFrameSource> MpvPlayerBackend::frameSource() const
{
    if (m_playback && m_playback->path() == VideoRenderPath::Path::openGL)
        return m_playback->frameSource();
    return m_feed;
}

void MpvPlayerBackend::updateStatus()
{
    TimeControlStatus status = TimeControlStatus::waitingToPlayAtSpecifiedRate;
    if (m_rate <= 0 || !m_playback || m_playback->failed())
        status = TimeControlStatus::paused;
    else if (m_playback->isFlowing())
        status = TimeControlStatus::playing;
    const TimeControlStatus previous = std::exchange(m_status, status);
    if (previous != status)
        emit timeControlStatusChanged(status, previous);
}

MpvPlayerBackendFactory::MpvPlayerBackendFactory(MpvCore::Frames frames)
    : m_pool(std::make_shared<MpvPlaybackPool>(std::nullopt, frames))
{
}

MpvPlayerBackendFactory::~MpvPlayerBackendFactory() = default;

std::unique_ptr<PlayerBackend> MpvPlayerBackendFactory::create()
{
    return std::make_unique<MpvPlayerBackend>(m_pool);
}
