#include "DesktopVideoPlayer.h"

#include "DesktopImageView.h"
#include "DesktopLevelWindow.h"
#include "DesktopVideoPlayerLog.h"
#include "LantoSettings.h"
#include "OffscreenFrames.h"
#include "PlayerLayerView.h"
#include "VideoFrameSource.h"
#include "Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QQuickWindow>

#include <chrono>
#include <cmath>

namespace {

using Status = PlayerBackend::TimeControlStatus;

void log(const QString& message) { DesktopVideoPlayerLog::write(message); }

QString fileName(const QUrl& url) { return QFileInfo(url.path()).fileName(); }

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString statusNumber(std::optional<Status> status)
{
    return status ? QString::number(int(*status)) : QStringLiteral("?");
}

QString waitingReason(const PlayerBackend& player)
{
    const QString reason = player.reasonForWaitingToPlay();
    return reason.isEmpty() ? QStringLiteral("unknown") : reason;
}

} // namespace

// What the status handler of one play keeps.
struct DesktopVideoPlayer::PlayStart
{
    Scheduler::Clock::time_point start;
    double setupSeconds = 0;
    bool handoff = false;
    bool replacement = false;
    PlayerBackend* oldPlayer = nullptr;
    bool firstPlay = false;
    double seekPosition = 0;
    // How old the handed-over position was at start, when it was taken while playing.
    std::optional<double> positionAge;
    // Where the new player starts decoding.
    double startSeconds = 0;
};

DesktopVideoPlayer::DesktopVideoPlayer(const DesktopVideoPlayerContext& context, QObject* parent)
    : QObject(parent), m_context(context)
{
}

DesktopVideoPlayer::~DesktopVideoPlayer()
{
    stopKeepingUp();
    stopRevealing();
    cancelObservationAndLooping();
    QObject::disconnect(m_powerObserver);
    QObject::disconnect(m_reduceMotionObserver);
    uncoverPoster();
    if (m_playerView) {
        m_playerView->setPlayer(nullptr);
        delete m_playerView.data();
    }
}

