#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class VideoFrameSource;

// One muted player of one video file: what DesktopVideoPlayer drives. The real
// one is a libmpv handle; tests drive a fake in virtual time.
//
// Main thread only. Signals are emitted on the main thread, possibly from
// inside a call that changed the state.
class PlayerBackend : public QObject
{
    Q_OBJECT

public:
    // Whether time runs: the raw values are what the log prints.
    enum class TimeControlStatus {
        paused = 0,
        waitingToPlayAtSpecifiedRate = 1,
        playing = 2,
    };
    Q_ENUM(TimeControlStatus)

    enum class ItemStatus {
        unknown,
        readyToPlay,
        failed,
    };

    using QObject::QObject;
    ~PlayerBackend() override;

    // Opens the file as the player's only item. maximumSize, when given, caps
    // the size at which frames are decoded (proportions kept). Starts paused,
    // at startSeconds: no frame before that is decoded.
    virtual void load(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds = 0) = 0;
    // Drops the item; the player is empty afterwards.
    virtual void removeAllItems() = 0;
    // The number of items queued: 1 after load, 0 when empty.
    virtual int queuedItemCount() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    // The rate asked for: 1.0 after play; 0.0 after pause, without an item, or when the item ended or failed.
    virtual double rate() const = 0;
    virtual TimeControlStatus timeControlStatus() const = 0;
    // Why the player waits, when it does; empty otherwise.
    virtual QString reasonForWaitingToPlay() const = 0;

    virtual bool hasCurrentItem() const = 0;
    virtual ItemStatus itemStatus() const = 0;
    // What went wrong with the item; empty unless it failed.
    virtual QString itemError() const = 0;

    // Seconds into the item; none while it loads or when there is none. A
    // failed item keeps the time it had reached.
    virtual std::optional<double> currentTime() const = 0;
    // Moves to the frame at seconds exactly, without tolerance; seekCompleted
    // follows once playback goes on from there.
    virtual void seekExactly(double seconds) = 0;
    // Whether the whole file starts again when it ends. Turning it off lets the
    // current pass play to its end and stop there, on its last frame.
    virtual void setLoopsWholeFile(bool loops) = 0;
    virtual bool loopsWholeFile() const = 0;

    // What a video view draws this player's frames through; null when the
    // player has no pictures to show (a test fake).
    virtual std::shared_ptr<VideoFrameSource> frameSource() const = 0;

signals:
    // The status changed; previous is the value before, when known.
    void timeControlStatusChanged(
        PlayerBackend::TimeControlStatus status, std::optional<PlayerBackend::TimeControlStatus> previous);
    // The item could not be opened or decoded; itemStatus() is failed from now on.
    void itemFailed(const QString& error);
    // A seek landed; currentTime() tells where playback goes on.
    void seekCompleted();
};

// Makes the players; the window controller hands the same factory to every DesktopVideoPlayer.
class PlayerBackendFactory
{
public:
    virtual ~PlayerBackendFactory() = default;
    virtual std::unique_ptr<PlayerBackend> create() = 0;
};
