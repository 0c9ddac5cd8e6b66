#include "FakePlayerBackend.h"

#include <algorithm>
#include <cmath>

FakePlayerBackend::FakePlayerBackend(Scheduler& clock, std::function<Media(const QUrl&)> media)
    : m_clock(clock), m_media(std::move(media)), m_anchor(clock.now())
{
}

FakePlayerBackend::~FakePlayerBackend()
{
    if (m_loading)
        m_loading->cancel();
    if (m_endOfPass)
        m_endOfPass->cancel();
}

void FakePlayerBackend::load(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds)
{
    removeAllItems();
    m_url = url;
    m_maximumSize = maximumSize;
    m_startSeconds = startSeconds;
    m_current = m_media(url);
    m_hasItem = true;
    if (m_current.loadTime) {
        QPointer<FakePlayerBackend> self(this);
        m_loading = m_clock.after(*m_current.loadTime, [self] {
            if (self)
                self->finishLoading();
        });
    }
}

void FakePlayerBackend::removeAllItems()
{
    if (m_loading)
        m_loading->cancel();
    m_hasItem = false;
    m_rate = 0;
    m_itemStatus = ItemStatus::unknown;
    m_error.clear();
    setPosition(0);
    updateStatus();
}

void FakePlayerBackend::play()
{
    setPosition(positionNow());
    m_rate = m_itemStatus == ItemStatus::failed ? 0 : 1;
    m_stalled = false;
    updateStatus();
}

void FakePlayerBackend::pause()
{
    setPosition(positionNow());
    m_rate = 0;
    updateStatus();
}

QString FakePlayerBackend::reasonForWaitingToPlay() const
{
    if (m_status != TimeControlStatus::waitingToPlayAtSpecifiedRate)
        return {};
    if (!m_hasItem)
        return QStringLiteral("noItemToPlay");
    return m_stalled ? QStringLiteral("buffering") : QStringLiteral("loading");
}

std::optional<double> FakePlayerBackend::currentTime() const
{
    if (m_itemStatus == ItemStatus::unknown)
        return std::nullopt;
    return positionNow();
}

void FakePlayerBackend::seekExactly(double seconds)
{
    m_seeks.append(seconds);
    setPosition(std::clamp(seconds, 0.0, m_current.durationSeconds));
    scheduleEndOfPass();
    // As a real decoder does, it tells of the landing later, from the event loop.
    QMetaObject::invokeMethod(this, &PlayerBackend::seekCompleted, Qt::QueuedConnection);
}

void FakePlayerBackend::setLoopsWholeFile(bool loops)
{
    setPosition(positionNow());
    m_loops = loops;
    scheduleEndOfPass();
}

void FakePlayerBackend::finishLoading()
{
    if (!m_hasItem || m_itemStatus != ItemStatus::unknown)
        return;
    if (!m_current.failure.isEmpty()) {
        failItem(m_current.failure);
        return;
    }
    m_itemStatus = ItemStatus::readyToPlay;
    setPosition(std::clamp(m_startSeconds, 0.0, m_current.durationSeconds));
    updateStatus();
}

void FakePlayerBackend::failItem(const QString& error)
{
    setPosition(positionNow());
    m_itemStatus = ItemStatus::failed;
    m_error = error;
    m_rate = 0;
    updateStatus();
    emit itemFailed(error);
}

void FakePlayerBackend::stall()
{
    setPosition(positionNow());
    m_stalled = true;
    updateStatus();
}

void FakePlayerBackend::finishStall()
{
    m_stalled = false;
    updateStatus();
}

double FakePlayerBackend::positionNow() const
{
    if (m_status != TimeControlStatus::playing)
        return m_position;
    const double played = m_position + std::chrono::duration<double>(m_clock.now() - m_anchor).count() * m_rate;
    const double duration = m_current.durationSeconds;
    if (played < duration)
        return played;
    return m_loops && duration > 0 ? std::fmod(played, duration) : duration;
}

void FakePlayerBackend::setPosition(double seconds)
{
    m_position = seconds;
    m_anchor = m_clock.now();
}

void FakePlayerBackend::setStatus(TimeControlStatus status)
{
    if (m_status == status)
        return;
    const double position = positionNow();
    const TimeControlStatus previous = std::exchange(m_status, status);
    setPosition(position);
    emit timeControlStatusChanged(status, previous);
}

void FakePlayerBackend::updateStatus()
{
    if (m_rate <= 0)
        setStatus(TimeControlStatus::paused);
    else if (m_itemStatus == ItemStatus::readyToPlay && !m_stalled)
        setStatus(TimeControlStatus::playing);
    else
        setStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
    scheduleEndOfPass();
}

// Without looping, the pass ends on its last frame, paused, as the real player does.
void FakePlayerBackend::scheduleEndOfPass()
{
    if (m_endOfPass)
        m_endOfPass->cancel();
    if (m_status != TimeControlStatus::playing || m_loops)
        return;
    const double left = std::max(0.0, m_current.durationSeconds - positionNow());
    QPointer<FakePlayerBackend> self(this);
    m_endOfPass
        = m_clock.after(std::chrono::duration_cast<Scheduler::Duration>(std::chrono::duration<double>(left)), [self] {
              if (!self)
                  return;
              self->setPosition(self->m_current.durationSeconds);
              self->m_rate = 0;
              self->updateStatus();
          });
}

std::unique_ptr<PlayerBackend> FakePlayerBackendFactory::create()
{
    auto player = std::make_unique<FakePlayerBackend>(
        m_clock, [this](const QUrl& url) { return m_media.value(url, FakePlayerBackend::Media()); });
    m_created.append(player.get());
    return player;
}

int FakePlayerBackendFactory::alive() const
{
    return int(
        std::count_if(m_created.cbegin(), m_created.cend(), [](const auto& player) { return !player.isNull(); }));
}