void DesktopVideoPlayer::play(const QUrl& url, DesktopImageView* imageView, bool handoff, double seekPosition,
    const std::optional<QDateTime>& positionDate)
{
    if (m_currentURL == url && m_player && m_player->rate() > 0) {
        log(QStringLiteral("play() SKIPPED — same URL already playing (rate=%1)").arg(rateText()));
        return;
    }
    if (reduceMotionHolds()) {
        log(QStringLiteral("play() SKIPPED — Reduce Motion enabled"));
        stop();
        return;
    }
    if (!imageView || !imageView->window()) {
        log(QStringLiteral("play() ERROR — imageView has no window!"));
        return;
    }

    m_shownAtPosition = false;
    stopKeepingUp();
    stopRevealing();
    PlayStart start;
    start.start = m_context.clock.now();
    start.handoff = handoff;
    start.seekPosition = seekPosition;
    if (positionDate) {
        const double age = double(positionDate->msecsTo(QDateTime::currentDateTimeUtc())) / 1000;
        if (age >= 0 && age <= maximumCarriedOverSeconds)
            start.positionAge = age;
    }
    // The old player plays on to the end of its pass, on screen, until the new one plays.
    cancelObservationAndLooping();
    if (m_player && m_playerView && m_playerView->player() != m_player.get()) {
        // A replacement that never played: the newer one takes its place, and
        // the old video stays on screen until that one plays.
        m_player.reset();
    } else if (m_player) {
        m_retiredPlayers.push_back(std::move(m_player));
    }
    if (m_playerView)
        start.oldPlayer = m_playerView->player();

    const QString previous = m_currentURL.isEmpty() ? QStringLiteral("none") : fileName(m_currentURL);
    m_currentURL = url;
    m_savedImageView = imageView;
    log(QStringLiteral("play() START — %1 (prev=%2)").arg(fileName(url), previous));

    // A video that goes on from a position is decoded from there: no frame of
    // the video's start (or of anywhere before the position) can reach the screen.
    if (seekPosition > minimumSeekPosition)
        start.startSeconds = seekPosition + start.positionAge.value_or(0);
    std::unique_ptr<PlayerBackend> player = makePlayer(url, start.startSeconds);
    start.firstPlay = !m_playerView;
    start.replacement = !start.firstPlay;
    log(QStringLiteral("play() isFirstPlay=%1, looper items=%2")
            .arg(start.firstPlay ? 1 : 0)
            .arg(player->queuedItemCount()));

    if (start.firstPlay && handoff) {
        // Shown at once when its frame is at the handed-over position: what
        // lies beneath until then (the other program's video) is the same video.
        createPlayerView(imageView, 0);
        m_revealWhenShown = true;
        // A poster is the video's start, far from the handed-over position.
        imageView->clearImage();
        log(QStringLiteral("play() PlayerLayerView created (handoff, alpha=1)"));
    } else if (start.firstPlay) {
        showPoster(url, imageView);
        createPlayerView(imageView, 0);
        log(QStringLiteral("play() PlayerLayerView created (alpha=0)"));
    }
    if (start.firstPlay && handoff)
        keepFramesWhileOffscreen(*player);
    if (start.firstPlay)
        m_playerView->setPlayer(player.get());
    else
        m_playerView->addStandbyPlayer(player.get());

    m_player = std::move(player);
    // A new video is not held by an earlier pause(); what else holds, holds it too.
    m_pauseReasons.setFlag(PauseReason::user, false);
    refreshOwnReasons();
    start.setupSeconds = secondsSince(start.start);
    observeStatus([this, start](std::optional<Status> previous) { statusAfterPlay(start, previous); });

    m_player->play();
    if (auto* window = qobject_cast<DesktopLevelWindow*>(imageView->window()))
        window->orderFront();
    log(QStringLiteral("play() DONE — setup=%1s, play() called").arg(number(start.setupSeconds, 3)));

    if (start.firstPlay)
        startSystemObservers();
}

void DesktopVideoPlayer::statusAfterPlay(const PlayStart& start, std::optional<Status> previous)
{
    const Status status = m_player->timeControlStatus();
    switch (status) {
    case Status::paused:
        log(QStringLiteral("STATUS → paused (rate=%1, from=%2)").arg(rateText(), statusNumber(previous)));
        return;
    case Status::waitingToPlayAtSpecifiedRate:
        log(QStringLiteral("STATUS → waiting (reason=%1, from=%2)")
                .arg(waitingReason(*m_player), statusNumber(previous)));
        return;
    case Status::playing:
        break;
    default:
        log(QStringLiteral("STATUS → unknown(%1)").arg(int(status)));
        return;
    }

    log(QStringLiteral("STATUS → playing (rate=%1, setup=%2s, total=%3s, from=%4, handoff=%5)")
            .arg(
                rateText(), number(start.setupSeconds, 3), number(secondsSince(start.start), 3), statusNumber(previous))
            .arg(start.handoff ? 1 : 0));
    if (start.replacement && m_playerView) {
        m_playerView->setPlayer(m_player.get());
        if (start.oldPlayer) {
            start.oldPlayer->setLoopsWholeFile(false);
            start.oldPlayer->pause();
        }
        log(QStringLiteral("deferred swap — old video replaced seamlessly"));
    }
    // Whatever the new player replaced is off screen now.
    m_retiredPlayers.clear();

    if (m_playerView) {
        if (start.firstPlay && !start.handoff) {
            m_playerView->fadeIn(fadeInMilliseconds);
            log(QStringLiteral("fade-in started (0.3s)"));
            followPosterCover();
        } else if (m_revealWhenShown) {
            // A seek that never lands must not leave the video hidden.
            m_revealDeadline = m_context.clock.after(maximumRevealWait, [this] { revealAtDeadline(); });
        } else {
            m_playerView->setOpacity(1);
        }
    }
    // The other program's video ran on while this one loaded: the new one goes
    // on to where that one is now, unless it is close enough already.
    const double target = start.positionAge ? start.startSeconds + secondsSince(start.start) : start.startSeconds;
    if (start.seekPosition > minimumSeekPosition && target - start.startSeconds > maximumLagSeconds) {
        seekRunningOn(target, start.positionAge.has_value());
    } else {
        if (start.seekPosition > minimumSeekPosition) {
            logResumed(target);
            if (start.positionAge)
                keepUpWithHandedOverVideo(target, m_context.clock.now());
        }
        announceShown(false);
    }
    if (start.seekPosition > minimumSeekPosition)
        log(QStringLiteral("sought to %1s after handoff").arg(number(target, 1)));
    endObservation();
    // A video started while a reason holds shows its first frame and stays there.
    if (m_pauseReasons)
        m_player->pause();
}

