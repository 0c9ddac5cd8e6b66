#pragma once

#include "PauseReasons.h"
#include "PlayerBackend.h"
#include "PlayerLayerView.h"
#include "Scheduler.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DesktopImageView;
class OffscreenFrames;
struct SoftwareFrame;
class LantoSettings;
class Workspace;

// What a player needs of its surroundings; the window controller hands the same to every player.
struct DesktopVideoPlayerContext
{
    PlayerBackendFactory& backends;
    // Reduce motion and the power state.
    Workspace& workspace;
    // "respectReduceMotion", "reducedFrameRate" and "pauseOnBattery", read when needed.
    LantoSettings& settings;
    // The clock of the set-up and start-up figures in the log.
    Scheduler& clock;
};

// Plays one video wallpaper on one display: loops a local file without sound,
// filling the display, in a PlayerLayerView laid over the display's image view.
//
// A new video never shows a black frame: the first play shows the video's
// poster ("Poster.png" beside it) and fades the video in over it once it
// really plays; a replacement keeps the old video on screen until the new one
// plays (the deferred swap). A video taken over from another process at a known
// position jumps there as soon as it plays, and is shown only then: until
// then what lies beneath (the other program's video) stays in sight.
//
// The video plays only while no pause reason holds (see PauseReasons): its
// program's desktop sets sleep, lock and cover; the player itself follows the
// battery rule, reduce motion and its own pause(). A video started while one
// holds shows its first frame and stays there; the end of the last one resumes it.
//
// Main thread only. Every step is logged with the seconds since the first
// player log line of the process.
class DesktopVideoPlayer : public QObject
{
    Q_OBJECT

public:
    explicit DesktopVideoPlayer(const DesktopVideoPlayerContext& context, QObject* parent = nullptr);
    ~DesktopVideoPlayer() override;

    // Starts, restarts or replaces the video. handoff: the video continues
    // from seekPosition (seconds) taken over from another process; above 0.5 s
    // the player decodes from there, never from the start. positionDate: when
    // the other process was at seekPosition, still playing; the video then
    // starts as much further on as the time since, and once it plays it goes
    // on to where the other one is by then, so that it runs on as if it had
    // never changed hands (a date older than maximumCarriedOverSeconds is not
    // from a hand-over and counts for nothing). The same URL already playing is
    // left alone. An image view in no window changes nothing.
    void play(const QUrl& url, DesktopImageView* imageView, bool handoff, double seekPosition,
        const std::optional<QDateTime>& positionDate = std::nullopt);
    // Ends playback and detaches everything; the image view keeps its picture.
    // The player can be used again afterwards.
    void stop();
    // Pauses the video until resume(); everything else stays.
    void pause();
    // Ends the pause of pause() and restarts playback unless another reason
    // holds it, rebuilding the player (at the same position) when its item
    // failed, or playing the video again when there is no player or item.
    void resume();
    // Sets each reason of which as held has it (the others stay as they are).
    // The video pauses when the first reason comes and resumes when the last goes.
    void setPauseReasons(PauseReasons which, PauseReasons held);
    void setPaused(PauseReason reason, bool paused) { setPauseReasons(reason, paused ? reason : PauseReasons()); }
    PauseReasons pauseReasons() const { return m_pauseReasons; }
    // Seconds into the video; 0 while it loads or when there is none.
    double currentPosition() const;
    // Whether the newest player's time runs.
    bool isPlaying() const;
    // Whether shownAtPosition() came for the latest play.
    bool isShownAtPosition() const { return m_shownAtPosition; }
    // The moment currentPosition() holds for, to hand over with it: now while
    // the video plays, none otherwise (a paused video does not run on).
    std::optional<QDateTime> positionDate() const;

    // The video being played (or loading, during a replacement); empty after stop.
    QUrl currentURL() const { return m_currentURL; }
    // The newest player; null when idle.
    PlayerBackend* player() const { return m_player.get(); }
    // The video view, present from the first play until stop.
    PlayerLayerView* playerView() const { return m_playerView; }

