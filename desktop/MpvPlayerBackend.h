#pragma once

#include "PlayerBackend.h"

#include <memory>

class MpvCore;
struct mpv_event;

// A player on one libmpv core. It needs a video view: the core opens its file
// only once a view has given it a video output, and waits until then.
//
// The three statuses come from mpv's state: paused while we asked for pause
// (or the pass ended without looping, or the item failed); playing once the
// file is open, playback has (re)started after the open or a seek, and the core
// is neither idle nor waiting for data; waiting otherwise.
class MpvPlayerBackend final : public PlayerBackend
{
    Q_OBJECT

public:
    // A player whose core could not be made fails its item at load, with the reason.
    MpvPlayerBackend(std::shared_ptr<MpvCore> core, const QString& coreError, QObject* parent = nullptr);
    ~MpvPlayerBackend() override;

    void load(const QUrl& url, std::optional<QSize> maximumSize) override;
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
    std::shared_ptr<VideoFrameSource> frameSource() const override { return m_frameSource; }

private:
    void openFile();
    void handleEvent(const mpv_event& event);
    void handlePropertyChange(const char* name, bool value);
    void fail(const QString& error);
    void updateStatus();
    void command(std::initializer_list<const char*> arguments);
    void setMpvProperty(const char* name, const char* value);

    std::shared_ptr<MpvCore> m_core;
    std::shared_ptr<VideoFrameSource> m_frameSource;
    QUrl m_url;
    std::optional<QSize> m_maximumSize;
    bool m_hasItem = false;
    bool m_fileRequested = false;
    bool m_fileLoaded = false;
    bool m_playbackStarted = false;
    bool m_coreIdle = true;
    bool m_pausedForCache = false;
    bool m_seeking = false;
    // A seek was asked for and playback has not restarted after it yet.
    bool m_seekPending = false;
    ItemStatus m_itemStatus = ItemStatus::unknown;
    QString m_error;
    double m_rate = 0;
    bool m_loops = true;
    TimeControlStatus m_status = TimeControlStatus::paused;
    mutable std::optional<double> m_lastTime;
};

// One core per player.
class MpvPlayerBackendFactory final : public PlayerBackendFactory
{
public:
    std::unique_ptr<PlayerBackend> create() override;
};