void DesktopVideoPlayer::reveal()
{
    m_revealDeadline.reset();
    if (std::exchange(m_revealWhenShown, false) && m_playerView)
        m_playerView->setOpacity(1);
}

void DesktopVideoPlayer::revealAtDeadline()
{
    const bool waitedOffscreen = m_offscreenFrames && m_offscreenFrames->isWaiting();
    reveal();
    if (waitedOffscreen) {
        m_offscreenFrames.reset();
        tellShown();
        return;
    }
    // A window taken off screen while it waited swaps no frame to wait for.
    QQuickWindow* window = m_playerView ? m_playerView->window() : nullptr;
    if (m_revealedFrame && !(window && window->isExposed())) {
        QObject::disconnect(m_revealedFrame);
        tellShown();
    }
}

void DesktopVideoPlayer::stopRevealing()
{
    m_revealWhenShown = false;
    QObject::disconnect(m_revealedFrame);
    if (m_revealDeadline)
        std::exchange(m_revealDeadline, nullptr)->cancel();
    m_offscreenFrames.reset();
}

void DesktopVideoPlayer::keepFramesWhileOffscreen(PlayerBackend& player)
{
    QQuickWindow* window = m_playerView->window();
    const std::shared_ptr<VideoFrameSource> source = player.frameSource();
    const std::shared_ptr<SoftwareFrameFeed> feed = source ? source->softwareFeed() : nullptr;
    if (!feed || !window || window->isExposed())
        return;
    m_offscreenFrames = std::make_unique<OffscreenFrames>(feed, window);
    connect(m_offscreenFrames.get(), &OffscreenFrames::ended, this,
        [this] { m_offscreenFrames.release()->deleteLater(); });
}

void DesktopVideoPlayer::announceShown(bool afterSeek)
{
    QQuickWindow* window = m_playerView ? m_playerView->window() : nullptr;
    if (!m_revealWhenShown || !window || (!window->isExposed() && !m_offscreenFrames)) {
        if (m_revealDeadline)
            std::exchange(m_revealDeadline, nullptr)->cancel();
        reveal();
        tellShown();
        return;
    }
    // The view may still hold a frame from before the seek, and one more may
    // come: the core tells of the landing while the frame it handed out last is
    // still to be drawn. The view shows from the second frame drawn after the
    // landing, and whoever hears of it (and may take the other program's video
    // away) hears once that is on screen.
    const std::shared_ptr<VideoFrameSource> source = m_player->frameSource();
    const std::shared_ptr<SoftwareFrameFeed> feed = source ? source->softwareFeed() : nullptr;
    const quint64 landed = feed ? feed->latestFrame().serial + (afterSeek ? 1 : 0) : 0;
    if (!window->isExposed()) {
        // Held off screen while the other program shows the desktop: whoever
        // shows the window hears once a frame from after the landing is drawn for it.
        m_offscreenFrames->whenDrawnAfter(landed, [this] {
            if (m_revealDeadline)
                std::exchange(m_revealDeadline, nullptr)->cancel();
            reveal();
            tellShown();
        });
        return;
    }
    m_revealedFrame = connect(window, &QQuickWindow::frameSwapped, this, [this, feed, landed] {
        if (m_revealWhenShown) {
            const SoftwareFrame frame = feed ? feed->latestFrame() : SoftwareFrame();
            if (feed && frame.serial <= landed)
                return;
            // A busy machine draws late, and the other program's video beneath
            // is still on the line: this one waits until it is there too.
            const std::optional<double> lag = lagBehindLine(frame);
            if (lag && std::abs(*lag) > maximumLagSeconds && std::abs(*lag) < keepUpMaximumLagSeconds)
                return;
            if (lag)
                log(QStringLiteral("handoff shown %1s from the handed-over line").arg(number(*lag, 3)));
            if (m_revealDeadline)
                std::exchange(m_revealDeadline, nullptr)->cancel();
            reveal();
            return;
        }
        QObject::disconnect(m_revealedFrame);
        tellShown();
    });
}

