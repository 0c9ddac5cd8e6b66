#pragma once

#include "PlayerBackend.h"
#include "Scheduler.h"

#include <QHash>
#include <QList>
#include <QPointer>

#include <chrono>

// A player without pictures whose time is the scheduler's: with a
// VirtualScheduler, loading, playing, looping and the end of a pass happen only
// as the test advances the clock. Status changes are signalled as they happen.
class FakePlayerBackend final : public PlayerBackend
{
    Q_OBJECT

public:
    struct Media
    {
        double durationSeconds = 10;
        // Time from load to ready; none: only finishLoading() makes it ready.
        std::optional<Scheduler::Duration> loadTime = std::chrono::milliseconds(200);
        // Set: loading ends in this failure instead.
        QString failure;
    };

    explicit FakePlayerBackend(Scheduler& clock, std::function<Media(const QUrl&)> media);
    ~FakePlayerBackend() override;

    void load(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds = 0) override;
    void removeAllItems() override;
    int queuedItemCount() const override { return m_hasItem ? 1 : 0; }
    void play() override;
    void pause() override;
    double rate() const override { return m_rate; }
    TimeControlStatus timeControlStatus() const override { return m_status; }
    QString reasonForWaitingToPlay() const override;
    bool hasCurrentItem() const override { return m_hasItem; }
    ItemStatus itemStatus() const override { return m_itemStatus; }
    QString itemError() const override { return m_error; }
    std::optional<double> currentTime() const override;
    void seekExactly(double seconds) override;
    void setLoopsWholeFile(bool loops) override;
    bool loopsWholeFile() const override { return m_loops; }
    std::shared_ptr<VideoFrameSource> frameSource() const override { return nullptr; }

    // Test controls.
    void finishLoading();
    void failItem(const QString& error);
    // Waits as when the decoder runs dry, until play() or finishStall().
    void stall();
    void finishStall();

    QUrl url() const { return m_url; }
    std::optional<QSize> maximumSize() const { return m_maximumSize; }
    // Where the last load starts.
    double startSeconds() const { return m_startSeconds; }
    QList<double> seeks() const { return m_seeks; }

private:
    double positionNow() const;
    void setPosition(double seconds);
    void setStatus(TimeControlStatus status);
    void updateStatus();
    void scheduleEndOfPass();

    Scheduler& m_clock;
    std::function<Media(const QUrl&)> m_media;
    Media m_current;
    QUrl m_url;
    std::optional<QSize> m_maximumSize;
    double m_startSeconds = 0;
    bool m_hasItem = false;
    ItemStatus m_itemStatus = ItemStatus::unknown;
    QString m_error;
    double m_rate = 0;
    bool m_loops = false;
    bool m_stalled = false;
    TimeControlStatus m_status = TimeControlStatus::paused;
    // Position at m_anchor; it moves on from there while playing.
    double m_position = 0;
    Scheduler::Clock::time_point m_anchor;
    QList<double> m_seeks;
    WorkItemPtr m_loading;
    WorkItemPtr m_endOfPass;
};

// Makes fakes on one clock and keeps track of them for the test.
class FakePlayerBackendFactory final : public PlayerBackendFactory
{
public:
    explicit FakePlayerBackendFactory(Scheduler& clock) : m_clock(clock) { }

    std::unique_ptr<PlayerBackend> create() override;

    // What a URL plays like; others get Media's defaults.
    void setMedia(const QUrl& url, const FakePlayerBackend::Media& media) { m_media.insert(url, media); }

    // Every player made, oldest first; destroyed ones are null.
    QList<QPointer<FakePlayerBackend>> created() const { return m_created; }
    FakePlayerBackend* last() const { return m_created.isEmpty() ? nullptr : m_created.last().data(); }
    int alive() const;

private:
    Scheduler& m_clock;
    QHash<QUrl, FakePlayerBackend::Media> m_media;
    QList<QPointer<FakePlayerBackend>> m_created;
};