    // How long the fade-in over the poster takes.
    static constexpr int fadeInMilliseconds = 300;
    // The largest decoded frame under "reducedFrameRate".
    static constexpr QSize reducedMaximumSize { 1920, 1080 };
    // A hand-over or rebuild seeks only to positions above this many seconds.
    static constexpr double minimumSeekPosition = 0.5;
    // A hand-over takes a few seconds at most; an older position date is from an earlier session.
    static constexpr double maximumCarriedOverSeconds = 10;
    // For keepUpSeconds after a hand-over the video keeps to the wall clock:
    // checked every keepUpInterval, it seeks to it when further from it than
    // maximumLagSeconds (but not keepUpMaximumLagSeconds, a loop's wrap), at most
    // keepUpCorrections times.
    static constexpr double maximumLagSeconds = 0.1;
    static constexpr double keepUpMaximumLagSeconds = 3;
    static constexpr double keepUpSeconds = 4;
    static constexpr auto keepUpInterval = std::chrono::milliseconds(250);
    static constexpr int keepUpCorrections = 3;
    // A handed-over video is shown once its seek landed, or after this at the latest.
    static constexpr auto maximumRevealWait = std::chrono::seconds(2);

signals:
    // A play has its video on screen where it should be: playing, and at the
    // handed-over position once the seek there landed.
    void shownAtPosition();

private:
    struct PlayStart;

    void rebuild(const QUrl& url);
    void cancelObservationAndLooping();
    void endObservation();
    std::unique_ptr<PlayerBackend> makePlayer(const QUrl& url, double startSeconds = 0);
    void showPoster(const QUrl& videoUrl, DesktopImageView* imageView);
    // While the video covers the whole image view, opaque, square and with a
    // frame on screen, the poster beneath is not seen: the view lets go of it.
    void followPosterCover();
    void uncoverPoster();
    void createPlayerView(DesktopImageView* imageView, qreal opacity);

    // Runs handler on the main thread after each status change of the newest
    // player, until cancelObservationAndLooping() ends the observation.
    void observeStatus(std::function<void(std::optional<PlayerBackend::TimeControlStatus> previous)> handler);
    void statusAfterPlay(const PlayStart& start, std::optional<PlayerBackend::TimeControlStatus> previous);
    // Seeks to target; shownAtPosition() follows its landing. mayCatchUp: a
    // video handed over while running, which must not fall behind it.
    void seekRunningOn(double target, bool mayCatchUp);
    void logResumed(double target);
    void keepUpWithHandedOverVideo(double target, Scheduler::Clock::time_point issued);
    void checkKeepUp();
    void stopKeepingUp();
    // Once the frame on screen is at the position: after a seek, frames drawn
    // from before it do not count.
    void announceShown(bool afterSeek);
    // How far behind the wall-clock line of a video handed over while running
    // the frame on screen is (ahead is below 0); none for other plays.
    std::optional<double> lagBehindLine(const SoftwareFrame& frame) const;
    void tellShown();
    void reveal();
    void revealAtDeadline();
    // A handed-over video whose window is held off screen keeps its frames drawn meanwhile.
    void keepFramesWhileOffscreen(PlayerBackend& player);
    void stopRevealing();
    void statusAfterRebuild(Scheduler::Clock::time_point start, double savedPosition,
        std::optional<PlayerBackend::TimeControlStatus> previous);

    void pausePlayback();
    void resumePlayback();

    void startSystemObservers();
    // The battery rule and reduce motion as they are now, without acting on them.
    void refreshOwnReasons();
    bool powerRuleHolds() const;
    bool reduceMotionHolds() const;

    double secondsSince(Scheduler::Clock::time_point start) const;
    QString rateText() const;

    DesktopVideoPlayerContext m_context;
    std::unique_ptr<PlayerBackend> m_player;
    // The player on screen while a replacement loads (a replacement replaced
    // before it played is dropped at once). Dropped once the newest plays, or by stop.
    std::vector<std::unique_ptr<PlayerBackend>> m_retiredPlayers;
    QPointer<PlayerLayerView> m_playerView;
    QUrl m_currentURL;
    QPointer<DesktopImageView> m_savedImageView;
    QMetaObject::Connection m_statusObservation;
    quint64 m_observationGeneration = 0;
    QMetaObject::Connection m_powerObserver;
    QMetaObject::Connection m_reduceMotionObserver;
    PauseReasons m_pauseReasons;
    bool m_shownAtPosition = false;
    // The wall-clock line a handed-over video keeps to: where it was due at a moment.
    struct KeepUp
    {
        double anchorPosition = 0;
        Scheduler::Clock::time_point anchorTime;
        double lastSeekSeconds = 0;
        int corrections = 0;
    };
    std::optional<KeepUp> m_keepUp;
    WorkItemPtr m_keepUpCheck;
    // A first play handed over: its view stays hidden until shownAtPosition().
    bool m_revealWhenShown = false;
    WorkItemPtr m_revealDeadline;
    // Waits for the window to show the revealed frame before shownAtPosition().
    QMetaObject::Connection m_revealedFrame;
    std::unique_ptr<OffscreenFrames> m_offscreenFrames;
    // Follows, frame by frame, whether the video covers the whole poster.
    QMetaObject::Connection m_posterCover;
};