std::optional<double> DesktopVideoPlayer::lagBehindLine(const SoftwareFrame& frame) const
{
    const std::optional<double> position = m_keepUp && m_player ? m_player->currentTime() : std::nullopt;
    if (!position)
        return std::nullopt;
    double lag = m_keepUp->anchorPosition + secondsSince(m_keepUp->anchorTime) - *position;
    // The player's position is the frame due now; the one drawn may be late.
    if (frame.due != std::chrono::steady_clock::time_point())
        lag += std::chrono::duration<double>(std::chrono::steady_clock::now() - frame.due).count();
    return lag;
}

void DesktopVideoPlayer::tellShown()
{
    m_shownAtPosition = true;
    emit shownAtPosition();
}

void DesktopVideoPlayer::seekRunningOn(double target, bool mayCatchUp)
{
    const Scheduler::Clock::time_point issued = m_context.clock.now();
    connect(
        m_player.get(), &PlayerBackend::seekCompleted, this,
        [this, target, issued, mayCatchUp] {
            logResumed(target);
            if (mayCatchUp)
                keepUpWithHandedOverVideo(target, issued);
            announceShown(true);
        },
        Qt::SingleShotConnection);
    m_player->seekExactly(target);
}

// The position handed over and where the video really goes on, to tell how seamless a hand-over was.
void DesktopVideoPlayer::logResumed(double target)
{
    const std::optional<double> now = m_player->currentTime();
    log(QStringLiteral("handoff resumed at %1s (handed over at %2s)")
            .arg(now ? number(*now, 3) : QStringLiteral("nil"), number(target, 3)));
}

void DesktopVideoPlayer::keepUpWithHandedOverVideo(double target, Scheduler::Clock::time_point issued)
{
    // The other program's video ran on by the wall clock; this one keeps to it
    // for a while, through a slow seek or a busy start.
    m_keepUp = KeepUp { target, issued, secondsSince(issued), 0 };
    m_keepUpCheck = m_context.clock.after(std::chrono::milliseconds(0), [this] { checkKeepUp(); });
}

void DesktopVideoPlayer::checkKeepUp()
{
    m_keepUpCheck.reset();
    // A pause ends it; a stall does not: that is what it is for.
    if (!m_keepUp || !m_player || m_player->rate() <= 0)
        return;
    const double sinceAnchor = secondsSince(m_keepUp->anchorTime);
    const std::optional<double> now = m_player->currentTime();
    const double due = m_keepUp->anchorPosition + sinceAnchor;
    // Far behind or ahead is the loop's wrap, not a stall.
    const double lag = now ? due - *now : 0;
    // While it waits for frames a seek would only start the wait again.
    // Behind, it seeks on by as much again as its last seek took; ahead, after
    // a seek that went faster than the one before, it goes back to the line.
    if (isPlaying() && std::abs(lag) > maximumLagSeconds && std::abs(lag) < keepUpMaximumLagSeconds
        && m_keepUp->corrections < keepUpCorrections) {
        ++m_keepUp->corrections;
        log(QStringLiteral("handoff %1s %2 — seeking to the handed-over line")
                .arg(number(std::abs(lag), 3), lag > 0 ? QStringLiteral("behind") : QStringLiteral("ahead")));
        const Scheduler::Clock::time_point issued = m_context.clock.now();
        connect(
            m_player.get(), &PlayerBackend::seekCompleted, this,
            [this, issued] {
                if (m_keepUp)
                    m_keepUp->lastSeekSeconds = secondsSince(issued);
            },
            Qt::SingleShotConnection);
        m_player->seekExactly(due + (lag > 0 ? m_keepUp->lastSeekSeconds : 0));
    }
    if (sinceAnchor < keepUpSeconds)
        m_keepUpCheck = m_context.clock.after(keepUpInterval, [this] { checkKeepUp(); });
    else
        m_keepUp.reset();
}

