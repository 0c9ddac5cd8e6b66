#pragma once

#include "MpvCore.h"
#include "PlayerBackend.h"

#include <memory>

class MpvPlayback;
class MpvPlaybackPool;
class PlayerFrameFeed;

// A player on a libmpv playback (MpvPlayback), alone or sharing it with other
// players that show the same file in step. On the OpenGL path the playback
// opens its file only once a view has given it a video output, and waits until
// then; on the software path it draws in memory and opens at once.
//
// The three statuses: paused while we asked for pause (or the pass ended
// without looping, or the item failed); playing once the file is open,
// playback has (re)started after the open or a seek, and the core is neither
// idle nor waiting for data; waiting otherwise.
//
// A seek to a place the other players of a shared playback do not go to moves
// this player onto a playback of its own. A paused player of a shared playback
// keeps its last frame and position while the others play on; played again,
// it rejoins them where they are.
class MpvPlayerBackend final : public PlayerBackend
{
    Q_OBJECT

public:
    explicit MpvPlayerBackend(std::shared_ptr<MpvPlaybackPool> pool, QObject* parent = nullptr);
    ~MpvPlayerBackend() override;

    void load(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds = 0) override;
    void removeAllItems() override;
    int queuedItemCount() const override { return m_hasItem ? 1 : 0; }
    void play() override;
    void pause() override;
    double rate() const override { return m_rate; }
    TimeControlStatus timeControlStatus() const override { return m_status; }
    QString reasonForWaitingToPlay() const override;
    bool hasCurrentItem() const override { return m_hasItem; }
    ItemStatus itemStatus() const override;
    QString itemError() const override;
    std::optional<double> currentTime() const override;
    void seekExactly(double seconds) override;
    void setLoopsWholeFile(bool loops) override;
    bool loopsWholeFile() const override { return m_loops; }
    std::shared_ptr<VideoFrameSource> frameSource() const override;

    // The playback this player uses; null without an item. For tests and the benchmark.
    MpvPlayback* playback() const { return m_playback.get(); }

private:
    void attach(std::shared_ptr<MpvPlayback> playback);
    void detach();
    void tellWish();
    void updateStatus();

    std::shared_ptr<MpvPlaybackPool> m_pool;
    std::shared_ptr<MpvPlayback> m_playback;
    // The software path's frames as this player's views see them.
    std::shared_ptr<PlayerFrameFeed> m_feed;
    QUrl m_url;
    std::optional<QSize> m_maximumSize;
    bool m_hasItem = false;
    double m_rate = 0;
    bool m_loops = true;
    // A seek was asked for and playback has not restarted after it yet.
    bool m_seekPending = false;
    // Where the player stopped while others play on.
    std::optional<double> m_heldTime;
    TimeControlStatus m_status = TimeControlStatus::paused;
};

// Players that join each other's playbacks where they show one file in step.
class MpvPlayerBackendFactory final : public PlayerBackendFactory
{
public:
    explicit MpvPlayerBackendFactory(MpvCore::Frames frames = MpvCore::Frames::all);
    ~MpvPlayerBackendFactory() override;
    std::unique_ptr<PlayerBackend> create() override;

private:
    std::shared_ptr<MpvPlaybackPool> m_pool;
};