void DesktopVideoPlayer::stopKeepingUp()
{
    m_keepUp.reset();
    if (m_keepUpCheck)
        std::exchange(m_keepUpCheck, nullptr)->cancel();
}

void DesktopVideoPlayer::stop()
{
    log(QStringLiteral("stop() — url=%1, rate=%2")
            .arg(m_currentURL.isEmpty() ? QStringLiteral("nil") : fileName(m_currentURL), rateText()));
    m_shownAtPosition = false;
    stopKeepingUp();
    stopRevealing();
    cancelObservationAndLooping();
    QObject::disconnect(m_powerObserver);
    QObject::disconnect(m_reduceMotionObserver);
    m_pauseReasons.setFlag(PauseReason::user, false);
    if (m_player) {
        m_player->pause();
        m_player->removeAllItems();
    }
    // The image view keeps its picture, seen again without the video view.
    uncoverPoster();
    if (m_playerView) {
        m_playerView->setPlayer(nullptr);
        delete m_playerView.data();
    }
    m_player.reset();
    m_retiredPlayers.clear();
    m_currentURL = QUrl();
    m_savedImageView = nullptr;
}

void DesktopVideoPlayer::pause()
{
    m_pauseReasons |= PauseReason::user;
    pausePlayback();
}

void DesktopVideoPlayer::resume()
{
    m_pauseReasons.setFlag(PauseReason::user, false);
    if (m_currentURL.isEmpty()) {
        log(QStringLiteral("resume() SKIPPED — no currentURL"));
        return;
    }
    refreshOwnReasons();
    if (m_pauseReasons == PauseReason::battery) {
        log(QStringLiteral("resume() SKIPPED — paused to save battery"));
        return;
    }
    if (m_pauseReasons) {
        log(QStringLiteral("resume() SKIPPED — still paused (%1)").arg(describePauseReasons(m_pauseReasons)));
        return;
    }
    resumePlayback();
}

void DesktopVideoPlayer::setPauseReasons(PauseReasons which, PauseReasons held)
{
    const PauseReasons before = m_pauseReasons;
    m_pauseReasons = (m_pauseReasons & ~which) | (held & which);
    if (!before && m_pauseReasons)
        pausePlayback();
    else if (before && !m_pauseReasons)
        resumePlayback();
}

void DesktopVideoPlayer::pausePlayback()
{
    log(QStringLiteral("pause() — url=%1, rate=%2")
            .arg(m_currentURL.isEmpty() ? QStringLiteral("nil") : fileName(m_currentURL), rateText()));
    stopKeepingUp();
    if (m_player)
        m_player->pause();
}

void DesktopVideoPlayer::resumePlayback()
{
    if (m_currentURL.isEmpty()) {
        log(QStringLiteral("resume() SKIPPED — no currentURL"));
        return;
    }
    const bool hasItem = m_player && m_player->hasCurrentItem();
    if (hasItem && m_player->itemStatus() == PlayerBackend::ItemStatus::failed) {
        const QString error = m_player->itemError();
        log(QStringLiteral("resume() — item FAILED (error=%1), rebuilding")
                .arg(error.isEmpty() ? QStringLiteral("nil") : error));
        rebuild(m_currentURL);
    } else if (hasItem) {
        log(QStringLiteral("resume() — calling play(), rate was %1").arg(rateText()));
        m_player->play();
    } else {
        log(QStringLiteral("resume() — player=%1, item=%2, full rebuild via play()")
                .arg(m_player ? QStringLiteral("ok") : QStringLiteral("nil"),
                    hasItem ? QStringLiteral("ok") : QStringLiteral("nil")));
        if (m_savedImageView)
            play(m_currentURL, m_savedImageView, false, 0);
    }
}

double DesktopVideoPlayer::currentPosition() const
{
    if (!m_player || !m_player->hasCurrentItem() || m_player->itemStatus() != PlayerBackend::ItemStatus::readyToPlay)
        return 0;
    const std::optional<double> time = m_player->currentTime();
    return time && std::isfinite(*time) ? *time : 0;
}

bool DesktopVideoPlayer::isPlaying() const
{
    return m_player && m_player->timeControlStatus() == PlayerBackend::TimeControlStatus::playing;
}

std::optional<QDateTime> DesktopVideoPlayer::positionDate() const
{
    if (!isPlaying())
        return std::nullopt;
    return QDateTime::currentDateTimeUtc();
}

// Replaces a failed item in place, keeping its position.
void DesktopVideoPlayer::rebuild(const QUrl& url)
{
    const auto start = m_context.clock.now();
    // Where the failed item had got to: its status is no longer ready to play,
    // so currentPosition() would give 0 and the video would start over.
    const double savedPosition = m_player ? m_player->currentTime().value_or(0) : 0;
    log(QStringLiteral("rebuild() START — %1 (savedPos=%2s)").arg(fileName(url), number(savedPosition, 1)));
    cancelObservationAndLooping();

    m_player = makePlayer(url);
    m_retiredPlayers.clear();
    if (m_playerView)
        m_playerView->setPlayer(m_player.get());
    observeStatus([this, start, savedPosition](
                      std::optional<Status> previous) { statusAfterRebuild(start, savedPosition, previous); });
    m_player->play();
    log(QStringLiteral("rebuild() DONE — setup=%1s, play() called").arg(number(secondsSince(start), 3)));
}

void DesktopVideoPlayer::statusAfterRebuild(
    Scheduler::Clock::time_point start, double savedPosition, std::optional<Status> previous)
{
    const QString elapsed = number(secondsSince(start), 3);
    switch (m_player->timeControlStatus()) {
    case Status::playing:
        log(QStringLiteral("rebuild() → playing (elapsed=%1s, from=%2)").arg(elapsed, statusNumber(previous)));
        if (m_playerView)
            m_playerView->setOpacity(1);
        if (savedPosition > minimumSeekPosition) {
            m_player->seekExactly(savedPosition);
            log(QStringLiteral("rebuild() sought to %1s").arg(number(savedPosition, 1)));
        }
        endObservation();
        return;
    case Status::waitingToPlayAtSpecifiedRate:
        log(QStringLiteral("rebuild() → waiting (reason=%1, elapsed=%2s)").arg(waitingReason(*m_player), elapsed));
        return;
    default:
        log(QStringLiteral("rebuild() → paused (elapsed=%1s, from=%2)").arg(elapsed, statusNumber(previous)));
        return;
    }
}

void DesktopVideoPlayer::endObservation()
{
    QObject::disconnect(m_statusObservation);
    ++m_observationGeneration;
}

void DesktopVideoPlayer::cancelObservationAndLooping()
{
    endObservation();
    if (m_player)
        m_player->setLoopsWholeFile(false);
}

std::unique_ptr<PlayerBackend> DesktopVideoPlayer::makePlayer(const QUrl& url, double startSeconds)
{
    std::optional<QSize> maximumSize;
    if (m_context.settings.boolValue(SettingsKey::reducedFrameRate, false))
        maximumSize = reducedMaximumSize;
    std::unique_ptr<PlayerBackend> player = m_context.backends.create();
    player->load(url, maximumSize, startSeconds);
    player->setLoopsWholeFile(true);
    return player;
}

void DesktopVideoPlayer::showPoster(const QUrl& videoUrl, DesktopImageView* imageView)
{
    const QString poster = QFileInfo(videoUrl.toLocalFile()).dir().filePath(QStringLiteral("Poster.png"));
    if (!QFileInfo::exists(poster))
        return;
    imageView->setCovered(false);
    // A window made for this video shows its poster already: not decoded twice.
    if (imageView->source() != poster)
        imageView->setImage(QUrl::fromLocalFile(poster));
    log(QStringLiteral("play() poster loaded as bridge"));
}

void DesktopVideoPlayer::followPosterCover()
{
    QObject::disconnect(m_posterCover);
    QQuickWindow* window = m_playerView ? m_playerView->window() : nullptr;
    if (!window)
        return;
    // Each scene frame tells; the video's first frame always comes through the scene.
    m_posterCover = connect(window, &QQuickWindow::frameSwapped, this, [this] {
        const PlayerLayerView* view = m_playerView;
        const bool covers = view && qFuzzyCompare(view->opacity(), 1.0) && !view->isFading()
            && view->cornerRadius() <= 0 && view->framesShown() > 0;
        if (m_savedImageView)
            m_savedImageView->setCovered(covers);
    });
}

void DesktopVideoPlayer::uncoverPoster()
{
    QObject::disconnect(m_posterCover);
    if (m_savedImageView)
        m_savedImageView->setCovered(false);
}

void DesktopVideoPlayer::createPlayerView(DesktopImageView* imageView, qreal opacity)
{
    auto* view = new PlayerLayerView(imageView);
    view->setOpacity(opacity);
    m_playerView = view;
}

void DesktopVideoPlayer::observeStatus(std::function<void(std::optional<Status> previous)> handler)
{
    endObservation();
    const quint64 generation = m_observationGeneration;
    // Each change is handled in a task of its own, after the call that caused it.
    m_statusObservation = connect(m_player.get(), &PlayerBackend::timeControlStatusChanged, this,
        [this, generation, handler](Status, std::optional<Status> previous) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, handler, previous] {
                    if (generation == m_observationGeneration && m_player)
                        handler(previous);
                },
                Qt::QueuedConnection);
        });
}

void DesktopVideoPlayer::startSystemObservers()
{
    QObject::disconnect(m_powerObserver);
    QObject::disconnect(m_reduceMotionObserver);
    m_powerObserver = connect(&m_context.workspace, &Workspace::powerStateChanged, this,
        [this] { setPaused(PauseReason::battery, powerRuleHolds()); });
    m_reduceMotionObserver = connect(&m_context.workspace, &Workspace::reduceMotionChanged, this,
        [this] { setPaused(PauseReason::reduceMotion, reduceMotionHolds()); });
}

void DesktopVideoPlayer::refreshOwnReasons()
{
    m_pauseReasons.setFlag(PauseReason::battery, powerRuleHolds());
    m_pauseReasons.setFlag(PauseReason::reduceMotion, reduceMotionHolds());
}

bool DesktopVideoPlayer::powerRuleHolds() const
{
    const Workspace& workspace = m_context.workspace;
    return (workspace.isOnBattery() || workspace.isLowPowerMode())
        && m_context.settings.boolValue(SettingsKey::pauseOnBattery, false);
}

bool DesktopVideoPlayer::reduceMotionHolds() const
{
    return m_context.workspace.reduceMotion() && m_context.settings.boolValue(SettingsKey::respectReduceMotion, false);
}

double DesktopVideoPlayer::secondsSince(Scheduler::Clock::time_point start) const
{
    return std::chrono::duration<double>(m_context.clock.now() - start).count();
}

QString DesktopVideoPlayer::rateText() const { return number(m_player ? m_player->rate() : 0.0, 1); }
